// Port lists and opening and closing ports by name, on a private JACK server
// with the simulated Zelto 2.

#include "JackPortFixture.h"

namespace {

int EntryOf(const std::vector<std::string>& list, const std::string& name)
{
    return static_cast<int>(std::find(list.begin(), list.end(), name) - list.begin());
}

}  // namespace

TEST_F(JackPortTest, ListsStartWithOffAreBuiltOnceOpeningByNameReturnsTheEntryAlsoAfterEarlierPortsVanishedOffClosesUnknownOrVanishedNamesOpenNothingAndAVirtualOutputOpens)
{
    testsupport::SimulatedSynth secondSynth;  // listed after the fixture's synth, which vanishes below
    std::string error;
    ASSERT_TRUE(secondSynth.Start(&error, {}, "Second Synth")) << error;
    const std::vector<std::string> outputs = plug->getExternalMIDIOutNames();
    const std::vector<std::string> inputs = plug->getExternalMIDIInNames();
    ASSERT_FALSE(inputs.empty() || outputs.empty());
    EXPECT_EQ(inputs[0] + outputs[0], "OFFOFF");
    EXPECT_LT(EntryOf(inputs, synth.OutputPortName()), static_cast<int>(inputs.size()));
    const int entry = EntryOf(outputs, synth.InputPortName());
    EXPECT_LT(entry, static_cast<int>(outputs.size()));
    // Ports that appear later are missed.
    testsupport::SimulatedSynth later;
    ASSERT_TRUE(later.Start(&error, {}, "Later Synth")) << error;
    EXPECT_EQ(plug->getExternalMIDIInNames(), inputs);

    EXPECT_EQ(plug->getExternalMIDIOutDevice(synth.InputPortName().c_str()), entry);
    EXPECT_EQ(plug->getExternalMIDIOutDevice("No Such Port"), -1);
    EXPECT_EQ(plug->GetMIDIOutPortNumber("OFF"), 0);
    EXPECT_EQ(plug->GetMIDIOutPortNumber("virtual output"), 1);
    EXPECT_EQ(plug->GetMIDIOutPortNumber(synth.InputPortName().c_str()), entry);
    EXPECT_EQ(plug->GetMIDIInPortNumber("No Such Port"), -1);
    int out = 1, in = 1;
    EXPECT_EQ(plug->setExternalMIDIOut(out, synth.InputPortName().c_str()), entry);
    EXPECT_EQ(out, entry);
    ASSERT_GT(plug->setExternalMIDIIn(in, synth.OutputPortName().c_str()), 0);
    EXPECT_TRUE(server.HasPort(kOurOutputPort) && server.HasPort(kOurInputPort));
    // A second editor lists the synth, but no editor's port as a device.
    PortTestPlugin second;
    std::vector<std::string> listed = second.getExternalMIDIInNames();
    EXPECT_LT(EntryOf(listed, synth.OutputPortName()), static_cast<int>(listed.size()));
    for (const std::string& name : second.getExternalMIDIOutNames())
        listed.push_back(name);
    for (const std::string& name : listed)
        EXPECT_EQ(name.find("RtMidi"), std::string::npos) << name;

    out = 0, in = 1;
    EXPECT_EQ(plug->setExternalMIDIOut(out, "OFF"), 0);
    EXPECT_EQ(plug->setExternalMIDIIn(in, "OFF"), 0);
    EXPECT_EQ(in, 0);
    EXPECT_FALSE(server.HasPort(kOurOutputPort) || server.HasPort(kOurInputPort));
    // An unknown name, or the name of a port that vanished, gives 0 and opens nothing.
    for (bool vanished : {false, true}) {
        if (vanished)
            StopSynth();
        in = out = 3;
        EXPECT_EQ(plug->setExternalMIDIIn(in, vanished ? synth.OutputPortName().c_str() : "No Such Port"), 0);
        EXPECT_EQ(plug->setExternalMIDIOut(out, vanished ? synth.InputPortName().c_str() : "No Such Port"), 0);
        EXPECT_EQ(in + out, 0);
        EXPECT_FALSE(server.HasPort(kOurInputPort) || server.HasPort(kOurOutputPort));
    }
    // A port is found by its name although the ports listed before it vanished.
    const int wanted = EntryOf(outputs, secondSynth.InputPortName());
    ASSERT_LT(entry, wanted);
    out = 1;
    EXPECT_EQ(plug->setExternalMIDIOut(out, secondSynth.InputPortName().c_str()), wanted);
    ASSERT_TRUE(WaitUntilOutputFlows(secondSynth));
    IMidiMsg note(0, 0x90, 0x3C, 0x64);
    plug->SendMidiMsg(&note);
    EXPECT_TRUE(secondSynth.WaitForReceived("90 3C 64"));
    // A virtual output is named "From" and the name.
    EXPECT_TRUE(plug->initializeVirtualOutput("Zelto2X Editor"));
    EXPECT_TRUE(server.HasPort("RtMidi Output Client:From Zelto2X Editor"));
}

// libjack frees the clients of a server that went away once the process opens
// another client (here a second plug-in, as a second editor in one host):
// the first plug-in's ports must neither be used nor closed after that.
TEST_F(JackPortTest, ServerGoneThenASecondPluginLeavesTheFirstUsableAndClosable)
{
    ConnectToSynth();
    synth.Stop();
    server.Stop();
    auto second = std::make_unique<PortTestPlugin>();
    EXPECT_EQ(second->getExternalMIDIOutNames(), std::vector<std::string> {"OFF"});
    int in = 1, out = 1;
    EXPECT_EQ(plug->setExternalMIDIIn(in, synth.OutputPortName().c_str()), 0);
    EXPECT_EQ(plug->setExternalMIDIOut(out, synth.InputPortName().c_str()), 0);
    IMidiMsg note(0, 0x90, 0x3C, 0x64);
    EXPECT_TRUE(plug->SendMidiMsg(&note));
    plug.reset();
    second.reset();
}
