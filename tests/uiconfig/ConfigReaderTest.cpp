// The parameter name table, the cipher and SHA-1, the loading of the enciphered
// resources, the SysEx templates, the value lists and the text parsers.
#include "ConfigTestSupport.h"

#include <cstdio>
#include <cstring>
#include <fstream>

#include "debugger.h"
#include "sha1.h"

namespace {

TEST(ParameterTable, NamesSpanIndexes0To306WithTheirFixedValuesAndIndex91HasTwoAndLetterCaseCounts)
{
    UIConfigManager table;
    table.initParams();
    EXPECT_EQ(table.paramNameCount(), 302u);
    const std::pair<const char*, int> names[] = {{"kOscillator1Semitone", 0}, {"kAccentControl", 90},
        {"kNumAutomatedParams", 91}, {"kPatchFileDialog", 91}, {"kSectionLockOsc1", 168}, {"kGlobalDeviceID", 218},
        {"kCurrentBank", 289}, {"kTimbreLED", 306}, {"kfiltercutoff", -1}};
    for (const auto& entry : names) {
        int found = 0;
        const std::string printed = quietly([&] { found = table.getParamByName(entry.first); });
        EXPECT_EQ(found, entry.second) << entry.first;
        EXPECT_EQ(printed, entry.second < 0 ? std::string("parameter ") + entry.first + " NOT FOUND!!\n" : "");
    }
    EXPECT_EQ(kTimbreLED + 1, kNumParams);
}

TEST(ParameterTable, ExistingNamesKeepTheirFirstIndexAndTheDebugLogRecordsFillDuplicatesAndMisses)
{
    const std::string path = testing::TempDir() + "parameter-table-LOG.txt";
    std::remove(path.c_str());
    DebuggerOutput output;
    UIConfigManager config;
    config.setDebugLog(&output, true, path);
    quietly([&] {
        config.initParams();
        config.mapParamToString("kMainTab", 1);
        config.getParamByName("kNoSuchParameter");
    });
    EXPECT_EQ(config.getParamByName("kMainTab"), 302);  // an existing name keeps its first index

    std::ifstream file(path);
    std::vector<std::string> texts;
    for (std::string line; std::getline(file, line);)
        texts.push_back(line.substr(line.find("\t ") + 2));
    EXPECT_EQ(texts, (std::vector<std::string> {"CONFIG READER: Started to initialize parameters...",
                         "CONFIG READER: Completed!", "CONFIG READER: parameter kMainTab ALREADY EXISTS!",
                         "CONFIG READER: parameter kNoSuchParameter NOT FOUND!"}));
    std::remove(path.c_str());
}

TEST(TeaCipher, PublishedZeroKeyVectorDeciphersToEightZeroBytesAndBack)
{
    const uint32_t zeroKey[4] = {0, 0, 0, 0};
    const std::vector<unsigned char> vector = {0x41, 0xEA, 0x3A, 0x0A, 0x94, 0xBA, 0xA9, 0x40};
    std::vector<unsigned char> block = vector;
    Tea::simpledecrypt(block.data(), zeroKey);
    EXPECT_EQ(block, std::vector<unsigned char>(8, 0));
    Tea::simpleencrypt(block.data(), zeroKey);
    EXPECT_EQ(block, vector);
}

TEST(TeaCipher, KeyWordsAreLittleEndianAndTheBlockFormRestoresTheTextAndItsLength)
{
    const unsigned char bytes[16] = {1, 2, 3, 4};
    uint32_t key[4];
    Tea::keyWords(bytes, key);
    EXPECT_EQ(key[0], 0x04030201u);
    Tea::keyWords(kConfigKeyBytes, key);
    unsigned char data[32] = "thirteen char";
    uint32_t length = 13;
    Tea::encryptBlock(data, &length, key);
    EXPECT_EQ(length, 24u);  // 16 padded + 8 for the length block
    Tea::decryptBlock(data, &length, key);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(data), length), "thirteen char");
}

TEST(Sha1, PublishedVectorsGiveTheirDigestsInLowerCaseHex)
{
    const std::pair<std::string, const char*> cases[] = {{"abc", "a9993e364706816aba3e25717850c26c9cd0d89d"},
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq", "84983e441c3bd26ebaae4aa1f95129e5e54670f1"},
        {std::string(1000000, 'a'), "34aa973cd4c4daa4f61eeb2bdbad27316534016f"},
        {"", "da39a3ee5e6b4b0d3255bfef95601890afd80709"}};
    for (const auto& [message, digest] : cases) {
        unsigned char hash[20];
        char hex[41];
        std::memset(hex, 'x', sizeof hex);
        sha1::calc(message.data(), int(message.size()), hash);
        sha1::toHexString(hash, hex);
        EXPECT_STREQ(hex, digest) << message.size();
    }
}

TEST(ConfigResources, TextEndsAtItsFirstZeroByteAndPartialLastBlockIsPaddedWithZeros)
{
    const std::string plain("<a/>\0<b/>", 9);  // 9 bytes: the last block is one byte long
    const std::vector<unsigned char> data = encipherConfigText(plain);
    EXPECT_EQ(std::tuple(decipherConfigText(data.data(), 9), decipherConfigText(data.data(), 0),
                  decipherConfigText(nullptr, 16)), std::tuple("<a/>", "", ""));
}

using ConfigReader = ConfigFixture;

