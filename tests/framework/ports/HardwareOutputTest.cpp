// What the senders put on the hardware output, as the simulated Zelto 2
// receives it on a private JACK server.

#include "JackPortFixture.h"

#include <algorithm>

TEST_F(JackPortTest, SendsWithNoOutputOpenGoNowhereAndSendersFrameBareSysExAndSendTwoOrThreeByteMessages)
{
    plug->getExternalMIDIOutNames();
    // More than the library's output buffer holds: none of it may wait for
    // room or reach the port opened afterwards.
    IMidiMsg early(0, 0x90, 0x3C, 0x01);
    std::vector<unsigned char> dump(137, 0x11);
    dump.front() = 0xF0, dump.back() = 0xF7;
    for (int i = 0; i < 300; ++i) {
        plug->SendMidiMsg(&early);
        plug->SendMidiSysex2(dump);
    }
    ConnectToSynth();
    unsigned char bare[] = {0x3E, 0x16, 0x00};
    unsigned char framed[] = {0xF0, 0x3E, 0x16, 0x01, 0xF7};
    unsigned char patch[] = {0xF0, 0x3E, 0x16, 0x00, 0x04, 0xF7};
    plug->SendMidiSysex(bare, sizeof bare);
    plug->SendMidiSysex(framed, sizeof framed);
    plug->SendPatchSysex(patch, sizeof patch);
    plug->SendMidiSysex2({0xFA});
    IMidiMsg program(0, 0xC2, 0x05, 0x33), pressure(0, 0xD0, 0x40, 0x33), control(0, 0xB0, 0x4A, 0x7F);
    for (IMidiMsg* msg : {&program, &pressure, &control})
        plug->SendMidiMsg(msg);
    const std::vector<std::string> expected = {"F0 3E 16 00 F7", "F0 3E 16 01 F7", "F0 3E 16 00 04 F7", "FA",
                                               "C2 05", "D0 40", "B0 4A 7F"};
    ASSERT_TRUE(WaitForSentAfterReady(expected.size()));
    EXPECT_EQ(AfterReady(synth.Received()), expected);
    for (const std::string& line : synth.Received())
        EXPECT_TRUE(IsMarker(line) || std::count(expected.begin(), expected.end(), line)) << line;
}
