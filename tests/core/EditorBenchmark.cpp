// The real editor: start-up from a freshly started host program to the first frame of its view (headless window
// system, a data folder of 50 bank files of 100 sounds), full redraws of its panel with the copy into the window,
// redraws of one knob, and one render block with nothing to send.
//
// BM_HostProcessStartToFirstFrame starts build/host/zelto2x-host for each round, as a user starts a host and opens the
// editor: its time is the wall time from starting the program to the answer that the view showed its first frame
// (loading the module, the component entry, the editor's start-up, the view and its first frame); cpu_ms is the CPU
// time of the whole run to its end, all threads, closing included. With jack:1 a private JACK server (`jackd -d
// dummy`) runs, as the first command's session runs one, and the editor's port lists are JACK's; with jack:0 no server
// is reachable (the test isolation's default), so the lists' JACK clients fail at once.
#include <benchmark/benchmark.h>
#include <dlfcn.h>
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "HostWindow.h"
#include "IGraphics.h"
#include "PluginHost.h"
#include "Zelto2X.h"
#include "platform/CocoaWindowSystem.h"
#include "librarian/LibraryTestSupport.h"
#include "support/JackServer.h"

namespace {

using namespace librarytest;

// Built once per run; removed when the program ends.
const TempDataFolder& dataFolder()
{
    static TempDataFolder data;
    for (static int f = 0; f < 50; ++f)
        writeFile(data.patches() + "/Bank " + std::to_string(f) + ".zt2",
                  concat(currentDumps(100, "B" + std::to_string(f) + " ")));
    return data;
}

// The headless window system and the UI settings file's interface size: "normal" (scale 1) or "large" (1.25).
void prepare(bool large)
{
    setenv("ZELTO2X_HEADLESS", "1", 1);
    std::ofstream(dataFolder().root + "/Zelto2X Editor UI.txt") << "normal\n"
                                                                << (large ? "large" : "normal") << "\n1\n\n\n";
}

double cpuSecondsOfChildren()
{
    rusage usage {};
    getrusage(RUSAGE_CHILDREN, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
}

void BM_HostProcessStartToFirstFrame(benchmark::State& state)
{
    prepare(state.range(0) != 0);
    testsupport::JackServer jack;
    std::string error;
    if (state.range(1) != 0 && !jack.Start(&error))
        return state.SkipWithError(("no JACK server: " + error).c_str());
    setenv("ZELTO2X_DATA_FOLDER", dataFolder().root.c_str(), 1);
    const std::string script = dataFolder().root + "/open-view.txt";
    std::ofstream(script) << "openview\nquit\n";
    // The shell replaces itself with the host program; the answers come through the pipe, flushed one by one.
    const std::string command = "exec '" ZELTO2X_HOST_PROGRAM "' --no-realtime --script '" + script +
                                "' '" ZELTO2X_BUNDLE "' 2>/dev/null";
    double cpuTotal = 0.0;
    for (auto _ : state) {
        const double cpu0 = cpuSecondsOfChildren();
        const auto wall0 = std::chrono::steady_clock::now();
        std::FILE* fromHost = popen(command.c_str(), "r");
        char line[256] = "";
        bool shown = false;
        while (!shown && fromHost && std::fgets(line, sizeof line, fromHost) && std::string(line).rfind("ok", 0) == 0)
            shown = std::string(line).rfind("ok headless", 0) == 0;
        const std::chrono::duration<double> wall = std::chrono::steady_clock::now() - wall0;
        if (fromHost)
            pclose(fromHost);
        if (!shown)
            return state.SkipWithError("the host program did not show the editor's view");
        state.SetIterationTime(wall.count());
        cpuTotal += cpuSecondsOfChildren() - cpu0;
    }
    state.counters["cpu_ms"] = benchmark::Counter(cpuTotal * 1000.0, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_HostProcessStartToFirstFrame)->ArgNames({"large", "jack"})->ArgsProduct({{0, 1}, {1, 0}})
    ->Unit(benchmark::kMillisecond)->UseManualTime()->MinTime(2.0);

constexpr int kPanelBackgroundImage = 102;  // main-frame-bg.png, attached by the editor at start-up

// The bundle's resources are found through a loaded module of the bundle:
// opening the editor once through its entry leaves the module loaded.
bool bundleModuleLoaded()
{
    host::PluginHost pluginHost;
    return host::ModuleWindowSystem() || (pluginHost.loadBundle(ZELTO2X_BUNDLE).ok() && host::ModuleWindowSystem());
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

// The whole view, as the window asks for it when it is shown or uncovered: every control drawn and the picture copied
// into the window (the headless window system's pixels; a GTK window takes the same picture through cairo).
void BM_RealPanelFullRedraw(benchmark::State& state)
{
    RealPanel panel(state.range(0) != 0);
    IGraphics* gui = panel.shownSurface(state);
    platform::WindowSystem& windows = platform::WindowSystem::Shared();
    platform::NativeWindow* window = gui && gui->OpenWindow(nullptr) ? windows.FrontWindow() : nullptr;
    if (gui && !window)
        return state.SkipWithError("the view opened no window");
    for (auto _ : state) {
        window->SetNeedsDisplayInRect(platform::ViewRect {0, 0, double(window->Width()), double(window->Height())});
        windows.ProcessEvents(0);
    }
    if (window)
        gui->CloseWindow();
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
