// Decoding one 137-byte sound dump into the parameters of an editor without a
// window (values stored directly, raw bytes kept in the patch-data container).
// The decoder logs each changed byte on standard output, which the benchmark
// silences: read the figures with --benchmark_out=FILE --benchmark_out_format=console.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <vector>

#include "IPluginStructs.h"
#include "MIDIMessageManager.h"
#include "SysExProtocol.h"
#include "Zelto2X.h"

// state.range(0): 1 when every parameter byte changes from one dump to the
// next (each change is logged), 0 when the same dump arrives again.
static void DecodeSoundDump(benchmark::State& state)
{
    std::freopen("/dev/null", "w", stdout);
    Zelto2X editor {IPluginInstanceInfo()};
    const std::vector<uint8_t> init(zsysex::initSinglePatch, zsysex::initSinglePatch + zsysex::kSoundDumpSize);
    std::vector<uint8_t> dumps[2] = {init, init};
    for (int i = 7; i <= 114; ++i)
        dumps[1][i] = static_cast<uint8_t>((dumps[1][i] + 1) & 0x7F);
    int n = 0;
    for (auto _ : state) {
        ISysEx msg(0, dumps[state.range(0) ? (n++ & 1) : 0].data(), zsysex::kSoundDumpSize);
        editor.midiMessageManager->sysexPartPatchParse(&msg);
    }
}
BENCHMARK(DecodeSoundDump)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
