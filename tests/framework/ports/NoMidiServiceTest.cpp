// The back-end choice and the port layer when the computer's MIDI service
// offers no ports: no ALSA sequencer here, and a JACK server that is not
// running (every test program's default server name points nowhere).

#include <gtest/gtest.h>

#include <unistd.h>

#include "PortTestPlugin.h"
#include "platform/CoreMIDIRtMidi.h"

class NoMidiService : public ::testing::Test {
protected:
    void TearDown() override { unsetenv("ZELTO2X_MIDI_API"); }
};

TEST_F(NoMidiService, WithoutAnAlsaSequencerTheClientsFallBackToJackAndAChosenAlsaFailsCleanly)
{
    if (access("/dev/snd/seq", F_OK) == 0)
        GTEST_SKIP() << "this machine has an ALSA sequencer";
    std::string error;
    auto output = platform::MidiOutputClient::Create("Back End Test", &error);
    ASSERT_NE(output, nullptr) << error;
    EXPECT_EQ(output->ApiName(), "jack");

    setenv("ZELTO2X_MIDI_API", "alsa", 1);
    EXPECT_EQ(platform::MidiInputClient::Create("Back End Test", 100, &error), nullptr);
    EXPECT_FALSE(error.empty());

    PortTestPlugin plug;
    testing::internal::CaptureStdout();
    EXPECT_EQ(plug.getExternalMIDIInNames(), std::vector<std::string> {"OFF"});
    const std::string printed = testing::internal::GetCapturedStdout();
    EXPECT_EQ(printed.rfind("MIDI IN INITIALIZATION\nNo MIDI input ports available!\n", 0), 0u) << printed;
    int index = 1;
    EXPECT_EQ(plug.setExternalMIDIIn(index, "OFF"), 0);
}

TEST_F(NoMidiService, ChosenJackWithoutAServerListsOnlyOffSelectsNothingAndSendsGoNowhere)
{
    setenv("ZELTO2X_MIDI_API", "JACK", 1);
    std::string error;
    auto client = platform::MidiOutputClient::Create("Back End Test", &error);
    ASSERT_NE(client, nullptr) << error;
    EXPECT_EQ(client->ApiName(), "jack");
    EXPECT_EQ(client->PortCount(), 0u);
    const unsigned char bytes[] = {0x90, 0x3C, 0x64};
    client->Send(bytes, sizeof bytes);
    EXPECT_EQ(platform::MidiClient::Opening::Missing, client->OpenPort("Zelto 2 In:MIDI In", "RtMidi Output"));
    EXPECT_FALSE(client->IsPortOpen());

    PortTestPlugin plug;
    int in = 2, out = 2;
    EXPECT_EQ(plug.setExternalMIDIOut(out, "Anything"), 0) << "before the list exists";
    EXPECT_EQ(plug.setExternalMIDIIn(in, "Anything"), 0);
    EXPECT_EQ(in + out, 0);
    EXPECT_EQ(plug.getExternalMIDIInNames(), std::vector<std::string> {"OFF"});
    EXPECT_EQ(plug.getExternalMIDIOutNames(), std::vector<std::string> {"OFF"});
    IMidiMsg note(0, 0x90, 0x3C, 0x64);
    unsigned char sysex[] = {0x3E, 0x16, 0x00};
    EXPECT_TRUE(plug.SendMidiMsg(&note) && plug.SendMidiSysex(sysex, sizeof sysex) && plug.SendMidiSysex(sysex, 0)
        && plug.SendMidiSysex2({}));
}
