// Costs on the paths that run on real-time threads: the library thread's
// copy into the input queue, and a short send as the render thread makes it.

#include <benchmark/benchmark.h>

#include <cstdlib>

#include "PortTestPlugin.h"
#include "platform/MidiByteRing.h"

// state.range(0): the message size, a note-on (3) or a sound dump (137).
static void BM_InputQueuePushPop(benchmark::State& state)
{
    platform::MidiByteRing ring(1 << 17);
    const std::vector<unsigned char> message(static_cast<size_t>(state.range(0)), 0x10);
    std::vector<unsigned char> out;
    out.reserve(256);
    double stamp = 0;
    for (auto _ : state) {
        ring.Push(0.0, message.data(), message.size());
        ring.Pop(&stamp, &out);
        benchmark::DoNotOptimize(out.data());
    }
}
BENCHMARK(BM_InputQueuePushPop)->Arg(3)->Arg(137);

// The port mutex uncontended, without a MIDI service (no client): what the
// render thread pays per queued message besides the library's own work.
static void BM_SendShortMessageUncontended(benchmark::State& state)
{
    setenv("ZELTO2X_MIDI_API", "jack", 1);
    setenv("JACK_NO_START_SERVER", "1", 1);
    setenv("JACK_DEFAULT_SERVER", "zelto2x-no-such-server", 1);
    PortTestPlugin plug;
    IMidiMsg note(0, 0x90, 0x3C, 0x64);
    for (auto _ : state) {
        benchmark::DoNotOptimize(plug.SendMidiMsg(&note));
    }
}
BENCHMARK(BM_SendShortMessageUncontended);
