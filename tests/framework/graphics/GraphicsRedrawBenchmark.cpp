// Redraw cost of an editor-sized surface: 1500 x 757 with 300 knobs of
// 128-frame strips (the raster benchmark times a plain full-surface blit).
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "GraphicsTestSupport.h"
#include "IControl.h"
#include "zuve/zuve.h"

namespace {

constexpr int kWidth = 1500, kHeight = 757, kKnobs = 300, kFrames = 128, kKnobSize = 48;

struct EditorSurface {
    TestPlug plug{1};
    TestGraphics gui{&plug, kWidth, kHeight};
    std::vector<IKnobMultiControl*> knobs;

    EditorSurface()
    {
        gui.addImage("background.png", kWidth, kHeight, ZUVE_RGBA(40, 40, 48, 255));
        std::vector<unsigned int> frames;
        for (int i = 0; i < kFrames; ++i) frames.push_back(ZUVE_RGBA(2 * i, 255 - 2 * i, 128, 200));
        for (int s = 0; s < 4; ++s) gui.addStrip("knob" + std::to_string(s) + ".png", kKnobSize, kKnobSize, frames);
        gui.AttachBackground(800, "background.png");
        for (int i = 0; i < kKnobs; ++i) {
            IBitmap strip = gui.LoadIBitmap(801 + i % 4, ("knob" + std::to_string(i % 4) + ".png").c_str(), 1.0,
                                            kFrames);
            const int x = 10 + (i % 20) * 74, y = 10 + (i / 20) * 49;
            auto* knob = new IKnobMultiControl(&plug, x, y, -1, &strip);
            knob->SetValueFromPlug((i % 17) / 16.0);
            knobs.push_back(knob);
            gui.AttachControl(knob);
        }
        gui.PrepDraw();
        IRECT all(0, 0, kWidth, kHeight);
        gui.Draw(&all);
    }
};

void BM_FullRedraw300Knobs(benchmark::State& state)
{
    EditorSurface s;
    for (auto _ : state) {
        s.gui.SetAllControlsDirty();
        IRECT dirty;
        s.gui.IsDirty(&dirty);
        s.gui.Draw(&dirty);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_FullRedraw300Knobs)->Unit(benchmark::kMillisecond);

void BM_RedrawOneDirtyKnob(benchmark::State& state)
{
    EditorSurface s;
    IKnobMultiControl* knob = s.knobs[kKnobs / 2];
    double value = 0.0;
    for (auto _ : state) {
        value = value > 0.9 ? 0.0 : value + 0.01;
        knob->SetValueFromPlug(value);
        IRECT dirty;
        s.gui.IsDirty(&dirty);
        s.gui.Draw(&dirty);  // the dirty rectangle is this knob's alone
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_RedrawOneDirtyKnob)->Unit(benchmark::kMicrosecond);

}  // namespace
