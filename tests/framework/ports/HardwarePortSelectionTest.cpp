// Port lists and opening and closing ports by name, on a private JACK server
// with the simulated Zelto 2.

#include "JackPortFixture.h"

namespace {

int EntryOf(const std::vector<std::string>& list, const std::string& name)
{
    return static_cast<int>(std::find(list.begin(), list.end(), name) - list.begin());
}

}  // namespace

TEST_F(JackPortTest, ListsStartWithOffShowTheSynthsPortsAreBuiltOnceAndPrintEachPortFound)
{
    testing::internal::CaptureStdout();
    const std::vector<std::string> outputs = plug->getExternalMIDIOutNames();
    const std::string printed = testing::internal::GetCapturedStdout();
    EXPECT_NE(printed.find("MIDI OUT INITIALIZATION\n"), std::string::npos) << printed;
    EXPECT_NE(printed.find("MIDI OUT Port: " + synth.InputPortName() + " found and assigned!\n"), std::string::npos)
        << printed;
    const std::vector<std::string> inputs = plug->getExternalMIDIInNames();
    ASSERT_FALSE(inputs.empty());
    ASSERT_FALSE(outputs.empty());
    EXPECT_EQ(inputs[0], "OFF");
    EXPECT_EQ(outputs[0], "OFF");
    EXPECT_LT(EntryOf(inputs, synth.OutputPortName()), static_cast<int>(inputs.size()));
    EXPECT_LT(EntryOf(outputs, synth.InputPortName()), static_cast<int>(outputs.size()));

    // Ports that appear later are missed.
    testsupport::SimulatedSynth later;
    std::string error;
    ASSERT_TRUE(later.Start(&error, {}, "Later Synth")) << error;
    EXPECT_EQ(plug->getExternalMIDIInNames(), inputs);
}

TEST_F(JackPortTest, OpeningByNameReturnsTheListEntryAndOffClosesThePort)
{
    const std::vector<std::string> outputs = plug->getExternalMIDIOutNames();
    plug->getExternalMIDIInNames();
    const int entry = EntryOf(outputs, synth.InputPortName());
    EXPECT_EQ(plug->getExternalMIDIOutDevice(synth.InputPortName().c_str()), entry);
    EXPECT_EQ(plug->getExternalMIDIOutDevice("No Such Port"), -1);
    EXPECT_EQ(plug->GetMIDIOutPortNumber("OFF"), 0);
    EXPECT_EQ(plug->GetMIDIOutPortNumber("virtual output"), 1);
    EXPECT_EQ(plug->GetMIDIOutPortNumber(synth.InputPortName().c_str()), entry);
    EXPECT_EQ(plug->GetMIDIInPortNumber("No Such Port"), -1);
    int out = 1;
    EXPECT_EQ(plug->setExternalMIDIOut(out, synth.InputPortName().c_str()), entry);
    EXPECT_EQ(out, entry);
    int in = 1;
    ASSERT_GT(plug->setExternalMIDIIn(in, synth.OutputPortName().c_str()), 0);
    EXPECT_TRUE(server.HasPort(kOurOutputPort));
    EXPECT_TRUE(server.HasPort(kOurInputPort));

    out = 0;
    EXPECT_EQ(plug->setExternalMIDIOut(out, "OFF"), 0);
    in = 1;
    EXPECT_EQ(plug->setExternalMIDIIn(in, "OFF"), 0);
    EXPECT_EQ(in, 0);
    EXPECT_FALSE(server.HasPort(kOurOutputPort));
    EXPECT_FALSE(server.HasPort(kOurInputPort));
}

TEST_F(JackPortTest, UnknownOrVanishedPortNameReturnsZeroAndOpensNothing)
{
    plug->getExternalMIDIInNames();
    plug->getExternalMIDIOutNames();
    auto expectNothingOpened = [&](const std::string& inName, const std::string& outName) {
        int in = 3;
        int out = 3;
        testing::internal::CaptureStdout();
        EXPECT_EQ(plug->setExternalMIDIIn(in, inName.c_str()), 0);
        const std::string printed = testing::internal::GetCapturedStdout();
        EXPECT_EQ(plug->setExternalMIDIOut(out, outName.c_str()), 0);
        EXPECT_EQ(in, 0);
        EXPECT_EQ(out, 0);
        EXPECT_FALSE(server.HasPort(kOurInputPort));
        EXPECT_FALSE(server.HasPort(kOurOutputPort));
        return printed;
    };
    expectNothingOpened("No Such Port", "No Such Port");
    synth.Stop();
    EXPECT_NE(expectNothingOpened(synth.OutputPortName(), synth.InputPortName()).find(
                  "UNABLE TO OCCUBY MIDI INPUT PORT!!\n"),
              std::string::npos);
}

TEST_F(JackPortTest, PortIsFoundByNameWhenOthersVanishedAfterTheListWasBuilt)
{
    // The list holds a first synth before the one we want; the first one
    // then goes away, so list entry i is no longer system port i - 1.
    testsupport::SimulatedSynth second;
    std::string error;
    ASSERT_TRUE(second.Start(&error, {}, "Second Synth")) << error;
    const std::vector<std::string> outputs = plug->getExternalMIDIOutNames();
    const int wanted = EntryOf(outputs, second.InputPortName());
    ASSERT_LT(EntryOf(outputs, synth.InputPortName()), wanted);
    synth.Stop();

    int index = 1;
    EXPECT_EQ(plug->setExternalMIDIOut(index, second.InputPortName().c_str()), wanted);
    ASSERT_TRUE(WaitUntilOutputFlows(second));
    IMidiMsg note(0, 0x90, 0x3C, 0x64);
    plug->SendMidiMsg(&note);
    EXPECT_TRUE(second.WaitForReceived("90 3C 64"));
}

TEST_F(JackPortTest, VirtualOutputOpensAPortNamedFromAndTheName)
{
    EXPECT_TRUE(plug->initializeVirtualOutput("Zelto2X Editor"));
    EXPECT_TRUE(server.HasPort("RtMidi Output Client:From Zelto2X Editor"));
}