// The surface's buffer is only as large as the file: the reader pads the last block itself.
TEST_F(ConfigReader, TextOfNoWholeBlocksParsesAndAFailedLoadReadsNothingAfterAnEarlierOneSetTheSize)
{
    const std::string sysex = "<sysexlist><sysex><values><value>3E 16</value></values></sysex></sysexlist>";
    ASSERT_NE(sysex.size() % 8, 0u);
    load(sysex.c_str(), nullptr);  // uiconfig.tea is missing
    ASSERT_EQ(config.sysExTemplates().size(), 1u);
    EXPECT_EQ(config.sysExTemplates()[0].firstTemplate(), "3E 16");
    EXPECT_GT(gui->GetLoadedFileSize(), 0);
    EXPECT_TRUE(config.loadConfigText(100, "resources/uiconfig.tea").empty() && config.layerTable().empty());
}

TEST_F(ConfigReader, SysExEntriesAreNumberedByPositionAndValuesReadAsTheSchemaSays)
{
    load("<sysexlist><other/>"
         "<sysex><values><value>01</value><multivalue><value>09</value></multivalue><value>02</value></values>"
         "<values><multivalue><value>03</value><value/></multivalue><multivalue/></values>"
         "<values><value/></values></sysex><notsysex><values><value>04</value></values></notsysex></sysexlist>",
        nullptr);
    const std::vector<SysExContainer>& t = config.sysExTemplates();
    ASSERT_EQ(t.size(), 2u);  // from the first sysex on, whatever the siblings' names
    ASSERT_EQ(t[0].values.size(), 2u);
    // The value form takes every sibling after the first value; text-less ones count as a blank.
    EXPECT_EQ(t[0].values[0].messages, (std::vector<std::string>{"01", " ", "02"}));
    EXPECT_EQ(t[0].values[1].messages, (std::vector<std::string>{" "}));
    ASSERT_TRUE(t[0].multiValues.size() == 1 && t[0].multiValues[0].size() == 2 && t[0].isMultiValue);
    EXPECT_EQ(t[0].multiValues[0][0].messages, (std::vector<std::string>{"03", ""}));
    EXPECT_EQ(t[1].firstTemplate(), "04");
}

TEST_F(ConfigReader, ValueListsLaterNameWinsAndMissingTextsReadEmpty)
{
    loadUi("<valueLists><list name='shapes'><value>Saw</value></list>"
           "<list name='shapes'><value>Square</value><value/><other>x</other></list>"
           "<list name='odd'><item>x</item></list><list><value>unnamed</value></list>"
           "<notalist name='skipped'/></valueLists>");
    EXPECT_EQ(std::tuple(config.getValueList("shapes"), config.getValueList("odd"), config.getValueList("")),
        std::tuple(std::vector<std::string>{"Square", ""}, std::vector<std::string>{},
            std::vector<std::string>{"unnamed"}));
    EXPECT_EQ(config.findValueList("skipped"), nullptr);
    EXPECT_TRUE(config.getValueList("skipped").empty() && config.findValueList("skipped"));  // asking files one
}

TEST(ConfigTextParsers, TokenizeAppendsWithoutEmptyTokensAndSysExTextsGiveOneByteForEachToken)
{
    std::vector<std::string> tokens{"kept"};
    UIConfigManager::Tokenize(",,a,,b,", tokens, ",");
    EXPECT_EQ(tokens, (std::vector<std::string>{"kept", "a", "b"}));
    using Case = std::pair<const char*, std::vector<int32_t>>;
    for (const auto& [text, bytes] : {Case {"F0 3e 16 zz F7", {240, 62, 22, 0, 247}}, {"  7f  00 ", {127, 0}}, {"   ", {}}})
        EXPECT_EQ(UIConfigManager::convertStringSysextoVector(text), bytes) << text;
}

TEST(ConfigTextParsers, CommaListsLeaveEverySlotTheTextDoesNotGiveAsItWas)
{
    const std::pair<const char*, std::vector<int>> cases[] = {{"10,20", {10, 20, 77, 77}}, {"7,x,9", {7, 77, 9}},
        {" -3, 12abc", {-3, 12}}, {"1,2,3,4,5", {1, 2, 3, 4}}, {nullptr, {77, 77}}};
    for (const auto& [text, expected] : cases) {
        std::vector<int> slots(expected.size(), 77);
        UIConfigManager::getCSValues(text, slots.data(), int(slots.size()));
        EXPECT_EQ(slots, expected) << (text ? text : "null");
    }
}

TEST(ConfigTextParsers, LinksAddTheCopyOffsetOnceAndKeepUnknownNamesAtMinusOne)
{
    UIConfigManager config;
    config.initParams();
    const std::pair<const char*, std::array<int, 4>> cases[] = {{"kArpTempo", {0, -1, -1, -1}},
        {"kArpTempo,kArpClock", {-1, kArpTempo, kArpClock, -1}},
        {"kArpTempo,kArpClock,3", {-1, kArpTempo, kArpClock, 3}},
        {"kArpTempo,kArpClock,x", {-1, kArpTempo, kArpClock, -1}},
        {"kArpTempo,kArpClock,3,4", {-1, kArpTempo, kArpClock, -1}},
        {"kArpTempo,kArpClock", {2, kArpTempo + 2, kArpClock + 2, -1}},
        {"kNoSuchName,kArpClock", {2, -1, kArpClock + 2, -1}}};  // {offset, first, second, number}
    for (const auto& entry : cases) {
        LinkInfo link;
        const std::array<int, 4>& c = entry.second;
        quietly([&] { config.getBiDirectLinkValues(entry.first, &link, c[0]); });
        EXPECT_EQ((std::array<int, 4>{c[0], link.first, link.second, link.number}), c) << entry.first;
    }
}

}  // namespace
