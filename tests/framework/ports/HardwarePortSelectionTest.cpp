// Port lists and opening and closing ports by name, on a private JACK server
// with the simulated Zelto 2.

#include "JackPortFixture.h"

TEST_F(JackPortTest, ListsStartWithOffAndShowTheSynthsPorts)
{
    const std::vector<std::string> inputs = plug->getExternalMIDIInNames();
    const std::vector<std::string> outputs = plug->getExternalMIDIOutNames();
    ASSERT_FALSE(inputs.empty());
    ASSERT_FALSE(outputs.empty());
    EXPECT_EQ(inputs[0], "OFF");
    EXPECT_EQ(outputs[0], "OFF");
    EXPECT_NE(std::find(inputs.begin() + 1, inputs.end(), synth.OutputPortName()), inputs.end());
    EXPECT_NE(std::find(outputs.begin() + 1, outputs.end(), synth.InputPortName()), outputs.end());
}

TEST_F(JackPortTest, FirstListRequestPrintsTheHeaderAndEachPortFound)
{
    testing::internal::CaptureStdout();
    plug->getExternalMIDIOutNames();
    const std::string printed = testing::internal::GetCapturedStdout();
    EXPECT_NE(printed.find("MIDI OUT INITIALIZATION\n"), std::string::npos) << printed;
    EXPECT_NE(printed.find("MIDI OUT Port: " + synth.InputPortName() + " found and assigned!\n"), std::string::npos)
        << printed;
}

TEST_F(JackPortTest, ListsAreBuiltOnceAndMissPortsThatAppearLater)
{
    const std::vector<std::string> before = plug->getExternalMIDIInNames();
    testsupport::SimulatedSynth later;
    std::string error;
    ASSERT_TRUE(later.Start(&error, {}, "Later Synth")) << error;
    EXPECT_EQ(plug->getExternalMIDIInNames(), before);
}

TEST_F(JackPortTest, OpeningByNameReturnsTheListEntryAndOffClosesThePort)
{
    const std::vector<std::string> outputs = plug->getExternalMIDIOutNames();
    const int entry = static_cast<int>(std::find(outputs.begin(), outputs.end(), synth.InputPortName()) - outputs.begin());
    int index = 1;
    EXPECT_EQ(plug->setExternalMIDIOut(index, synth.InputPortName().c_str()), entry);
    EXPECT_EQ(index, entry);
    EXPECT_TRUE(server.HasPort(kOurOutputPort));

    int off = 0;
    EXPECT_EQ(plug->setExternalMIDIOut(off, "OFF"), 0);
    EXPECT_FALSE(server.HasPort(kOurOutputPort));
}

TEST_F(JackPortTest, SelectingTheOffEntryByNameClosesTheInput)
{
    plug->getExternalMIDIInNames();
    int index = 1;
    ASSERT_GT(plug->setExternalMIDIIn(index, synth.OutputPortName().c_str()), 0);
    EXPECT_TRUE(server.HasPort(kOurInputPort));
    index = 1;
    EXPECT_EQ(plug->setExternalMIDIIn(index, "OFF"), 0);
    EXPECT_EQ(index, 0);
    EXPECT_FALSE(server.HasPort(kOurInputPort));
}

TEST_F(JackPortTest, UnknownPortNameReturnsZeroAndOpensNothing)
{
    plug->getExternalMIDIInNames();
    plug->getExternalMIDIOutNames();
    int in = 3;
    int out = 3;
    EXPECT_EQ(plug->setExternalMIDIIn(in, "No Such Port"), 0);
    EXPECT_EQ(plug->setExternalMIDIOut(out, "No Such Port"), 0);
    EXPECT_EQ(in, 0);
    EXPECT_EQ(out, 0);
    EXPECT_FALSE(server.HasPort(kOurInputPort));
    EXPECT_FALSE(server.HasPort(kOurOutputPort));
}

TEST_F(JackPortTest, PortIsFoundByNameWhenOthersVanishedAfterTheListWasBuilt)
{
    // The list holds a first synth before the one we want; the first one
    // then goes away, so list entry i is no longer system port i - 1.
    testsupport::SimulatedSynth second;
    std::string error;
    ASSERT_TRUE(second.Start(&error, {}, "Second Synth")) << error;
    const std::vector<std::string> outputs = plug->getExternalMIDIOutNames();
    const auto first = std::find(outputs.begin(), outputs.end(), synth.InputPortName());
    const auto wanted = std::find(outputs.begin(), outputs.end(), second.InputPortName());
    ASSERT_LT(first, wanted);
    synth.Stop();

    int index = 1;
    const int entry = static_cast<int>(wanted - outputs.begin());
    EXPECT_EQ(plug->setExternalMIDIOut(index, second.InputPortName().c_str()), entry);
    IMidiMsg note(0, 0x90, 0x3C, 0x64);
    plug->SendMidiMsg(&note);
    EXPECT_TRUE(second.WaitForReceived("90 3C 64"));
}

TEST_F(JackPortTest, PortThatVanishedOpensNothingAndReturnsZero)
{
    plug->getExternalMIDIInNames();
    plug->getExternalMIDIOutNames();
    synth.Stop();
    int in = 1;
    int out = 1;
    testing::internal::CaptureStdout();
    EXPECT_EQ(plug->setExternalMIDIIn(in, synth.OutputPortName().c_str()), 0);
    EXPECT_NE(testing::internal::GetCapturedStdout().find("UNABLE TO OCCUBY MIDI INPUT PORT!!\n"), std::string::npos);
    EXPECT_EQ(plug->setExternalMIDIOut(out, synth.InputPortName().c_str()), 0);
    EXPECT_EQ(in, 0);
    EXPECT_EQ(out, 0);
    EXPECT_FALSE(server.HasPort(kOurInputPort));
    EXPECT_FALSE(server.HasPort(kOurOutputPort));
}

TEST_F(JackPortTest, DeviceLookupsGiveListPositions)
{
    const std::vector<std::string> outputs = plug->getExternalMIDIOutNames();
    const int entry = static_cast<int>(std::find(outputs.begin(), outputs.end(), synth.InputPortName()) - outputs.begin());
    EXPECT_EQ(plug->getExternalMIDIOutDevice(synth.InputPortName().c_str()), entry);
    EXPECT_EQ(plug->getExternalMIDIOutDevice("No Such Port"), -1);
    EXPECT_EQ(plug->GetMIDIOutPortNumber("OFF"), 0);
    EXPECT_EQ(plug->GetMIDIOutPortNumber("virtual output"), 1);
    EXPECT_EQ(plug->GetMIDIOutPortNumber(synth.InputPortName().c_str()), entry);
    EXPECT_EQ(plug->GetMIDIInPortNumber("No Such Port"), -1);
}

TEST_F(JackPortTest, VirtualOutputOpensAPortNamedFromAndTheName)
{
    EXPECT_TRUE(plug->initializeVirtualOutput("Zelto2X Editor"));
    EXPECT_TRUE(server.HasPort("RtMidi Output Client:From Zelto2X Editor"));
}
