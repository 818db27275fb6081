// The JACK server stopped or killed and started again many times in quick
// succession under the editor's open ports, other programs' clients coming
// and going beside. Not under ThreadSanitizer: there a client's close, which
// ends libjack's own threads with pthread_cancel, was seen to stall for good,
// and a stalled close stops MIDI until the process ends.

#include "JackPortFixture.h"
#include "WatchedPorts.h"

#include <random>

namespace {

// Another program's JACK clients opening and closing beside ours, one at a time, as long as it runs.
bool StartClientsComingAndGoing(testsupport::Subprocess& clients)
{
    testsupport::Subprocess::Options options;
    options.argv = {"/bin/sh", "-c", "while :; do timeout 5 jack_lsp >/dev/null 2>&1; sleep 0.02; done"};
    options.outputFile = "/dev/null";
    options.parentDeathSignal = SIGTERM;
    std::string error;
    return clients.Start(options, &error);
}

}  // namespace

// The server stopped (or killed) and started again at random gaps of up to a few hundred milliseconds, many times,
// while other clients come and go beside: nothing freezes, and once a server of that name runs settled the chosen
// ports are open on it again, carry MIDI both ways and name the ports held; the plug-in closes. (A server restarted
// among clients coming and going can itself stop taking clients, a race of JACK's own between a client closing and
// another opening: a synth that cannot start on one counts as that server going.)
TEST_F(JackPortTest, QuickServerRestartsEndWithTheChosenPortsHeldAndCarryingMidi)
{
    ConnectToSynth();
    Watched watched {*plug};
    watched.watch();
    testsupport::Subprocess clients;
    ASSERT_TRUE(StartClientsComingAndGoing(clients));
    const unsigned seed = std::random_device {}();
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> gap(0, 400);
    std::bernoulli_distribution crash(0.5);
    constexpr int kCycles = 50;
    for (int cycle = 0; cycle < kCycles; ++cycle) {
        server.Stop(crash(random) ? SIGKILL : SIGTERM);
        synth.Stop(SIGKILL);  // its server is gone: nothing of it is left to end cleanly
        std::this_thread::sleep_for(std::chrono::milliseconds(gap(random)));
        std::string error;
        ASSERT_TRUE(server.StartAgain(&error)) << error << " (cycle " << cycle << ", seed " << seed << ")";
        synth.Start(&error);
        std::this_thread::sleep_for(std::chrono::milliseconds(gap(random)));
    }
    clients.Stop(SIGTERM, kGenerousTimeout);
    server.Stop();
    synth.Stop();
    std::string error;
    ASSERT_TRUE(server.StartAgain(&error)) << error;
    ASSERT_TRUE(synth.Start(&error)) << error;
    EXPECT_TRUE(WaitUntilOutputFlows(synth)) << "seed " << seed;
    EXPECT_TRUE(WaitUntilInputFlows()) << "seed " << seed;
    EXPECT_EQ(synth.OutputPortName(), plug->getExternalMIDIChosenName(true));
    EXPECT_EQ(synth.InputPortName(), plug->getExternalMIDIChosenName(false));
    std::lock_guard<std::mutex> lock(watched.mutex);
    ASSERT_FALSE(watched.changes.empty());
    for (const char* direction : {"in ", "out "}) {
        const auto last = std::find_if(watched.changes.rbegin(), watched.changes.rend(),
            [&](const std::string& change) { return change.rfind(direction, 0) == 0; });
        EXPECT_TRUE(last == watched.changes.rend() || *last != std::string(direction) + "0")
            << direction << "told gone last, seed " << seed;
    }
}
