// Texts, values and flags that other threads change while the main thread
// draws and hit-tests (run under ThreadSanitizer).
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

#include "ControlLayer.h"
#include "GraphicsFixture.h"
#include "IBitmapMonoText.h"
#include "IControl.h"
#include "zuve/zuve.h"

namespace {

using ControlThreading = GraphicsTest;

TEST_F(ControlThreading, TextReplacedFromAnotherThreadIsNeverReadWhileFreed)
{
    IText style;
    auto* text = new ITextControl(&plug, IRECT(0, 0, 200, 20), &style, "start");
    IBitmap font(nullptr, 6 * 96, 12, 96, true);
    auto* bitmapText = new IBitmapTextControl(&plug, IRECT(0, 20, 200, 40), &font);
    attach(IRECT(0, 0, 200, 40));
    gui.AttachControl(text);
    gui.AttachControl(bitmapText);

    // Long texts live on the heap; a text read while half replaced shows as a mix of letters.
    const std::string a(100, 'a'), b(120, 'b');
    std::atomic<bool> started{false}, stop{false};
    std::thread writer([&] {
        while (!started) std::this_thread::yield();
        for (int i = 0; i < 100000; ++i) {
            text->SetTextFromPlug((i % 2 ? a : b).c_str());
            bitmapText->SetTextFromPlug((i % 2 ? a : b).c_str());
        }
        stop = true;
    });
    started = true;
    int torn = 0;
    for (int i = 0; !stop; ++i) {
        const std::string seen = text->GetTextString();
        torn += seen != "start" && seen != a && seen != b;
        IRECT dirty;
        if (i % 64 == 0 && gui.IsDirty(&dirty)) gui.Draw(&all);
    }
    writer.join();
    EXPECT_EQ(torn, 0);
    EXPECT_EQ(text->GetTextString(), a);
}

TEST_F(ControlThreading, FlagsAndValuesSetFromOtherThreadsAreAtomic)
{
    auto* layer = new ControlLayer(1, "layer");
    auto* inLayer = new ProbeControl(&plug, IRECT(0, 0, 50, 50), 1);
    layer->AddControl(inLayer);
    gui.AttachLayer(layer);
    attach(IRECT(0, 0, 100, 100));
    ProbeControl* flat = attach(IRECT(50, 50, 100, 100), 2);

    std::atomic<bool> started{false};
    std::thread other([&] {
        while (!started) std::this_thread::yield();
        for (int i = 0; i < 2000; ++i) {
            layer->Hide(i % 2 == 0);
            layer->GrayOut(i % 3 == 0);
            flat->GrayOut(i % 2 == 1);
            gui.SetParameterFromPlug(2, (i % 10) / 10.0, true);
        }
    });
    started = true;
    for (int i = 0; i < 2000; ++i) {
        gui.HitTest(10, 10);
        gui.HitTest(60, 60);
        IRECT r;
        gui.IsDirty(&r);
        (void)flat->GetValue();
    }
    other.join();
    // The last round left the layer shown and ungreyed, the flat control
    // greyed (so not hit) and its value at 0.9.
    EXPECT_TRUE(layer->IsVisible());
    EXPECT_EQ(gui.HitTest(10, 10), inLayer);
    EXPECT_TRUE(flat->IsGrayed());
    EXPECT_NE(gui.HitTest(60, 60), flat);
    EXPECT_DOUBLE_EQ(flat->GetValue(), 0.9);
}

TEST_F(ControlThreading, GreyingFromAnotherThreadWhileDrawingIsRaceFree)
{
    auto* panel = new IPanelControl(&plug, IRECT(0, 0, 50, 50), &COLOR_RED);
    gui.AttachControl(new IPanelControl(&plug, IRECT(0, 0, 100, 100), &COLOR_BLACK));
    gui.AttachControl(panel);
    gui.Draw(&all);
    const unsigned int ungreyed = ZUVE_GetPixel(gui.GetDrawBitmap(), 10, 10);

    std::atomic<bool> started{false}, stop{false};
    std::thread other([&] {
        while (!started) std::this_thread::yield();
        for (int i = 0; i < 2000; ++i) panel->GrayOut(i % 2 == 0);
        stop = true;
    });
    started = true;
    while (!stop) gui.Draw(&all);
    other.join();
    // The last call ungreyed the panel: the next frame shows it as at first.
    EXPECT_FALSE(panel->IsGrayed());
    gui.Draw(&all);
    EXPECT_EQ(ZUVE_GetPixel(gui.GetDrawBitmap(), 10, 10), ungreyed);
}

}  // namespace
