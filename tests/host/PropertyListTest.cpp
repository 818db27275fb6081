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
    for (const auto& [length, text] : {std::pair<size_t, std::string> {3, "TWFu"}, {2, "TWE="}, {1, "TQ=="}})
        EXPECT_EQ(text, host::EncodeBase64(man, length));
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(host::DecodeBase64(" TW\nE= ", &bytes));
    EXPECT_EQ((std::vector<uint8_t> {'M', 'a'}), bytes);
    for (const char* text : {"TW=E", "TWF", "TW*u"})
        EXPECT_FALSE(host::DecodeBase64(text, &bytes)) << text;
}

// The fuzz corpus's preset, as a host writes it (the fuzz replay also checks that it is written back equal).
TEST(PropertyList, ReadsAPresetDictionaryWithItsDataDecoded)
{
    std::ifstream file(HOST_CORPUS_DIR "/preset.aupreset");
    CFPropertyListRef value =
        parse(std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>()));
    ASSERT_NE(nullptr, value);
    ASSERT_EQ(CFDictionaryGetTypeID(), CFGetTypeID(value));
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

// A raw carriage return would come back as a line feed.
TEST(PropertyList, StringWithACarriageReturnIsWrittenSoItReadsBackEqual)
{
    CFStringRef name = CFStringCreateWithCString(nullptr, "A\rB", kCFStringEncodingUTF8);
    const std::string xml = host::WritePropertyList(name);
    EXPECT_NE(std::string::npos, xml.find("<string>A&#13;B</string>")) << xml;
    CFPropertyListRef again = parse(xml);
    ASSERT_NE(nullptr, again);
    EXPECT_TRUE(CFEqual(name, again));
    CFRelease(again);
    CFRelease(name);
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
