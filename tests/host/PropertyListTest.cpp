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

TEST(Base64, EncodesWithPaddingAndDecodesBack)
{
    const uint8_t man[] = {'M', 'a', 'n'};
    EXPECT_EQ("TWFu TWE= TQ==",
        host::EncodeBase64(man, 3) + " " + host::EncodeBase64(man, 2) + " " + host::EncodeBase64(man, 1));
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(host::DecodeBase64(" TW\nE= ", &bytes));
    EXPECT_EQ((std::vector<uint8_t> {'M', 'a'}), bytes);
    for (const char* text : {"TW=E", "TWF", "TW*u"})
        EXPECT_FALSE(host::DecodeBase64(text, &bytes)) << text;
}

// The fuzz corpus's preset, as a host writes it (the fuzz replay checks that each of its files, one with carriage
// returns, is written back equal).
TEST(PropertyList, ReadsAPresetDictionaryWithItsDataDecoded)
{
    std::ifstream file(HOST_CORPUS_DIR "/preset.aupreset");
    CFPropertyListRef value = parse(std::string(std::istreambuf_iterator<char>(file), {}));
    ASSERT_TRUE(value && CFGetTypeID(value) == CFDictionaryGetTypeID());
    auto dict = static_cast<CFDictionaryRef>(value);
    EXPECT_EQ(6, CFDictionaryGetCount(dict));
    int32_t subtype = 0;
    EXPECT_TRUE(CFNumberGetValue(static_cast<CFNumberRef>(CFDictionaryGetValue(dict, CFSTR("subtype"))),
                                 kCFNumberSInt32Type, &subtype));
    EXPECT_EQ(0x6B7A366D, subtype);
    auto data = static_cast<CFDataRef>(CFDictionaryGetValue(dict, CFSTR("data")));
    EXPECT_EQ((std::vector<uint8_t> {0, 0, 0, 0, 0, 0, 0xF0, 0x3F}),  // 1.0 as a double
              std::vector<uint8_t>(CFDataGetBytePtr(data), CFDataGetBytePtr(data) + CFDataGetLength(data)));
    CFRelease(value);
}

TEST(PropertyList, RefusesTextThatIsNotAWholePropertyListOrNestsDeeperThanAnyStateNeeds)
{
    std::string deep = "<plist>";
    for (int i = 0; i < 60; ++i)
        deep.insert(7, "<array>").append("</array>");
    const std::vector<std::string> refused = {"<plist><dict><string>a</string><integer>1</integer></dict></plist>", "",
        "<plist><integer>99999999999999999999999</integer></plist>", "<plist><dict><key>a</key></dict></plist>",
        "<plist><integer>12x</integer></plist>", "<plist><data>@@@@</data></plist>", "<plist><date>2020</date></plist>",
        "<plist version=\"1.0\"></plist>", "<plist><dict/><dict/></plist>", deep + "</plist>", "<dict/>", "hello"};
    for (const std::string& text : refused) {
        std::string error;
        EXPECT_EQ(nullptr, parse(text, &error)) << text;
        EXPECT_FALSE(error.empty()) << text;
    }
}

}  // namespace
