// The zelto2-sim program's options no other test uses, on a private JACK
// server, driven from a second simulated synth wired to it by hand: silence
// and delay. (Its wire log, device ID and .syx files carry every JACK test.)

#include <gtest/gtest.h>

#include <jack/jack.h>

#include <algorithm>

#include "support/JackServer.h"
#include "support/SimulatedSynth.h"

using testsupport::kGenerousTimeout;

namespace {

bool Connect(const std::string& server, const std::string& from, const std::string& to)
{
    jack_client_t* client = jack_client_open("zelto2x-wiring",
        static_cast<jack_options_t>(JackNoStartServer | JackServerName), nullptr, server.c_str());
    if (!client)
        return false;
    const int rc = jack_connect(client, from.c_str(), to.c_str());
    jack_client_close(client);
    return rc == 0;
}

std::vector<std::string> WithoutTuneRequests(std::vector<std::string> lines)
{
    lines.erase(std::remove(lines.begin(), lines.end(), "F6"), lines.end());
    return lines;
}

class SimulatedSynthProgramTest : public ::testing::Test {
protected:
    // Starts the synth under test with options and wires it both ways to the
    // controller, which then plays the editor's part.
    void StartSynth(std::vector<std::string> options)
    {
        std::string error;
        ASSERT_TRUE(server.Start(&error)) << error;
        ASSERT_TRUE(controller.Start(&error, {}, "Controller")) << error;
        ASSERT_TRUE(synth.Start(&error, std::move(options))) << error;
        ASSERT_TRUE(Connect(server.Name(), controller.OutputPortName(), synth.InputPortName()));
        ASSERT_TRUE(Connect(server.Name(), synth.OutputPortName(), controller.InputPortName()));
        ASSERT_TRUE(WaitUntilFlowing(controller, synth));
        ASSERT_TRUE(WaitUntilFlowing(synth, controller));
    }

    // JACK takes a new connection into use at a later cycle: tune requests
    // (F6) until one gets through.
    static bool WaitUntilFlowing(testsupport::SimulatedSynth& from, const testsupport::SimulatedSynth& to)
    {
        const auto deadline = std::chrono::steady_clock::now() + kGenerousTimeout;
        do {
            from.Send("F6");
            if (to.WaitForReceived("F6", std::chrono::milliseconds(200)))
                return true;
        } while (std::chrono::steady_clock::now() < deadline);
        return false;
    }

    testsupport::JackServer server;
    testsupport::SimulatedSynth controller;
    testsupport::SimulatedSynth synth;
};

}  // namespace

TEST_F(SimulatedSynthProgramTest, SilentSynthNeverAnswersAndTellsWhatItRefuses)
{
    StartSynth({"--silent"});
    ASSERT_TRUE(controller.Send("F0 3E 16 00 10 7F 00 00 00 F7"));
    ASSERT_TRUE(controller.Send("F0 3E 16 00 00 7F 00 F7"));
    ASSERT_TRUE(synth.WaitForReceived("F0 3E 16 00 00 7F 00 F7"));
    // A marker from the synth: everything it sent before has arrived once the marker has.
    synth.Send("F6");
    ASSERT_TRUE(controller.WaitForReceived("F6"));
    EXPECT_TRUE(WithoutTuneRequests(controller.Received()).empty());
    // Its standard error comes apart from the wire log: read to the end once it stopped.
    synth.Stop();
    EXPECT_EQ(synth.Refusals(), std::vector<std::string> {"zelto2-sim: refused a sound dump of 10 bytes"});
}

TEST_F(SimulatedSynthProgramTest, DelayedSynthAnswersNoSoonerThanTheDelay)
{
    StartSynth({"--delay", "300"});
    const auto sent = std::chrono::steady_clock::now();
    ASSERT_TRUE(controller.Send("F0 3E 16 00 00 7F 00 F7"));
    ASSERT_TRUE(controller.WaitForReceivedLines(
        [](const std::vector<std::string>& lines) { return !WithoutTuneRequests(lines).empty(); }));
    EXPECT_GE(std::chrono::steady_clock::now() - sent, std::chrono::milliseconds(300));
}
