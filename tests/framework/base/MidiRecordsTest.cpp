// Short MIDI messages, SysEx views and the state byte chunk.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <vector>

#include "IPluginStructs.h"

namespace {

std::vector<uint8_t> Bytes(const ByteChunk& chunk)
{
    return std::vector<uint8_t>(chunk.GetBytes(), chunk.GetBytes() + chunk.Size());
}

std::vector<uint8_t> Bytes(const IMidiMsg& msg)
{
    return {msg.mStatus, msg.mData1, msg.mData2};
}

}  // namespace

TEST(MidiMsg, MakersWriteTheirBytesAndKeepEveryValueADataByte)
{
    // Out of range, beyond int range and NaN: no undefined conversion, still data bytes.
    const double nan = std::nan("");
    const struct {
        const char* what;
        std::function<void(IMidiMsg&)> make;
        std::vector<uint8_t> bytes;
        int offset;  // -1: not checked
    } cases[] = {
        {"cc full", [](IMidiMsg& m) { m.MakeControlChangeMsg(74, 1.0, 0); }, {0xB0, 0x4A, 0x7F}, 0},
        {"cc half", [](IMidiMsg& m) { m.MakeControlChangeMsg(IMidiMsg::kCutoffFrequency, 0.5, 3); }, {0xB3, 0x4A, 63}, 0},
        {"cc above", [](IMidiMsg& m) { m.MakeControlChangeMsg(1, 1.5, 0); }, {0xB0, 1, 0x7F}, -1},
        {"cc below", [](IMidiMsg& m) { m.MakeControlChangeMsg(1, -0.5, 0); }, {0xB0, 1, 0x00}, -1},
        {"cc huge", [](IMidiMsg& m) { m.MakeControlChangeMsg(1, 1e12, 0); }, {0xB0, 1, 0x7F}, -1},
        {"cc nan", [&](IMidiMsg& m) { m.MakeControlChangeMsg(1, nan, 0); }, {0xB0, 1, 0x00}, -1},
        {"program", [](IMidiMsg& m) { m.MakeProgramChangeMsg(5 / 127.0, 2); }, {0xC2, 5, 0}, -1},
        {"program above", [](IMidiMsg& m) { m.MakeProgramChangeMsg(200 / 127.0, 0); }, {0xC0, 0x7F, 0}, -1},
        {"pitch top", [](IMidiMsg& m) { m.MakePitchWheelMsg(1.0, 0); }, {0xE0, 0x7F, 0x7F}, -1},
        {"pitch bottom", [](IMidiMsg& m) { m.MakePitchWheelMsg(-1.0, 0); }, {0xE0, 0x00, 0x00}, -1},
        {"pitch centre", [](IMidiMsg& m) { m.MakePitchWheelMsg(0.0, 1); }, {0xE1, 0x00, 0x40}, -1},
        {"pitch below", [](IMidiMsg& m) { m.MakePitchWheelMsg(-1e12, 0); }, {0xE0, 0x00, 0x00}, -1},
        {"pitch above", [](IMidiMsg& m) { m.MakePitchWheelMsg(1e12, 0); }, {0xE0, 0x7F, 0x7F}, -1},
        {"pitch nan", [&](IMidiMsg& m) { m.MakePitchWheelMsg(nan, 0); }, {0xE0, 0x00, 0x40}, -1},
        {"note on", [](IMidiMsg& m) { m.MakeNoteOnMsg(60, 100, 12, 9); }, {0x99, 60, 100}, 12},
        {"note off", [](IMidiMsg& m) { m.MakeNoteOffMsg(61, 3, 0, 64); }, {0x80, 61, 64}, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        IMidiMsg msg(99);
        c.make(msg);
        EXPECT_EQ(Bytes(msg), c.bytes);
        if (c.offset >= 0) {
            EXPECT_EQ(msg.mOffset, c.offset);
        }
    }
}

TEST(MidiMsg, DecodersAnswerOnlyForTheirKinds)
{
    EXPECT_EQ(IMidiMsg(0, 0xF8).StatusMsg(), IMidiMsg::kNone);
    EXPECT_EQ(IMidiMsg(0, 0x45).StatusMsg(), IMidiMsg::kNone);
    const IMidiMsg cc(0, 0xB5, 7, 127);
    EXPECT_EQ(cc.StatusMsg(), IMidiMsg::kControlChange);
    EXPECT_EQ(cc.Channel(), 5);
    EXPECT_EQ(cc.NoteNumber(), -1);
    EXPECT_EQ(cc.Velocity(), -1);
    EXPECT_EQ(cc.Program(), -1);
    EXPECT_DOUBLE_EQ(cc.ControlChange(IMidiMsg::kChannelVolume), 1.0);
    EXPECT_DOUBLE_EQ(cc.ControlChange(IMidiMsg::kModWheel), -1.0);
    EXPECT_EQ(IMidiMsg(0, 0xA0, 40, 1).NoteNumber(), 40);
}

TEST(MidiMsg, LogLinesCountChannelsFromOne)
{
    testing::internal::CaptureStdout();
    IMidiMsg(0, 0xB1, 74, 5).LogMsg();
    const uint8_t bytes[] = {0xF0, 0x3E, 0x16, 0xF7};
    ISysEx(0, bytes, 4).LogMsg();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "(controlchange | 2 | 74 | 5)\n(4 : F0 3E 16 F7)");
}

