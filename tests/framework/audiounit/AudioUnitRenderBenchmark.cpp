// One 512-frame block through the fast-dispatch render function, with and
// without host MIDI to deliver first.
#include <benchmark/benchmark.h>

#include "PluginHost.h"
#include "TestPlug.h"

namespace {

void BM_RenderBlock(benchmark::State& state)
{
    host::PluginHost pluginHost;
    pluginHost.loadEntry(&IPluginAU::IPluginAUEntry);
    pluginHost.setPlaying(true);
    for (auto _ : state)
        pluginHost.renderBlocks(1);
}
BENCHMARK(BM_RenderBlock);

void BM_RenderBlockWithHostMidi(benchmark::State& state)
{
    host::PluginHost pluginHost;
    pluginHost.loadEntry(&IPluginAU::IPluginAUEntry);
    for (auto _ : state) {
        pluginHost.queueMidi({0x90, 60, 100}, 12);
        pluginHost.renderBlocks(1);
        PlugOf(pluginHost.unit())->midi.clear();
    }
}
BENCHMARK(BM_RenderBlockWithHostMidi);

}  // namespace
