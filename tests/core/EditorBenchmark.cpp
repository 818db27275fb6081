// The real editor: start-up through the component entry to the first frame of
// its view (headless window system, a data folder of 50 bank files of 100
// sounds), and one render block with nothing to send.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>

#include "IGraphics.h"
#include "IPluginAUView.h"
#include "PluginHost.h"
#include "Zelto2X.h"
#include "librarian/LibraryTestSupport.h"

extern "C" ComponentResult Zelto2X_Entry(ComponentParameters* params, void* plug);
extern "C" AUCocoaUIBase* Zelto2X_View_64();

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
        if (!pluginHost.loadEntry(Zelto2X_Entry).ok()) {
            state.SkipWithError("the editor did not open");
            break;
        }
        std::unique_ptr<AUCocoaUIBase> factory(Zelto2X_View_64());
        if (!factory->uiViewForAudioUnit(pluginHost.unit(), 0.0f, 0.0f)) {
            state.SkipWithError("the editor offered no view");
            break;
        }
        IGraphics* graphics = static_cast<IPluginAU*>(GetComponentInstanceStorage(pluginHost.unit()))->GetGUI();
        IRECT dirty;
        if (graphics->IsDirty(&dirty))
            graphics->Draw(&dirty);
        graphics->CloseWindow();
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
