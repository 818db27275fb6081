// The view: surface-to-view coordinates, the redraw timer, mouse and key translation.
#include "BackendTestSupport.h"

namespace {

using platform::MouseEventKind;

TEST_F(BackendTest, SurfaceRectBecomesViewRectOnePixelLargerWithYUpward)
{
    const platform::ViewRect r = graphics->ToCocoaRect(IRECT(10, 20, 30, 40));
    EXPECT_EQ(10, r.x);
    EXPECT_EQ(kHeight - 1 - 40, r.y);
    EXPECT_EQ(21, r.w);
    EXPECT_EQ(21, r.h);
}

TEST_F(OpenViewTest, ClickAtViewPointReachesSurfaceWithTheTwoAndThreePixelOffsets)
{
    window()->InjectMouse(mouse(MouseEventKind::Down, 10.7, 100.2));
    ASSERT_EQ(1u, control->events.size());
    EXPECT_EQ(8, control->events[0].x);
    EXPECT_EQ(654, control->events[0].y);
}

TEST_F(BackendTest, TimerRequestsDisplayOfTheDirtyRectInTopLeftPixelsAndDrawsIt)
{
    attach(IRECT(0, 0, kWidth, kHeight), COLOR_BLUE);
    RecordingControl* knob = attach(IRECT(10, 20, 30, 40), COLOR_RED);
    openView();
    knob->SetColour(COLOR_GREEN);
    knob->SetDirty(false);
    const int drawsBefore = window()->DrawCount();
    // The tick asks for the converted rectangle; the loop draws it on its next turn.
    headless->AdvanceClock(40);
    EXPECT_EQ(drawsBefore + 1, window()->DrawCount());
    EXPECT_EQ(PackColor(COLOR_GREEN), window()->PixelAt(10, 20));
    EXPECT_EQ(PackColor(COLOR_GREEN), window()->PixelAt(29, 39));
    EXPECT_FALSE(knob->IsDirty());
}

TEST_F(BackendTest, TimerRunsAtTheSurfaceFrameRateAndWithNothingDirtyRequestsNoDisplay)
{
    attach(IRECT(0, 0, kWidth, kHeight));
    RecordingControl* probe = attach(IRECT(10, 20, 30, 40));
    openView();
    const int before = probe->dirtyQueries;
    headless->AdvanceClock(1000);  // the first ticks clean what the first frame left dirty
    EXPECT_EQ(25, probe->dirtyQueries - before);
    const int draws = window()->DrawCount();
    headless->AdvanceClock(400);
    EXPECT_EQ(draws, window()->DrawCount());
}

TEST_F(OpenViewTest, ButtonsAndClickCountsMapToTheirSurfaceCallsAndCommandClickSetsLeftAndRight)
{
    platform::MouseEvent click = mouse(MouseEventKind::Down, 50, 50);
    click.mods.command = true;
    click.mods.shift = true;
    window()->InjectMouse(click);
    window()->InjectMouse(mouse(MouseEventKind::RightDown, 50, 50));
    window()->InjectMouse(mouse(MouseEventKind::RightUp, 50, 50));
    window()->InjectMouse(mouse(MouseEventKind::Down, 50, 50, 2));
    ASSERT_EQ(4u, control->events.size());
    const IMouseMod& command = control->events[0].mod;
    EXPECT_TRUE(command.L && command.R && command.S);
    EXPECT_FALSE(command.C);
    EXPECT_EQ("down", control->events[1].kind);
    EXPECT_FALSE(control->events[1].mod.L);
    EXPECT_TRUE(control->events[1].mod.R);
    EXPECT_EQ("up", control->events[2].kind);
    EXPECT_EQ("double", control->events[3].kind);
}

TEST_F(OpenViewTest, WheelDeltaIsTruncatedToWholeSteps)
{
    platform::MouseEvent wheel = mouse(MouseEventKind::Wheel, 50, 50);
    wheel.deltaY = 0.9;
    window()->InjectMouse(wheel);
    wheel.deltaY = -2.5;
    window()->InjectMouse(wheel);
    EXPECT_EQ((std::vector<int>{0, -2}), control->wheelSteps);
}

TEST_F(OpenViewTest, KeysMapArrowsByCodeThenDigitsAndFoldedLetters)
{
    window()->InjectMouse(mouse(MouseEventKind::Down, 50, 50));
    window()->InjectKey(key(platform::kKeyCodeUpArrow, "\xEF\x9C\x80"));
    window()->InjectKey(key(platform::kKeyCodeRightArrow, "\xEF\x9C\x83"));
    window()->InjectKey(key(platform::kKeyCodeSpace, " "));
    window()->InjectKey(key(platform::kKeyCodeNone, "7"));
    window()->InjectKey(key(platform::kKeyCodeNone, "B"));
    window()->InjectKey(key(platform::kKeyCodeNone, "z"));
    EXPECT_EQ((std::vector<int>{1, 4, 0, 12, 16, 40}), control->keys);
}

TEST_F(OpenViewTest, KeyOfSeveralCharactersIsIgnoredAndAnUnknownOneHandedOn)
{
    window()->InjectKey(key(platform::kKeyCodeNone, "ab"));
    EXPECT_TRUE(control->keys.empty());
    EXPECT_EQ(0, window()->UnhandledKeyCount());
    window()->InjectKey(key(platform::kKeyCodeNone, "?"));
    EXPECT_EQ(1, window()->UnhandledKeyCount());
    control->acceptKeys = false;
    window()->InjectKey(key(platform::kKeyCodeNone, "a"));
    EXPECT_EQ(2, window()->UnhandledKeyCount());
}

}  // namespace
