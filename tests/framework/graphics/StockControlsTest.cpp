// Value roads, mouse behaviour and geometry of the stock controls.
#include <gtest/gtest.h>

#include <cmath>

#include "GraphicsFixture.h"
#include "IControl.h"
#include "IParam.h"

namespace {

// A strip of n frames of 40 x 40 pixels, no pixels needed for logic.
IBitmap strip(int n, int frameSize = 40) { return IBitmap(nullptr, frameSize, frameSize * n, n, false); }

struct Controls : GraphicsTest {
    IText style;
    IBitmap three = strip(3);
};

TEST_F(Controls, KnobDragOfTenPixelsUpOnFortyPixelKnobAddsOneSixteenth)
{
    IBitmap frames = strip(128);
    auto* knob = new IKnobMultiControl(&plug, 0, 0, 1, &frames);
    gui.AttachControl(knob);
    knob->SetValueFromPlug(0.5);
    gui.OnMouseDown(20, 20, &left);
    gui.OnMouseDrag(20, 10, &left);
    EXPECT_NEAR(knob->GetValue(), 0.5625, 1e-12);
    IMouseMod fine(true, false, true);
    gui.OnMouseDrag(20, 0, &fine);
    EXPECT_NEAR(knob->GetValue(), 0.56875, 1e-12);
    ASSERT_FALSE(plug.fromGUI.empty());
    EXPECT_EQ(plug.fromGUI.back().idx, 1);
}

TEST(StockControls, FrameChoiceRoundsToTheNearestOfNFrames)
{
    const struct {
        double value;
        int frames, frame;
    } cases[] = {{0.5, 65, 33}, {0.3, 4, 2}, {0.0, 65, 1}, {1.0, 65, 65}, {1.7, 65, 65}, {-1.0, 65, 1}, {0.9, 1, 1}, {0.9, 0, 1}};
    for (const auto& c : cases)
        EXPECT_EQ(IBitmapControl::FrameForValue(c.value, c.frames), c.frame) << c.value << " of " << c.frames;
}

TEST_F(Controls, SwitchStepsThroughItsFramesAndWrapsContactIsOnOnlyWhileHeldAndGreyedControlsIgnoreTheMouse)
{
    ISwitchControl sw(&plug, 0, 0, 1, &three);
    std::vector<double> seen;
    for (int i = 0; i < 4; ++i) {
        sw.OnMouseDown(1, 1, &left);
        seen.push_back(sw.GetValue());
    }
    EXPECT_EQ(seen, (std::vector<double>{0.5, 1.0, 0.0, 0.5}));
    IBitmap one = strip(1);
    ISwitchControl single(&plug, 0, 0, 1, &one);
    single.OnMouseDown(1, 1, &left);
    EXPECT_EQ(single.GetValue(), 1.0);
    IBitmap two = strip(2);
    IContactControl contact(&plug, 0, 0, 1, &two);
    contact.OnMouseDown(1, 1, &left);
    EXPECT_EQ(contact.GetValue(), 1.0);
    contact.OnMouseUp(1, 1, &left);
    EXPECT_EQ(contact.GetValue(), 0.0);

    ISwitchControl greyed(&plug, 0, 0, 1, &three);
    IKnobMultiControl knob(&plug, 0, 0, 2, &three);
    knob.SetValueFromPlug(0.6);
    greyed.GrayOut(true);
    knob.GrayOut(true);
    greyed.OnMouseDown(1, 1, &left);
    greyed.OnMouseDblClick(1, 1, &left);
    knob.OnMouseDrag(1, 1, 0, -10, &left);
    knob.SetValue(0.1);
    knob.OnMouseDblClick(1, 1, &left);
    EXPECT_EQ(std::tuple(greyed.GetValue(), knob.GetValue(), greyed.GetBlend()->mWeight), std::tuple(0.0, 0.1, 0.5f));
}

// The first value from outside is drawn and passed on like any later one (a
// menu once kept showing its entry from construction) and becomes the
// double-click value; only the hardware road reports back, and an unchanged
// value does nothing.
TEST_F(Controls, ValuesFromOutsideAreDrawnFromTheFirstOnAndOnlyHardwareValuesReportBack)
{
    for (bool hardware : {false, true}) {
        IKnobMultiControl knob(&plug, 0, 0, 1, &three);
        knob.SetValue(0.3);
        knob.OnMouseDblClick(1, 1, &left);  // no value from outside yet: nothing to go back to
        EXPECT_EQ(knob.GetValue(), 0.3);
        plug.fromGUI.clear();
        plug.fromGUI2.clear();
        const std::pair<double, bool> steps[] = {{0.4, true}, {0.4, false}, {0.8, true}};
        for (const auto& [value, drawn] : steps) {
            knob.SetClean();
            knob.SetClean();
            hardware ? knob.SetValueFromHardware(value) : knob.SetValueFromPlug(value);
            EXPECT_EQ(knob.IsDirty(), drawn) << hardware << value;
        }
        EXPECT_TRUE(plug.fromGUI.empty());
        EXPECT_EQ(plug.fromGUI2.size(), hardware ? 2u : 0u);
        knob.OnMouseDblClick(1, 1, &left);
        EXPECT_EQ(knob.GetValue(), 0.4) << hardware;
    }
}

TEST_F(Controls, AChangeMadeWithOneControlShowsOnTheOtherControlsOfItsParameter)
{
    plug.GetParam(1)->InitBool("Window", false);
    IBitmap two = strip(2);
    auto* opener = new ISwitchControl(&plug, 0, 0, 1, &two);
    auto* closer = new ISwitchControl(&plug, 100, 0, 1, &two);
    gui.AttachControl(opener);
    gui.AttachControl(closer);
    gui.OnMouseDown(10, 10, &left);
    EXPECT_EQ(1.0, closer->GetValue());
    EXPECT_TRUE(closer->IsDirty());
    closer->OnMouseDown(110, 10, &left);
    EXPECT_EQ(0.0, opener->GetValue());
    EXPECT_EQ(0.0, plug.GetParam(1)->Value());
}

TEST_F(Controls, CaptionShowsLongTextsAndLabelsWholeAndItsMenuTicksAndTakesTheChoice)
{
    IParam* p = plug.GetParam(2);
    const std::string longText = "Oscillator 2 Pulse Width Modulation by LFO 3";
    p->InitEnum("Mode", 1, 3);
    p->SetDisplayText(0, "saw");
    p->SetDisplayText(1, longText.c_str());
    p->SetDisplayText(2, "noise");
    ICaptionControl caption(&plug, IRECT(0, 0, 40, 20), 2, &style, false);
    caption.Draw(&gui);
    EXPECT_EQ(caption.GetTextString(), longText);
    caption.DisablePrompt(false);
    gui.scriptMenuChoice(2);
    caption.OnMouseDown(5, 5, &left);
    EXPECT_EQ(gui.lastMenuItems, (std::vector<std::string>{"saw", longText, "noise"}));
    EXPECT_EQ(gui.lastMenuTicks, (std::vector<bool>{false, true, false}));
    EXPECT_DOUBLE_EQ(caption.GetValue(), 1.0);
    EXPECT_EQ(p->Int(), 2);

    const std::string label(40, 'L');
    plug.GetParam(5)->InitInt("Steps", 7, 0, 10, label.c_str());
    ICaptionControl withLabel(&plug, IRECT(0, 0, 40, 20), 5, &style, true);
    withLabel.Draw(&gui);
    EXPECT_EQ(withLabel.GetTextString(), "7 " + label);
}

TEST_F(Controls, TypedEntriesAreParsedAndATextParameterReportsTwoChangesAndKeepsTheText)
{
    IParam* level = plug.GetParam(4);
    level->InitDouble("Level", 0.0, 0.0, 10.0, 0.1);
    ICaptionControl caption(&plug, IRECT(0, 0, 40, 20), 4, &style);
    gui.SetFromStringAfterPrompt(&caption, level, "2.5");
    EXPECT_DOUBLE_EQ(caption.GetValue(), 0.25);
    gui.SetFromStringAfterPrompt(&caption, nullptr, "1");  // no parameter: ignored
    EXPECT_DOUBLE_EQ(caption.GetValue(), 0.25);

    IParam* name = plug.GetParam(3);
    name->InitText();
    ICaptionControl nameCaption(&plug, IRECT(0, 0, 40, 20), 3, &style);
    plug.fromGUI.clear();
    gui.SetFromStringAfterPrompt(&nameCaption, name, "My Patch");
    ASSERT_EQ(plug.fromGUI.size(), 2u);
    EXPECT_DOUBLE_EQ(plug.fromGUI[0].value, 1.0);
    EXPECT_DOUBLE_EQ(plug.fromGUI[1].value, 0.0);
    EXPECT_EQ(name->GetDisplayText(0), "My Patch");
}

TEST_F(Controls, DegenerateGeometryNeverDividesByZero)
{
    IBitmap two = strip(2, 10);
    IRadioButtonsControl none(&plug, IRECT(0, 0, 10, 40), 1, 0, &two);
    IRadioButtonsControl one(&plug, IRECT(0, 0, 10, 40), 1, 1, &two);
    none.OnMouseDown(5, 5, &left);
    one.OnMouseDown(5, 5, &left);
    EXPECT_EQ(one.GetValue(), 0.0);
    EXPECT_EQ(*one.GetButtonRECT(0), IRECT(0, 0, 10, 10));

    IBitmap handle(nullptr, 10, 20, 1, false);
    IFaderControl fader(&plug, 0, 0, 120, 1, &handle);
    fader.OnMouseDown(5, 10, &left);  // top: 1 - (10 - 10 - 0) / 100
    EXPECT_DOUBLE_EQ(fader.GetValue(), 1.0);
    fader.OnMouseDrag(5, 60, 0, 50, &left);
    EXPECT_DOUBLE_EQ(fader.GetValue(), 0.5);
    EXPECT_EQ(fader.GetHandleRECT(), IRECT(0, 50, 10, 70));
    IFaderControl zero(&plug, 0, 0, 20, 1, &handle);  // handle as long as the track
    zero.OnMouseDown(5, 5, &left);
    EXPECT_TRUE(std::isfinite(zero.GetValue()));
}

}  // namespace