TEST(ByteChunk, StringIsLengthThenCharacters)
{
    ByteChunk chunk;
    EXPECT_EQ(chunk.PutStr("abc"), 7);
    EXPECT_EQ(Bytes(chunk), (std::vector<uint8_t>{0x03, 0x00, 0x00, 0x00, 0x61, 0x62, 0x63}));
    ROZ_String s;
    EXPECT_EQ(chunk.GetStr(&s, 0), 7);
    EXPECT_STREQ(s.Get(), "abc");
}

TEST(ByteChunk, PlainValuesAndBoolsUseMachineOrder)
{
    ByteChunk chunk;
    const int32_t i = 0x01020304;
    const double d = 1.0;
    chunk.Put(&i);
    chunk.Put(&d);
    chunk.PutBool(true);
    EXPECT_EQ(Bytes(chunk), (std::vector<uint8_t>{0x04, 0x03, 0x02, 0x01, 0, 0, 0, 0, 0, 0, 0xF0, 0x3F, 0x01}));
    int32_t i2 = 0;
    double d2 = 0;
    bool b = false;
    int pos = chunk.Get(&i2, 0);
    pos = chunk.Get(&d2, pos);
    pos = chunk.GetBool(&b, pos);
    EXPECT_EQ(pos, 13);
    EXPECT_EQ(i2, i);
    EXPECT_EQ(d2, d);
    EXPECT_TRUE(b);
}

TEST(ByteChunk, ShortReadsFailAndLeaveTheDestination)
{
    ByteChunk chunk;
    const int32_t i = 7;
    chunk.Put(&i);
    chunk.Put(&i);
    double d = 42.0;
    EXPECT_EQ(chunk.Get(&d, 4), -1);  // four bytes before the end
    EXPECT_EQ(d, 42.0);
    EXPECT_EQ(chunk.Get(&d, -1), -1);
    int32_t out = 0;
    EXPECT_EQ(chunk.Get(&out, 8), -1);
}

TEST(ByteChunk, StringWithABadLengthFailsAndOneWithAZeroStopsThere)
{
    const struct {
        const char* what;
        int32_t length;
        std::string body;
        int result;
        const char* text;  // null: not checked
    } cases[] = {
        {"longer than the data", 10, "abcdef", -1, ""},
        {"zero length", 0, "", 4, ""},
        {"negative length", -5, "", -1, nullptr},
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
}

TEST(ByteChunk, FailedGrowthReportsFailureAndWritesNothing)
{
    ByteChunk chunk;
    chunk.PutStr("keep");
    const char byte = 'x';
    EXPECT_EQ(chunk.PutBytes(&byte, ROZ_HeapBuf::kMaxBytes), -1);
    EXPECT_EQ(chunk.Size(), 8);
    ROZ_String s;
    EXPECT_EQ(chunk.GetStr(&s, 0), 8);
    EXPECT_STREQ(s.Get(), "keep");
}

TEST(ByteChunk, AnotherChunkIsAppendedWithoutLength)
{
    ByteChunk a;
    ByteChunk b;
    a.PutBool(false);
    b.PutStr("z");
    EXPECT_EQ(a.PutChunk(&b), 6);
    EXPECT_EQ(Bytes(a), (std::vector<uint8_t>{0x00, 0x01, 0x00, 0x00, 0x00, 0x7A}));
}

TEST(ByteChunk, FrameworkVersionHeaderIsTffp)
{
    ByteChunk chunk;
    ASSERT_TRUE(ByteChunk::InitChunkWithIPluginVer(&chunk));
    EXPECT_EQ(Bytes(chunk), (std::vector<uint8_t>{0x74, 0x66, 0x66, 0x70, 0x00, 0x00, 0x01, 0x00}));
    int pos = 0;
    EXPECT_EQ(ByteChunk::GetIPluginVerFromChunk(&chunk, &pos), 0x10000);
    EXPECT_EQ(pos, 8);
}
