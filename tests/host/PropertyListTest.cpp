// ".aupreset" property lists: the XML form written, and outside text read safely.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <string>

#include "Base64.h"
#include "PropertyList.h"

namespace {

CFPropertyListRef parse(const std::string& text, std::string* error = nullptr)
{
    return host::ReadPropertyList(reinterpret_cast<const uint8_t*>(text.data()), text.size(), error);
}

// The fuzz corpus's preset, as a host writes it (the fuzz replay also checks
// that it is written back equal).
std::string presetText()
{
    std::ifstream file(HOST_CORPUS_DIR "/preset.aupreset");
    return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

TEST(Base64, EncodesWithPaddingAndDecodesBack)
{
    const uint8_t man[] = {'M', 'a', 'n'};
    EXPECT_EQ("TWFu", host::EncodeBase64(man, 3));
    EXPECT_EQ("TWE=", host::EncodeBase64(man, 2));
    EXPECT_EQ("TQ==", host::EncodeBase64(man, 1));
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(host::DecodeBase64(" TW\nE= ", &bytes));
    EXPECT_EQ((std::vector<uint8_t>{'M', 'a'}), bytes);
    EXPECT_FALSE(host::DecodeBase64("TW=E", &bytes));
    EXPECT_FALSE(host::DecodeBase64("TWF", &bytes));
    EXPECT_FALSE(host::DecodeBase64("TW*u", &bytes));
}

TEST(PropertyList, ReadsAPresetDictionaryWithItsDataDecoded)
{
    CFPropertyListRef value = parse(presetText());
    ASSERT_NE(nullptr, value);
    ASSERT_EQ(CFDictionaryGetTypeID(), CFGetTypeID(value));
    auto dict = static_cast<CFDictionaryRef>(value);
    EXPECT_EQ(6, CFDictionaryGetCount(dict));
    int32_t subtype = 0;
    EXPECT_TRUE(CFNumberGetValue(static_cast<CFNumberRef>(CFDictionaryGetValue(dict, CFSTR("subtype"))),
                                 kCFNumberSInt32Type, &subtype));
    EXPECT_EQ(0x6B7A366D, subtype);
    auto data = static_cast<CFDataRef>(CFDictionaryGetValue(dict, CFSTR("data")));
    const uint8_t oneAsDouble[] = {0, 0, 0, 0, 0, 0, 0xF0, 0x3F};
    ASSERT_EQ(8, CFDataGetLength(data));
    EXPECT_EQ(0, std::memcmp(oneAsDouble, CFDataGetBytePtr(data), 8));
    CFRelease(value);
}

TEST(PropertyList, RefusesTextThatIsNotAWholePropertyListOrNestsDeeperThanAnyStateNeeds)
{
    std::string deep = "<plist>";
    for (int i = 0; i < 60; ++i)
        deep += "<array>";
    for (int i = 0; i < 60; ++i)
        deep += "</array>";
    deep += "</plist>";
    for (const std::string& text : {std::string(), std::string("hello"), std::string("<plist version=\"1.0\"></plist>"),
             std::string("<dict/>"), std::string("<plist><dict><key>a</key></dict></plist>"),
             std::string("<plist><dict><string>a</string><integer>1</integer></dict></plist>"),
             std::string("<plist><integer>12x</integer></plist>"), std::string("<plist><data>@@@@</data></plist>"),
             std::string("<plist><date>2020</date></plist>"), std::string("<plist><dict/><dict/></plist>"),
             std::string("<plist><integer>99999999999999999999999</integer></plist>"), deep}) {
        std::string error;
        EXPECT_EQ(nullptr, parse(text, &error)) << text;
        EXPECT_FALSE(error.empty()) << text;
    }
}

}  // namespace
