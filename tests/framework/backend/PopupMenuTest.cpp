// Popup menus on the headless window system: scripted choices, and the timer
// while a menu is open.
#include "BackendTestSupport.h"
#include "IPopupMenu.h"

namespace {

class PopupMenuTest : public OpenViewTest {
protected:
    void SetUp() override
    {
        OpenViewTest::SetUp();
        for (const char* item : {"Sub 1", "Sub 2", "Sub 3"}) sub.AddItem(item);
        top.AddItem("Alpha");
        top.AddSeparator();
        top.AddItem("Banks", &sub);
        top.AddItem("Greyed", -1, IPopupMenuItem::kDisabled);
    }
    IPopupMenu* show()
    {
        IRECT r(10, 10, 60, 30);
        return graphics->CreateIPopupMenu(&top, &r);
    }
    IPopupMenu top, sub;
};

TEST_F(PopupMenuTest, ChoosingReturnsTheMenuThatHoldsTheItemDismissingOrADisabledItemReturnsNullAndAMissingAnswerIsNoted)
{
    headless->QueueMenuAnswer("2/2");
    EXPECT_EQ(&sub, show());
    EXPECT_EQ(std::pair(2, -1), std::pair(sub.GetChosenItemIdx(), top.GetChosenItemIdx()));
    headless->QueueMenuAnswer("Alpha");  // by title
    EXPECT_EQ(&top, show());
    EXPECT_EQ(0, top.GetChosenItemIdx());
    for (const char* answer : {"none", "3", "1"}) {  // dismissed, disabled, the separator
        headless->QueueMenuAnswer(answer);
        EXPECT_EQ(nullptr, show()) << answer;
    }
    headless->TakeMenuNotes();  // the disabled item and the separator are noted too
    EXPECT_EQ(nullptr, show());  // no answer queued: dismissed
    headless->QueueMenuAnswer("Gamma");
    EXPECT_EQ(nullptr, show());
    const std::vector<std::string> notes = headless->TakeMenuNotes();  // both noted for the script
    ASSERT_EQ(2u, notes.size());
    EXPECT_NE(std::string::npos, notes[0].find("no answer queued"));
    EXPECT_NE(std::string::npos, notes[1].find("\"Gamma\" names no enabled item"));
    EXPECT_TRUE(headless->TakeMenuNotes().empty());
}

TEST_F(PopupMenuTest, ShowingAMenuReleasesTheMouseCaptureAndTheTimerKeepsTicking)
{
    window()->InjectMouse(mouse(platform::MouseEventKind::Down, 20, 700));
    ASSERT_NE(nullptr, graphics->GetMouseCapture());
    RecordingControl* probe = attach(IRECT(100, 100, 120, 120));  // the first control is never asked
    const int before = probe->dirtyQueries;
    headless->SetMenuOpenTime(200);
    headless->QueueMenuAnswer("Alpha");
    EXPECT_EQ(&top, show());
    EXPECT_EQ(nullptr, graphics->GetMouseCapture());
    EXPECT_EQ(5, probe->dirtyQueries - before);
}

}  // namespace
