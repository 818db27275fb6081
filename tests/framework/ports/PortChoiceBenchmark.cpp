// A port choice's time on the thread that makes it (the window's, when the
// user picks a device in a menu): the output chosen again some time after its
// last choice, which closes the port opened then and opens it anew, told open
// once the server carries the new connection. The real port layer in a test
// plug-in, on a private `jackd -d dummy` server (cycles of 128 frames at
// 48 kHz, 2.7 ms) with the simulated Zelto 2. Wall time, as the window waits
// it; the argument is the milliseconds since the choice before. The figures
// mean something only from a Release build (-DCMAKE_BUILD_TYPE=Release).
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>

#include "PortTestPlugin.h"
#include "support/JackServer.h"
#include "support/SimulatedSynth.h"

namespace {

struct Stage {
    testsupport::JackServer server;
    testsupport::SimulatedSynth synth;
    std::unique_ptr<PortTestPlugin> plug;
    std::string error;

    Stage()
    {
        setenv("ZELTO2X_BUILD_DIR", ZELTO2X_BINARY_DIR, 0);
        if (!server.Start(&error) || !synth.Start(&error))
            return;
        plug = std::make_unique<PortTestPlugin>();
        plug->getExternalMIDIOutNames();
    }
    // Once for the whole program: the server and the synth stay up between runs.
    static Stage& Up()
    {
        static Stage stage;
        return stage;
    }
};

}  // namespace

static void BM_OutputChosenAgain(benchmark::State& state)
{
    Stage& stage = Stage::Up();
    if (!stage.plug) {
        state.SkipWithError(stage.error.c_str());
        return;
    }
    const std::string port = stage.synth.InputPortName();
    int chosen = 1;
    if (stage.plug->setExternalMIDIOut(chosen, port.c_str()) <= 0) {
        state.SkipWithError("the synth's port could not be chosen");
        return;
    }
    for (auto _ : state) {
        state.PauseTiming();
        std::this_thread::sleep_for(std::chrono::milliseconds(state.range(0)));
        state.ResumeTiming();
        int again = 1;
        benchmark::DoNotOptimize(stage.plug->setExternalMIDIOut(again, port.c_str()));
    }
}
BENCHMARK(BM_OutputChosenAgain)->Arg(100)->Arg(1000)->Iterations(40)->UseRealTime()->Unit(benchmark::kMillisecond);
