// The real editor: start-up from the component entry of the built bundle to the first frame of its view (headless
// window system, a data folder of 50 bank files of 100 sounds), redraws of its panel, and one render block with nothing
// to send.
//
// BM_ColdStartupToFirstFrame starts each round in a fresh child process, as a host does when it first opens the editor
// (the module, once loaded, keeps its bitmap cache): its time is the child's CPU time, all threads, from the entry to
// the first frame.
#include <benchmark/benchmark.h>
#include <dlfcn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "HostWindow.h"
#include "IGraphics.h"
#include "PluginHost.h"
#include "Zelto2X.h"
#include "librarian/LibraryTestSupport.h"

namespace {

using namespace librarytest;

// Built once per run; removed when the program ends.
const TempDataFolder& dataFolder()
{
    static TempDataFolder data;
    static const bool written = [] {
        for (int f = 0; f < 50; ++f)
            writeFile(data.patches() + "/Bank " + std::to_string(f) + ".zt2",
                      concat(currentDumps(100, "B" + std::to_string(f) + " ")));
        return true;
    }();
    (void)written;
    return data;
}

double secondsOf(clockid_t clock)
{
    timespec now {};
    clock_gettime(clock, &now);
    return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}

bool moduleLoaded() { return host::ModuleWindowSystem() != nullptr; }

// The headless window system and the UI settings file's interface size: "normal" (scale 1) or "large" (1.25).
void prepare(bool large)
{
    setenv("ZELTO2X_HEADLESS", "1", 1);
    std::ofstream(dataFolder().root + "/Zelto2X Editor UI.txt") << "normal\n"
                                                                << (large ? "large" : "normal") << "\n1\n\n\n";
}

// In the child: opens the editor, draws the first frame and writes the CPU
// and wall seconds it took into the pipe. Never returns.
[[noreturn]] void startInChild(int pipeOut)
{
    const double cpu0 = secondsOf(CLOCK_PROCESS_CPUTIME_ID), wall0 = secondsOf(CLOCK_MONOTONIC);
    host::PluginHost pluginHost;
    double result[2] = {-1.0, -1.0};
    if (pluginHost.loadBundle(ZELTO2X_BUNDLE).ok() && pluginHost.openCocoaView()) {
        host::ModuleWindowSystem()->ProcessEvents(0);  // draws the first frame
        result[0] = secondsOf(CLOCK_PROCESS_CPUTIME_ID) - cpu0;
        result[1] = secondsOf(CLOCK_MONOTONIC) - wall0;
    }
    const ssize_t written = write(pipeOut, result, sizeof result);
    _exit(written == ssize_t(sizeof result) ? 0 : 1);  // the parent measured what it needs: no teardown
}

void BM_ColdStartupToFirstFrame(benchmark::State& state)
{
    prepare(state.range(0) != 0);
    if (moduleLoaded())
        return state.SkipWithError("the module is loaded already: run this case first or alone");
    double wallTotal = 0.0;
    for (auto _ : state) {
        int fds[2];
        if (pipe(fds) != 0)
            return state.SkipWithError("no pipe");
        const pid_t child = fork();
        if (child == 0) {
            close(fds[0]);
            startInChild(fds[1]);
        }
        close(fds[1]);
        double result[2] = {-1.0, -1.0};
        const ssize_t got = child > 0 ? read(fds[0], result, sizeof result) : -1;
        close(fds[0]);
        int status = 0;
        if (child > 0)
            waitpid(child, &status, 0);
        if (got != ssize_t(sizeof result) || result[0] < 0)
            return state.SkipWithError("the editor did not open its view in the child");
        state.SetIterationTime(result[0]);
        wallTotal += result[1];
    }
    state.counters["wall_ms"] = benchmark::Counter(wallTotal * 1000.0, benchmark::Counter::kAvgIterations);
}
// Registered first: the panel cases below load the module into this process.
BENCHMARK(BM_ColdStartupToFirstFrame)->ArgName("large")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)
    ->UseManualTime()->MinTime(2.0);

constexpr int kPanelBackgroundImage = 102;  // main-frame-bg.png, attached by the editor at start-up

// The bundle's resources are found through a loaded module of the bundle:
// opening the editor once through its entry leaves the module loaded.
bool bundleModuleLoaded()
{
    host::PluginHost pluginHost;
    return moduleLoaded() || (pluginHost.loadBundle(ZELTO2X_BUNDLE).ok() && moduleLoaded());
}

// The real editor's panel as the editor builds it (its own surface, layers
// and controls, sound page shown) at normal (0) or large (1) size.
struct RealPanel {
    explicit RealPanel(bool large) : ready((prepare(large), bundleModuleLoaded())) {}
    bool ready;  // the settings are written and the bundle found before the editor starts
    Zelto2X editor {IPluginInstanceInfo()};

    // The surface after its first frame and the timer's next one (controls that asked for one more redraw), as a window
    // shows it; null, with the reason reported, when the editor did not find its configuration.
    IGraphics* shownSurface(benchmark::State& state)
    {
        IGraphics* gui = editor.GetGUI();
        // The panel's own background image stands for the bundle's resources being found.
        if (!ready || !gui || !gui->getImageById(kPanelBackgroundImage).mData) {
            state.SkipWithError("the editor did not find its configuration");
            return nullptr;
        }
        gui->PrepDraw();
        IRECT all(0, 0, gui->Width(), gui->Height()), again;
        gui->Draw(&all);
        if (gui->IsDirty(&again))
            gui->Draw(&again);
        return gui;
    }
};

void BM_RealPanelFullRedraw(benchmark::State& state)
{
    RealPanel panel(state.range(0) != 0);
    IGraphics* gui = panel.shownSurface(state);
    // The whole view, as the window asks for it when it is shown or uncovered.
    for (auto _ : state) {
        IRECT all(0, 0, gui->Width(), gui->Height());
        gui->Draw(&all);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_RealPanelFullRedraw)->ArgName("large")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// One knob of the shown sound page turned from the host: only its rectangle is drawn.
void BM_RealPanelRedrawOneKnob(benchmark::State& state)
{
    RealPanel panel(state.range(0) != 0);
    IGraphics* gui = panel.shownSurface(state);
    int value = 0;
    for (auto _ : state) {
        value = (value + 7) % 128;
        gui->SetParameterFromPlug(kOscillator1Pulsewidth, value, false);
        IRECT dirty;
        gui->IsDirty(&dirty);
        gui->Draw(&dirty);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_RealPanelRedrawOneKnob)->ArgName("large")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

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
