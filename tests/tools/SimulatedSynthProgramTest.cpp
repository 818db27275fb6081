// The zelto2-sim program's options no other test uses, on a private JACK
// server, driven from a third simulated synth wired to both by hand: silence
// and delay. (Its wire log, device ID and .syx files carry every JACK test.)

#include <gtest/gtest.h>

#include <algorithm>

#include "support/JackMidiProbes.h"
#include "support/JackServer.h"
#include "support/SimulatedSynth.h"

using testsupport::SimulatedSynth;

namespace {

std::vector<std::string> WithoutTuneRequests(std::vector<std::string> lines)
{
    lines.erase(std::remove(lines.begin(), lines.end(), "F6"), lines.end());
    return lines;
}

// JACK takes a new connection into use at a later cycle: tune requests (F6)
// until one gets through.
bool ConnectAndWaitUntilFlowing(SimulatedSynth& from, const SimulatedSynth& to)
{
    if (!testsupport::ConnectJackPorts(from.OutputPortName(), to.InputPortName()))
        return false;
    const auto deadline = std::chrono::steady_clock::now() + testsupport::kGenerousTimeout;
    do {
        from.Send("F6");
        if (to.WaitForReceived("F6", std::chrono::milliseconds(200)))
            return true;
    } while (std::chrono::steady_clock::now() < deadline);
    return false;
}

}  // namespace

// The silent synth has device 0, the delayed one device 1: an answer from the
// silent one would come long before the delayed one's.
TEST(SimulatedSynthProgram, SilentSynthNeverAnswersButTellsWhatItRefusesAndADelayedOneAnswersNoSoonerThanItsDelay)
{
    testsupport::JackServer server;
    SimulatedSynth controller, silent, delayed;
    std::string error;
    ASSERT_TRUE(server.Start(&error)) << error;
    ASSERT_TRUE(controller.Start(&error, {}, "Controller")) << error;
    ASSERT_TRUE(silent.Start(&error, {"--silent"}, "Silent")) << error;
    ASSERT_TRUE(delayed.Start(&error, {"--delay", "300", "--device-id", "1"}, "Delayed")) << error;
    for (SimulatedSynth* synth : {&silent, &delayed}) {
        ASSERT_TRUE(ConnectAndWaitUntilFlowing(controller, *synth));
        ASSERT_TRUE(ConnectAndWaitUntilFlowing(*synth, controller));
    }
    ASSERT_TRUE(controller.Send("F0 3E 16 00 10 7F 00 00 00 F7"));
    const auto sent = std::chrono::steady_clock::now();
    ASSERT_TRUE(controller.Send("F0 3E 16 00 00 7F 00 F7"));
    ASSERT_TRUE(controller.Send("F0 3E 16 01 00 7F 00 F7"));
    ASSERT_TRUE(controller.WaitForReceivedLines(
        [](const std::vector<std::string>& lines) { return !WithoutTuneRequests(lines).empty(); }));
    EXPECT_GE(std::chrono::steady_clock::now() - sent, std::chrono::milliseconds(300));
    ASSERT_TRUE(silent.WaitForReceived("F0 3E 16 01 00 7F 00 F7"));
    const std::vector<std::string> answers = WithoutTuneRequests(controller.Received());
    ASSERT_EQ(answers.size(), 1u);
    EXPECT_EQ(answers[0].substr(0, 20), "F0 3E 16 01 10 7F 00");
    // Its standard error comes apart from the wire log: read to the end once it stopped.
    silent.Stop();
    EXPECT_EQ(silent.Refusals(), std::vector<std::string> {"zelto2-sim: refused a sound dump of 10 bytes"});
}
