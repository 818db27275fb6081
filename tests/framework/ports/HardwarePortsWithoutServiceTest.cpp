// The port layer when the computer's MIDI service offers no ports.

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>

#include "PortTestPlugin.h"

namespace {
class NoMidiServiceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        setenv("ZELTO2X_MIDI_API", "jack", 1);
        setenv("JACK_NO_START_SERVER", "1", 1);
        setenv("JACK_DEFAULT_SERVER", "zelto2x-no-such-server", 1);
    }
    void TearDown() override { unsetenv("ZELTO2X_MIDI_API"); }
};
}  // namespace

TEST_F(NoMidiServiceTest, SelectingBeforeTheListExistsReturnsZeroAndEachListIsExactlyOff)
{
    PortTestPlugin plug;
    int index = 2;
    EXPECT_EQ(plug.setExternalMIDIOut(index, "Anything"), 0);
    EXPECT_EQ(index, 0);
    index = 2;
    EXPECT_EQ(plug.setExternalMIDIIn(index, "Anything"), 0);
    EXPECT_EQ(index, 0);
    EXPECT_EQ(plug.getExternalMIDIInNames(), std::vector<std::string>{"OFF"});
    EXPECT_EQ(plug.getExternalMIDIOutNames(), std::vector<std::string>{"OFF"});
}

TEST_F(NoMidiServiceTest, SendsWithoutAnOpenPortReturnTrue)
{
    PortTestPlugin plug;
    plug.getExternalMIDIOutNames();
    IMidiMsg note(0, 0x90, 0x3C, 0x64);
    unsigned char sysex[] = {0x3E, 0x16, 0x00};
    EXPECT_TRUE(plug.SendMidiMsg(&note));
    EXPECT_TRUE(plug.SendMidiSysex(sysex, sizeof sysex));
    EXPECT_TRUE(plug.SendMidiSysex(sysex, 0));
    EXPECT_TRUE(plug.SendMidiSysex2({}));
}

TEST_F(NoMidiServiceTest, ClientThatCannotBeCreatedIsReportedAndLeavesOnlyOff)
{
    if (access("/dev/snd/seq", F_OK) == 0) {
        GTEST_SKIP() << "this machine has an ALSA sequencer";
    }
    setenv("ZELTO2X_MIDI_API", "alsa", 1);
    PortTestPlugin plug;
    testing::internal::CaptureStdout();
    const std::vector<std::string> inputs = plug.getExternalMIDIInNames();
    const std::string printed = testing::internal::GetCapturedStdout();
    EXPECT_EQ(inputs, std::vector<std::string>{"OFF"});
    EXPECT_EQ(printed.rfind("MIDI IN INITIALIZATION\nNo MIDI input ports available!\n", 0), 0u) << printed;
    int index = 1;
    EXPECT_EQ(plug.setExternalMIDIIn(index, "OFF"), 0);
}
