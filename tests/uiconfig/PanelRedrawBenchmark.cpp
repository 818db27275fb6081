// A full redraw of the editor's own panel: the Sound page with the header and
// the mixer column, every control dirty, drawn by the real surface from the
// bundle's configuration and images (warm bitmap cache). Argument: the
// interface size in percent.
#include <benchmark/benchmark.h>

#include <cstdio>

#include "ControlLayer.h"
#include "IGraphicsMac.h"
#include "UIConfigManager.h"
#include "Zelto2X.h"

namespace {

constexpr int kSoundTab = 2;

void BM_FullRedrawOfTheSoundPage(benchmark::State& state)
{
    const double scale = state.range(0) / 100.0;
    Zelto2X editor{IPluginInstanceInfo()};
    IGraphicsMac graphics(&editor, int(1500 * scale), int(757 * scale));
    graphics.SetBundlePath(ZELTO2X_BUNDLE_DIR);
    UIConfigManager config;
    config.readUIConfig(&graphics, &editor, editor.patchLibrarian, 0, scale);
    ControlLayer* root = config.getLayerByName("root");
    ControlLayer* mixer = config.getLayerByName("miniMixer");
    if (!root || !mixer) {
        state.SkipWithError("the bundle has no panel configuration");
        return;
    }
    // The frame picture, as the editor attaches it: a dirty background redraws the whole window.
    graphics.AttachBackground(102, "resources/img/main-frame-bg.png", scale);
    root->SetSelectedChildId(kSoundTab);
    root->Hide(false);
    mixer->Hide(false);
    // What the tab switch opens for the INIT sound's shapes.
    for (const char* name : {"oscillator2Parameters", "oscillator3Parameters", "osc1KeytrackBtn", "osc2KeytrackBtn"})
        if (ControlLayer* layer = config.getLayerByName(name))
            layer->Hide(false);
    graphics.PrepDraw();
    for (auto _ : state) {
        graphics.SetAllControlsDirty();
        IRECT dirty;
        graphics.IsDirty(&dirty);
        graphics.Draw(&dirty);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_FullRedrawOfTheSoundPage)->Arg(75)->Arg(100)->Arg(125)->Unit(benchmark::kMillisecond);

}  // namespace
