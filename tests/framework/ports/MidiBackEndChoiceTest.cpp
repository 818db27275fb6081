// Which MIDI back end the clients use, without any MIDI service running.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>

#include "platform/CoreMIDIRtMidi.h"

namespace {
bool AlsaSequencerExists()
{
    return access("/dev/snd/seq", F_OK) == 0;
}
}  // namespace

TEST(MidiBackEnd, FallsBackToJackWhenTheAlsaSequencerCannotOpen)
{
    if (AlsaSequencerExists()) {
        GTEST_SKIP() << "this machine has an ALSA sequencer";
    }
    unsetenv("ZELTO2X_MIDI_API");
    std::string error;
    auto client = platform::MidiOutputClient::Create("Back End Test", &error);
    ASSERT_NE(client, nullptr) << error;
    EXPECT_EQ(client->ApiName(), "jack");
}

TEST(MidiBackEnd, ChosenAlsaFailsCleanlyWithoutASequencer)
{
    if (AlsaSequencerExists()) {
        GTEST_SKIP() << "this machine has an ALSA sequencer";
    }
    setenv("ZELTO2X_MIDI_API", "alsa", 1);
    std::string error;
    auto client = platform::MidiInputClient::Create("Back End Test", 100, &error);
    unsetenv("ZELTO2X_MIDI_API");
    EXPECT_EQ(client, nullptr);
    EXPECT_FALSE(error.empty());
}

TEST(MidiBackEnd, ChosenJackWithoutAServerListsNoPortsAndSendsNothing)
{
    setenv("ZELTO2X_MIDI_API", "JACK", 1);
    setenv("JACK_NO_START_SERVER", "1", 1);
    setenv("JACK_DEFAULT_SERVER", "zelto2x-no-such-server", 1);
    std::string error;
    auto client = platform::MidiOutputClient::Create("Back End Test", &error);
    unsetenv("ZELTO2X_MIDI_API");
    ASSERT_NE(client, nullptr) << error;
    EXPECT_EQ(client->ApiName(), "jack");
    EXPECT_EQ(client->PortCount(), 0u);
    const unsigned char note[] = {0x90, 0x3C, 0x64};
    client->Send(note, sizeof note);
    EXPECT_FALSE(client->OpenPort(0, "RtMidi Output"));
    EXPECT_FALSE(client->IsPortOpen());
}
