// What arrives on the hardware input reaches the plug-in, on a private JACK
// server with the simulated Zelto 2.

#include "JackPortFixture.h"

TEST_F(JackPortTest, ShortMessagesArriveFromHardwareAtOffsetZeroButClockAndActiveSensingNever)
{
    ConnectToSynth();
    const ReceivedMidi first = plug->Midi().at(0);  // the one-byte tune request
    EXPECT_EQ(first.msg.mStatus, 0xF6);
    EXPECT_EQ(first.msg.mData1, 0);
    EXPECT_EQ(first.msg.mData2, 0);

    for (const char* message : {"F8", "FE", "90 3C 64", "F8", "B1 4A 7F"})
        synth.Send(message);
    ASSERT_TRUE(plug->WaitForMidiCount(readyMidiCount + 2, kGenerousTimeout));
    const std::vector<ReceivedMidi> got = MidiAfterReady();
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0].msg.mStatus, 0x90);
    EXPECT_EQ(got[0].msg.mData1, 0x3C);
    EXPECT_EQ(got[0].msg.mData2, 0x64);
    EXPECT_EQ(got[1].msg.mStatus, 0xB1);
    EXPECT_EQ(got[1].msg.mData1, 0x4A);
    EXPECT_EQ(got[1].msg.mData2, 0x7F);
    for (const ReceivedMidi& r : {first, got[0], got[1]}) {
        EXPECT_TRUE(r.fromHardware);
        EXPECT_EQ(r.msg.mOffset, 0);
    }
}

TEST_F(JackPortTest, SoundDumpReachesProcessSysExWhole)
{
    ConnectToSynth();
    // A request for the edit buffer: the synth answers with its INIT sound.
    unsigned char request[] = {0x3E, 0x16, 0x00, 0x00, 0x7F, 0x00};
    plug->SendMidiSysex(request, sizeof request);
    ASSERT_TRUE(plug->WaitForSysExCount(1, kGenerousTimeout));
    const ReceivedSysEx dump = plug->SysEx().at(0);
    ASSERT_EQ(dump.bytes.size(), 137u);
    EXPECT_EQ(dump.bytes.front(), 0xF0);
    EXPECT_EQ(dump.bytes.back(), 0xF7);
    EXPECT_EQ(dump.offset, 0);
    EXPECT_TRUE(dump.fromHardware);
    EXPECT_EQ(std::string(dump.bytes.begin() + 120, dump.bytes.begin() + 124), "INIT");

}
