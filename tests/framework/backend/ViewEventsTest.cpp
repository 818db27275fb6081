// The view: the redraw timer, mouse and key translation.
#include "BackendTestSupport.h"

namespace {

using platform::MouseEventKind;

TEST_F(BackendTest, TimerDrawsTheDirtyRectAtTheFrameRateAndWithNothingDirtyRequestsNoDisplay)
{
    attach(IRECT(0, 0, kWidth, kHeight), COLOR_BLUE);
    RecordingControl* knob = attach(IRECT(10, 20, 30, 40), COLOR_RED);
    openView();
    knob->SetColour(COLOR_GREEN);
    knob->SetDirty(false);
    const int drawsBefore = window()->DrawCount();
    const int queriesBefore = knob->dirtyQueries;
    // The tick asks for the converted rectangle; the loop draws it on its next turn.
    headless->AdvanceClock(40);
    EXPECT_EQ(std::tuple(drawsBefore + 1, PackColor(COLOR_GREEN), PackColor(COLOR_GREEN)),
              std::tuple(window()->DrawCount(), window()->PixelAt(10, 20), window()->PixelAt(29, 39)));
    EXPECT_FALSE(knob->IsDirty());
    headless->AdvanceClock(960);
    EXPECT_EQ(25, knob->dirtyQueries - queriesBefore - 1);
    const int draws = window()->DrawCount();
    headless->AdvanceClock(400);
    EXPECT_EQ(draws, window()->DrawCount());
}

TEST_F(OpenViewTest, ClicksReachTheSurfaceWithTheirOffsetsButtonsAndClickCountsAndTheWheelInWholeSteps)
{
    window()->InjectMouse(mouse(MouseEventKind::Down, 10.7, 100.2));
    const platform::ModifierKeys commandShift {true, false, false, true};  // command-click is left and right at once
    window()->InjectMouse(mouse(MouseEventKind::Down, 50, 50, 1, commandShift));
    window()->InjectMouse(mouse(MouseEventKind::RightDown, 50, 50));
    window()->InjectMouse(mouse(MouseEventKind::RightUp, 50, 50));
    window()->InjectMouse(mouse(MouseEventKind::Down, 50, 50, 2));
    for (double steps : {0.9, -2.5})  // truncated to whole steps
        window()->InjectMouse(wheel(50, 50, steps));
    std::string kinds;
    for (const RecordingControl::Event& event : control->events) kinds += event.kind + " ";
    EXPECT_EQ("down down down up double wheel wheel ", kinds);
    EXPECT_EQ((std::vector<int>{0, -2}), control->wheelSteps);
    EXPECT_EQ(std::pair(8, 654), std::pair(control->events[0].x, control->events[0].y));
    const IMouseMod& command = control->events[1].mod;
    EXPECT_TRUE(command.L && command.R && command.S && !command.C);
    EXPECT_TRUE(!control->events[2].mod.L && control->events[2].mod.R);
}

TEST_F(OpenViewTest, KeysMapArrowsByCodeThenDigitsAndFoldedLettersAndOthersAreHandedOn)
{
    window()->InjectMouse(mouse(MouseEventKind::Down, 50, 50));
    const std::pair<int, const char*> typed[] = {{platform::kKeyCodeUpArrow, "\xEF\x9C\x80"},
        {platform::kKeyCodeRightArrow, "\xEF\x9C\x83"}, {platform::kKeyCodeSpace, " "}, {platform::kKeyCodeNone, "7"},
        {platform::kKeyCodeNone, "B"}, {platform::kKeyCodeNone, "z"}, {platform::kKeyCodeNone, "ab"}};  // "ab": ignored
    for (const auto& [code, characters] : typed)
        window()->InjectKey(key(code, characters));
    EXPECT_EQ((std::vector<int>{1, 4, 0, 12, 16, 40}), control->keys);
    EXPECT_EQ(0, window()->UnhandledKeyCount());
    window()->InjectKey(key(platform::kKeyCodeNone, "?"));
    EXPECT_EQ(1, window()->UnhandledKeyCount());
    control->acceptKeys = false;
    window()->InjectKey(key(platform::kKeyCodeNone, "a"));
    EXPECT_EQ(2, window()->UnhandledKeyCount());
}

}  // namespace
