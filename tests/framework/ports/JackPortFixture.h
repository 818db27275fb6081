#pragma once
// Each test: a private JACK server, one simulated Zelto 2 and a fresh
// plug-in whose port lists are built after the synth's ports exist.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "PortTestPlugin.h"
#include "support/JackServer.h"
#include "support/SimulatedSynth.h"

using testsupport::kGenerousTimeout;

class JackPortTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string error;
        ASSERT_TRUE(server.Start(&error)) << error;
        ASSERT_TRUE(synth.Start(&error)) << error;
        plug = std::make_unique<PortTestPlugin>();
    }
    void TearDown() override
    {
        plug.reset();
        synth.Stop();
        server.Stop();
    }

    // Opens both directions on the synth; fails the test when either fails.
    void ConnectToSynth()
    {
        plug->getExternalMIDIInNames();
        plug->getExternalMIDIOutNames();
        int in = 1;
        int out = 1;
        ASSERT_GT(plug->setExternalMIDIIn(in, synth.OutputPortName().c_str()), 0);
        ASSERT_GT(plug->setExternalMIDIOut(out, synth.InputPortName().c_str()), 0);
        // Our input is connected once the server lists the connection; a
        // first message through proves the path is up.
        ASSERT_TRUE(WaitUntilInputFlows());
    }

    // Sends tune request (F6, one byte) from the synth until one arrives.
    bool WaitUntilInputFlows()
    {
        synth.Send("F6");
        if (!plug->WaitForMidiCount(1, kGenerousTimeout)) {
            return false;
        }
        readyMidiCount = plug->Midi().size();
        return true;
    }

    std::vector<ReceivedMidi> MidiAfterReady() const
    {
        std::vector<ReceivedMidi> all = plug->Midi();
        return std::vector<ReceivedMidi>(all.begin() + static_cast<long>(readyMidiCount), all.end());
    }

    testsupport::JackServer server;
    testsupport::SimulatedSynth synth;
    std::unique_ptr<PortTestPlugin> plug;
    size_t readyMidiCount = 0;
};

constexpr const char* kOurInputPort = "RtMidi Input Client:RtMidi Input";
constexpr const char* kOurOutputPort = "RtMidi Output Client:RtMidi Output";
