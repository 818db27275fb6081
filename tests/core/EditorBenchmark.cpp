// The real editor: start-up from the component entry of the built bundle to
// the first frame of its view (headless window system, a data folder of 50
// bank files of 100 sounds), and one render block with nothing to send.
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "HostWindow.h"
#include "PluginHost.h"
#include "Zelto2X.h"
#include "librarian/LibraryTestSupport.h"

namespace {

using namespace librarytest;

constexpr int kBankFiles = 50;

// Built once per run; removed when the program ends.
const TempDataFolder& dataFolder()
{
    static TempDataFolder data;
    static const bool written = [] {
        for (int f = 0; f < kBankFiles; ++f)
            writeFile(data.patches() + "/Bank " + std::to_string(f) + ".zt2",
                      concat(currentDumps(100, "B" + std::to_string(f) + " ")));
        return true;
    }();
    (void)written;
    return data;
}

void BM_StartupToFirstFrame(benchmark::State& state)
{
    setenv("ZELTO2X_HEADLESS", "1", 1);
    dataFolder();
    for (auto _ : state) {
        host::PluginHost pluginHost;
        if (!pluginHost.loadBundle(ZELTO2X_BUNDLE).ok() || !pluginHost.openCocoaView()) {
            state.SkipWithError("the editor did not open its view");
            break;
        }
        platform::WindowSystem* windows = host::ModuleWindowSystem();
        windows->ProcessEvents(0);  // draws the first frame
        state.PauseTiming();
        windows->FrontWindow()->InjectClose();
        windows->ProcessEvents(0);
        pluginHost.close();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_StartupToFirstFrame)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_RenderBlockWithNothingToSend(benchmark::State& state)
{
    dataFolder();
    Zelto2X editor {IPluginInstanceInfo()};
    editor.midiOutSet = true;
    editor.continuousClockStarted = true;
    editor.resetPending = false;
    for (auto _ : state)
        editor.ProcessDoubleReplacing(nullptr, nullptr, 512);
}
BENCHMARK(BM_RenderBlockWithNothingToSend)->Unit(benchmark::kMicrosecond);

}  // namespace
