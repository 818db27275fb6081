// Dirty tracking, the redraw overlap rule and the drawing order of the surface.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ControlLayer.h"
#include "GraphicsFixture.h"
#include "IControl.h"
#include "zuve/zuve.h"

namespace {

struct Surface : GraphicsTest {
    ProbeControl* background = attach(all);
};

TEST_F(Surface, DirtyRectIsTheUnionOfShownControlsAndHiddenOnesCountOnlyWhenAskedTo)
{
    ProbeControl* a = attach(IRECT(10, 10, 20, 20));
    ProbeControl* b = attach(IRECT(30, 5, 40, 15));
    ProbeControl* hidden = attach(IRECT(50, 50, 60, 60));
    hidden->Hide(true);
    auto* layer = new ControlLayer(1, "layer");
    auto* inLayer = new ProbeControl(&plug, IRECT(70, 70, 80, 80));
    layer->AddControl(inLayer);
    gui.AttachLayer(layer);
    layer->Hide(true);
    for (int i = 0; i < gui.NControls(); ++i) gui.GetControl(i)->SetClean();
    for (ProbeControl* c : {background, hidden, inLayer}) c->SetDirty(false);  // the background alone never counts
    IRECT r;
    EXPECT_FALSE(gui.IsDirty(&r));
    for (ProbeControl* c : {a, b}) c->SetDirty(false);
    ASSERT_TRUE(gui.IsDirty(&r));
    EXPECT_EQ(r, IRECT(10, 5, 40, 20));
    EXPECT_TRUE(a->IsDirty());  // IsDirty changes no flag
    hidden->SetIgnoreHidden(true);
    layer->setIgnoreHiddenWhenUpdatingScreen(true);
    ASSERT_TRUE(gui.IsDirty(&r));
    EXPECT_EQ(r, IRECT(10, 5, 80, 80));
    gui.Draw(&r);
    EXPECT_EQ(inLayer->draws, 0);
}

TEST_F(Surface, StrictDrawingIncludesRightAndBottomEdgesButNotLeftAndTop)
{
    ProbeControl* right = attach(IRECT(20, 10, 30, 20));
    ProbeControl* below = attach(IRECT(10, 20, 20, 30));
    ProbeControl* left = attach(IRECT(0, 10, 10, 20));
    ProbeControl* above = attach(IRECT(10, 0, 20, 10));
    IRECT r(10, 10, 20, 20);
    ASSERT_TRUE(gui.Draw(&r));
    EXPECT_EQ((std::vector<int> {1, 1, 0, 0, 1}),  // the background always drawn
              (std::vector<int> {right->draws, below->draws, left->draws, above->draws, background->draws}));
    EXPECT_FALSE(left->IsDirty());    // every control is set clean
    EXPECT_EQ(gui.lastScreenRect, r);
}

// Stands in for another thread that replaces the text while the surface is
// drawing the old one.
class TextReplacedWhileDrawn : public ITextControl {
public:
    using ITextControl::ITextControl;
    bool Draw(IGraphics* graphics) override
    {
        drawn.push_back(GetTextString());
        if (drawn.size() == 1) SetTextFromPlug("new");
        return ITextControl::Draw(graphics);
    }
    std::vector<std::string> drawn;
};

TEST_F(Surface, ChangeWhileBeingDrawnIsDrawnOnTheNextFrame)
{
    IText style;
    auto* text = new TextReplacedWhileDrawn(&plug, IRECT(10, 10, 20, 20), &style, "old");
    gui.AttachControl(text);
    ProbeControl* c = attach(IRECT(30, 10, 40, 20));
    c->SetValueFromPlug(0.2);
    c->SetValueFromPlug(0.7);
    gui.Draw(&all);
    IRECT dirty;
    ASSERT_TRUE(gui.IsDirty(&dirty));
    gui.Draw(&dirty);
    EXPECT_EQ(text->drawn, (std::vector<std::string>{"old", "new"}));
    EXPECT_FALSE(c->IsDirty());
}

// A text wider than its control is cut at the control's edges: a redraw of the
// control covers its rectangle alone, and so all that its text ever drew.
TEST_F(Surface, TextStaysInsideItsControlSoTheRedrawOfAShorterTextLeavesNothingOfTheLongerOne)
{
    IColor ground(255, 10, 10, 10), ink(255, 0, 174, 255);
    IText style(12, &ink, "NK57 Monospace");
    const IRECT box(60, 40, 100, 56);
    auto* text = new ITextControl(&plug, box, &style, "category unset!");
    gui.AttachControl(text);
    auto inked = [&](bool inside) {
        int count = 0;
        for (int y = 0; y < all.B; ++y)
            for (int x = 0; x < all.R; ++x)
                count += box.Contains(x, y) == inside && gui.GetPoint(x, y) != ground;
        return count;
    };
    gui.FillIRect(&ground, &all);
    gui.Draw(&all);
    EXPECT_GT(inked(true), 0);
    EXPECT_EQ(0, inked(false));
    text->SetTextFromPlug("FX");
    IRECT dirty;
    ASSERT_TRUE(gui.IsDirty(&dirty));
    EXPECT_EQ(box, dirty);
    gui.Draw(&dirty);
    EXPECT_EQ(0, inked(false));
}

TEST_F(Surface, SetParameterFromPlugReachesFlatAndLayerControlsAndIgnoresBadIndexes)
{
    plug.GetParam(2)->InitDouble("Level", 0.0, 0.0, 1.0, 0.001);
    ProbeControl* flat = attach(IRECT(1, 1, 5, 5), 2);
    auto* layer = new ControlLayer(1, "hidden layer");
    auto* inLayer = new ProbeControl(&plug, IRECT(1, 1, 5, 5), 2);
    layer->AddControl(inLayer);
    gui.AttachLayer(layer);

    gui.SetParameterFromPlug(2, 0.25, false);  // not normalised: the parameter follows
    EXPECT_EQ((std::vector<double> {0.25, 0.25, 0.25}),
              (std::vector<double> {flat->GetValue(), inLayer->GetValue(), plug.GetParam(2)->Value()}));

    gui.SetParameterFromPlug(2, 0.75, true);
    EXPECT_DOUBLE_EQ(plug.GetParam(2)->Value(), 0.25);  // normalised: the parameter is untouched
    EXPECT_TRUE(plug.fromGUI.empty());                  // values from the plug never report back

    flat->SetParamIdx(999);
    gui.SetParameterFromPlug(999, 0.5, false);
    gui.SetParameterFromPlug(-1, 0.5, true);
    EXPECT_DOUBLE_EQ(flat->GetValue(), 0.75);
}

TEST_F(Surface, BitmapStatesAreOneBasedFramesAndBlitsAreClippedToTheDrawRectangle)
{
    TestGraphics g(&plug, 20, 20);
    g.addStrip("strip.png", 10, 5, {ZUVE_RGBA(255, 0, 0, 255), ZUVE_RGBA(0, 255, 0, 255), ZUVE_RGBA(0, 0, 255, 255)});
    g.PrepDraw();
    IBitmap strip = g.LoadIBitmap(500, "strip.png", 1.0, 3, false);
    IBitmap bands = g.LoadIBitmap(501, "strip.png", 1.0, 1, false);
    IRECT whole(0, 0, 20, 20);
    g.AttachControl(new ProbeControl(&plug, whole));
    g.Draw(&whole);  // sets the draw rectangle that blits clip to
    IRECT frame(0, 0, 10, 5);
    const IColor expected[] = {IColor(255, 255, 0, 0), IColor(255, 255, 0, 0), IColor(255, 0, 255, 0),
                               IColor(255, 0, 0, 255)};
    for (int state = 0; state < 4; ++state) {
        g.DrawBitmap(&strip, &frame, state, nullptr);
        EXPECT_EQ(g.GetPoint(5, 2), expected[state]) << state;
    }

    g.FillIRect(&COLOR_BLACK, &whole);
    IRECT lowerPart(0, 7, 20, 20);
    g.Draw(&lowerPart);
    IRECT dest(2, 2, 12, 12);
    g.DrawBitmap(&bands, &dest, 1, nullptr);  // source rows 0-4 red, 5-9 green
    EXPECT_EQ(g.GetPoint(5, 5), COLOR_BLACK);             // above the draw rectangle: untouched
    EXPECT_EQ(g.GetPoint(5, 7), IColor(255, 0, 255, 0));  // source row 5
    EXPECT_EQ(g.GetPoint(5, 12), COLOR_BLACK);            // below the picture
}

TEST_F(Surface, BlendMethodsFollowTheBlendTable)
{
    IRECT px(5, 5, 6, 6);
    gui.Draw(&all);
    const IColor grey(255, 100, 100, 100);
    const IColor clearRed(0, 255, 0, 0);
    const IChannelBlend copy(IChannelBlend::kBlendClobber), unknown(7), half(IChannelBlend::kBlendClobber, 0.5f);

    gui.FillIRect(&grey, &px, &copy);
    gui.FillIRect(&clearRed, &px);  // no blend: the source alpha counts
    gui.FillIRect(&clearRed, &px, &unknown);  // any other method: as no blend
    EXPECT_EQ(gui.GetPoint(5, 5), grey);
    gui.FillIRect(&clearRed, &px, &copy);  // method 1 ignores alpha
    EXPECT_EQ(gui.GetPoint(5, 5), clearRed);

    gui.FillIRect(&COLOR_BLACK, &px, &copy);
    gui.FillIRect(&COLOR_WHITE, &px, &half);  // the weight passes through
    EXPECT_GT(gui.GetPoint(5, 5).R, 100);
    EXPECT_LT(gui.GetPoint(5, 5).R, 155);
}

}  // namespace
