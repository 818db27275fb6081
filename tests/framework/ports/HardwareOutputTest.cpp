// What the senders put on the hardware output, as the simulated Zelto 2
// receives it on a private JACK server.

#include "JackPortFixture.h"

#include <thread>

namespace {

std::vector<unsigned char> Bytes(std::initializer_list<unsigned char> list)
{
    return std::vector<unsigned char>(list);
}

}  // namespace

TEST_F(JackPortTest, SendMidiSysexFramesUnframedBytesAndLeavesFramedBytesAlone)
{
    ConnectToSynth();
    unsigned char bare[] = {0x3E, 0x16, 0x00};
    unsigned char framed[] = {0xF0, 0x3E, 0x16, 0x01, 0xF7};
    plug->SendMidiSysex(bare, sizeof bare);
    plug->SendMidiSysex(framed, sizeof framed);
    ASSERT_TRUE(synth.WaitForReceived("F0 3E 16 01 F7"));
    const std::vector<std::string> got = synth.Received();
    ASSERT_GE(got.size(), 2u);
    EXPECT_EQ(got[got.size() - 2], "F0 3E 16 00 F7");
}

TEST_F(JackPortTest, PatchSysexAndSysex2SendTheirBytesUnchanged)
{
    ConnectToSynth();
    unsigned char patch[] = {0xF0, 0x3E, 0x16, 0x00, 0x04, 0xF7};
    plug->SendPatchSysex(patch, sizeof patch);
    plug->SendMidiSysex2(Bytes({0xFA}));
    ASSERT_TRUE(synth.WaitForReceived("FA"));
    EXPECT_TRUE(synth.WaitForReceived("F0 3E 16 00 04 F7"));
}

TEST_F(JackPortTest, ProgramChangeAndChannelPressureSendTwoBytesControlChangeThree)
{
    ConnectToSynth();
    IMidiMsg program(0, 0xC2, 0x05, 0x33);
    IMidiMsg pressure(0, 0xD0, 0x40, 0x33);
    IMidiMsg control(0, 0xB0, 0x4A, 0x7F);
    plug->SendMidiMsg(&program);
    plug->SendMidiMsg(&pressure);
    plug->SendMidiMsg(&control);
    ASSERT_TRUE(synth.WaitForReceived("B0 4A 7F"));
    const std::vector<std::string> got = synth.Received();
    ASSERT_GE(got.size(), 3u);
    EXPECT_EQ(got[got.size() - 3], "C2 05");
    EXPECT_EQ(got[got.size() - 2], "D0 40");
}

TEST_F(JackPortTest, SynthAnswersASoundRequestWithADumpWhoseChecksumMatches)
{
    ConnectToSynth();
    // Slot 256 is addressed as 02 00.
    unsigned char request[] = {0x3E, 0x16, 0x00, 0x00, 0x02, 0x00};
    plug->SendMidiSysex(request, sizeof request);
    ASSERT_TRUE(plug->WaitForSysExCount(1, kGenerousTimeout));
    const std::vector<uint8_t> dump = plug->SysEx().at(0).bytes;
    ASSERT_EQ(dump.size(), 137u);
    const std::vector<uint8_t> header = {0xF0, 0x3E, 0x16, 0x00, 0x10, 0x02, 0x00};
    EXPECT_EQ(std::vector<uint8_t>(dump.begin(), dump.begin() + 7), header);
    unsigned sum = 0;
    for (size_t i = 1; i <= 134; ++i) {
        sum += dump[i];
    }
    EXPECT_EQ(dump[135], sum % 128);
}
