#pragma once
// Each test: a private JACK server, one simulated Zelto 2 and a fresh
// plug-in whose port lists are built after the synth's ports exist.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "PortTestPlugin.h"
#include "support/JackSynthTest.h"

using testsupport::kGenerousTimeout;

class JackPortTest : public testsupport::JackSynthTest {
protected:
    void SetUp() override
    {
        JackSynthTest::SetUp();
        if (!HasFatalFailure())
            plug = std::make_unique<PortTestPlugin>();
    }
    void TearDown() override
    {
        plug.reset();
        JackSynthTest::TearDown();
    }

    // Opens both directions on the synth; fails the test when either fails.
    void ConnectToSynth()
    {
        plug->getExternalMIDIInNames();
        plug->getExternalMIDIOutNames();
        int in = 1, out = 1;
        ASSERT_GT(plug->setExternalMIDIIn(in, synth.OutputPortName().c_str()), 0);
        ASSERT_GT(plug->setExternalMIDIOut(out, synth.InputPortName().c_str()), 0);
        // A first message through each way proves the path is up.
        ASSERT_TRUE(WaitUntilInputFlows());
        ASSERT_TRUE(WaitUntilOutputFlows(synth));
        sentBefore = synth.Received().size();
    }

    // JACK takes a new connection into use at a later cycle, so a message
    // sent right after opening may go nowhere: both send until one arrives.
    // What is sent are song position pointers (F2) the fixture numbers, so a
    // wait is over only once a message sent after it began has arrived.
    bool WaitUntilInputFlows()
    {
        const int first = markersSent + 1;
        const auto deadline = std::chrono::steady_clock::now() + kGenerousTimeout;
        do {
            synth.Send(MarkerText(++markersSent));
            const auto sentSinceTheWaitBegan = [first](const std::vector<ReceivedMidi>& midi) {
                return std::any_of(midi.begin(), midi.end(), [first](const ReceivedMidi& r) {
                    return r.msg.mStatus == 0xF2 && (r.msg.mData1 | r.msg.mData2 << 7) >= first;
                });
            };
            if (plug->WaitForMidi(sentSinceTheWaitBegan, std::chrono::milliseconds(200))) {
                readyMidiCount = plug->Midi().size();
                return true;
            }
        } while (std::chrono::steady_clock::now() < deadline);
        return false;
    }

    bool WaitUntilOutputFlows(const testsupport::SimulatedSynth& to)
    {
        const auto deadline = std::chrono::steady_clock::now() + kGenerousTimeout;
        do {
            const int marker = ++markersSent;
            plug->SendMidiSysex2({0xF2, static_cast<unsigned char>(marker & 0x7F),
                static_cast<unsigned char>((marker >> 7) & 0x7F)});
            if (to.WaitForReceived(MarkerText(marker), std::chrono::milliseconds(200)))
                return true;
        } while (std::chrono::steady_clock::now() < deadline);
        return false;
    }

    // What the synth or the plug-in got after the paths were proven, late markers left out.
    std::vector<std::string> AfterReady(std::vector<std::string> all) const
    {
        all.erase(all.begin(), all.begin() + std::min(sentBefore, all.size()));
        all.erase(std::remove_if(all.begin(), all.end(), IsMarker), all.end());
        return all;
    }
    std::vector<ReceivedMidi> AfterReady(std::vector<ReceivedMidi> all) const
    {
        all.erase(all.begin(), all.begin() + std::min(readyMidiCount, all.size()));
        all.erase(std::remove_if(all.begin(), all.end(),
                      [](const ReceivedMidi& r) { return r.msg.mStatus == 0xF2; }),
            all.end());
        return all;
    }
    bool WaitForSentAfterReady(size_t count)
    {
        return synth.WaitForReceivedLines(
            [&](const std::vector<std::string>& all) { return AfterReady(all).size() >= count; });
    }

    // Stops the synth and waits until the plug-in no longer sees its ports:
    // JACK drops them from its lists at a later cycle.
    void StopSynth()
    {
        synth.Stop();
        const auto deadline = std::chrono::steady_clock::now() + kGenerousTimeout;
        while ((plug->GetMIDIInPortNumber(synth.OutputPortName().c_str()) > 0
                   || plug->GetMIDIOutPortNumber(synth.InputPortName().c_str()) > 0)
            && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }

    // A line of the synth's wire log that only proved the output path.
    static bool IsMarker(const std::string& line) { return line.rfind("F2 ", 0) == 0; }
    // The numbered marker as the wire log writes it.
    static std::string MarkerText(int marker)
    {
        char text[16];
        std::snprintf(text, sizeof text, "F2 %02X %02X", marker & 0x7F, (marker >> 7) & 0x7F);
        return text;
    }

    std::unique_ptr<PortTestPlugin> plug;
    size_t readyMidiCount = 0;
    size_t sentBefore = 0;
    int markersSent = 0;
};

constexpr const char* kOurInputPort = "RtMidi Input Client:RtMidi Input";
constexpr const char* kOurOutputPort = "RtMidi Output Client:RtMidi Output";
