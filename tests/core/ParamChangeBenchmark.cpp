// From a parameter change on the GUI path (IPluginBase::SetParameterFromGUI, as a turned knob calls it) to its bytes
// handed to the hardware MIDI port layer: the real editor without a window or configuration, an output marked open (no
// system port behind it, so the port layer takes the bytes and its lock but writes nowhere), one bound action per
// parameter. Warm cache: the same parameter moves between two values. The handlers log each change on standard output,
// which the benchmark silences: read the figures with --benchmark_out=FILE --benchmark_out_format=console.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>

#include "ControlAction.h"
#include "ParameterTable.h"
#include "Zelto2X.h"

namespace {

struct BoundEditor {
    explicit BoundEditor(int kind)
    {
        for (int i = 0; i < kNumParams; ++i)
            editor.GetParam(i)->InitDouble("p", 0.0, 0.0, 127.0, 1.0);
        action = std::make_unique<ControlAction>(kind);
        action->ccNumber = 74;
        action->msbValue = 1;
        action->lsbControl = 20;
        action->lsbValue = 0;
        for (int v = 0; v < 128; ++v)
            action->sysEx.messages.push_back({0x3E, 0x16, 0x00, 0x41, 0x43, 0x00, 0x20, v});
        editor.GetParam(kFilterCutoff)->SetControlAction(action.get());
        editor.GetParam(kDeviceOutSelection)->Set(1.0);
        editor.midiOutSet = true;
        editor.pluginReady = true;
    }
    Zelto2X editor {IPluginInstanceInfo()};
    std::unique_ptr<ControlAction> action;
};

}  // namespace

// state.range(0): the action kind (1 CC, 3 NRPN triple, 6 SysEx).
static void GuiChangeToPort(benchmark::State& state)
{
    std::FILE* quiet = std::freopen("/dev/null", "w", stdout);
    BoundEditor bound(static_cast<int>(state.range(0)));
    int n = 0;
    for (auto _ : state) {
        bound.editor.SetParameterFromGUI(kFilterCutoff, (n & 1 ? 20.0 : 100.0) / 127.0);
        ++n;
    }
    (void)quiet;
}
BENCHMARK(GuiChangeToPort)->Arg(1)->Arg(3)->Arg(6)->Unit(benchmark::kMicrosecond);
