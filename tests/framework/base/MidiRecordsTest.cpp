// Short MIDI messages, SysEx views and the state byte chunk.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <tuple>
#include <vector>

#include "IPluginStructs.h"

namespace {

std::vector<uint8_t> Bytes(const ByteChunk& chunk)
{
    return std::vector<uint8_t>(chunk.GetBytes(), chunk.GetBytes() + chunk.Size());
}

}  // namespace

TEST(MidiMsg, ProgramChangeKeepsEveryValueADataByteAndLogLinesCountChannelsFromOne)
{
    for (const auto& [value, program] : std::vector<std::pair<double, uint8_t>> {
             {5 / 127.0, 5}, {1.0, 0x7F}, {200 / 127.0, 0x7F}, {-1.0, 0}, {std::nan(""), 0}}) {
        IMidiMsg msg(99);
        msg.MakeProgramChangeMsg(value, 2);
        EXPECT_EQ((std::vector<uint8_t> {msg.mStatus, msg.mData1, msg.mData2}), (std::vector<uint8_t> {0xC2, program, 0}))
            << value;
    }
    testing::internal::CaptureStdout();
    IMidiMsg(0, 0xB1, 74, 5).LogMsg();
    const uint8_t bytes[] = {0xF0, 0x3E, 0x16, 0xF7};
    ISysEx(0, bytes, 4).LogMsg();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "(controlchange | 2 | 74 | 5)\n(4 : F0 3E 16 F7)");
}

TEST(ByteChunk, ValuesUseMachineOrderStringsTheirLengthFirstAndTheHeaderIsTffp)
{
    ByteChunk chunk;
    const int32_t i = 0x01020304;
    const double d = 1.0;
    chunk.Put(&i);
    chunk.Put(&d);
    chunk.PutBool(true);
    EXPECT_EQ(chunk.PutStr("abc"), 20);
    EXPECT_EQ(Bytes(chunk), (std::vector<uint8_t>{0x04, 0x03, 0x02, 0x01, 0, 0, 0, 0, 0, 0, 0xF0, 0x3F, 0x01, 0x03,
                                                  0x00, 0x00, 0x00, 0x61, 0x62, 0x63}));
    int32_t i2 = 0;
    double d2 = 0;
    bool b = false;
    ROZ_String s;
    EXPECT_EQ(chunk.GetStr(&s, chunk.GetBool(&b, chunk.Get(&d2, chunk.Get(&i2, 0)))), 20);
    EXPECT_EQ(std::make_tuple(i2, d2, b, std::string(s.Get())), std::make_tuple(i, d, true, std::string("abc")));

    ByteChunk header;
    ASSERT_TRUE(ByteChunk::InitChunkWithIPluginVer(&header));
    EXPECT_EQ(Bytes(header), (std::vector<uint8_t>{0x74, 0x66, 0x66, 0x70, 0x00, 0x00, 0x01, 0x00}));
    int pos = 0;
    EXPECT_EQ(ByteChunk::GetIPluginVerFromChunk(&header, &pos), 0x10000);
    EXPECT_EQ(pos, 8);
    ByteChunk appended;
    appended.PutBool(false);
    EXPECT_EQ(appended.PutChunk(&header), 9);  // no length in front
}

TEST(ByteChunk, ReadsPastTheEndWithABadStringLengthOrFailedGrowthFailAndWriteNothing)
{
    ByteChunk eight;
    const int32_t seven = 7;
    eight.Put(&seven);
    eight.Put(&seven);
    double d = 42.0;
    EXPECT_EQ(eight.Get(&d, 4), -1);  // four bytes before the end
    EXPECT_EQ(eight.Get(&d, -1), -1);
    EXPECT_EQ(d, 42.0);
    int32_t out = 0;
    EXPECT_EQ(eight.Get(&out, 8), -1);

    const struct {
        const char* what;
        int32_t length;
        std::string body;
        int result;
        const char* text;  // null: not checked
    } cases[] = {
        {"longer than the data", 10, "abcdef", -1, ""},
        {"negative length", -5, "", -1, nullptr},
        {"zero length", 0, "", 4, ""},
        {"embedded zero", 4, std::string("ab\0d", 4), 8, "ab"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ByteChunk chunk;
        chunk.Put(&c.length);
        chunk.PutBytes(c.body.data(), static_cast<int>(c.body.size()));
        ROZ_String s("old");
        EXPECT_EQ(chunk.GetStr(&s, 0), c.result);
        if (c.text) {
            EXPECT_STREQ(s.Get(), c.text);
        }
    }

    ByteChunk chunk;
    chunk.PutStr("keep");
    const char byte = 'x';
    EXPECT_EQ(chunk.PutBytes(&byte, ROZ_HeapBuf::kMaxBytes), -1);
    EXPECT_EQ(chunk.Size(), 8);
    ROZ_String s;
    EXPECT_EQ(chunk.GetStr(&s, 0), 8);
    EXPECT_STREQ(s.Get(), "keep");
}
