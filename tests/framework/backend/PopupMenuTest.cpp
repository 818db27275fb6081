// Popup menus on the headless window system: the native form, scripted
// choices, and the timer while a menu is open.
#include "BackendTestSupport.h"
#include "IGraphicsNSMenu.h"
#include "IPopupMenu.h"

namespace {

class PopupMenuTest : public BackendTest {
protected:
    void SetUp() override
    {
        BackendTest::SetUp();
        attach(IRECT(0, 0, kWidth, kHeight));
        openView();
        sub.AddItem("Sub 1");
        sub.AddItem("Sub 2");
        sub.AddItem("Sub 3");
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

TEST_F(PopupMenuTest, ChoosingReturnsTheMenuThatHoldsTheItemWithItsIndex)
{
    headless->QueueMenuAnswer("2/2");
    EXPECT_EQ(&sub, show());
    EXPECT_EQ(2, sub.GetChosenItemIdx());
    EXPECT_EQ(-1, top.GetChosenItemIdx());
    headless->QueueMenuAnswer("Alpha");  // by title
    EXPECT_EQ(&top, show());
    EXPECT_EQ(0, top.GetChosenItemIdx());
}

TEST_F(PopupMenuTest, DismissingOrADisabledItemReturnsNullAndKeepsTheIndexes)
{
    headless->QueueMenuAnswer("none");
    EXPECT_EQ(nullptr, show());
    headless->QueueMenuAnswer("3");
    EXPECT_EQ(nullptr, show());
    headless->QueueMenuAnswer("1");  // the separator
    EXPECT_EQ(nullptr, show());
    EXPECT_EQ(nullptr, show());      // no answer left: dismissed
    EXPECT_EQ(-1, top.GetChosenItemIdx());
}

TEST_F(PopupMenuTest, AMenuWithoutAnswerAndAnAnswerNamingNoItemAreNotedForTheScript)
{
    EXPECT_TRUE(headless->TakeMenuNotes().empty());
    show();
    headless->QueueMenuAnswer("Gamma");
    EXPECT_EQ(nullptr, show());
    headless->QueueMenuAnswer("none");
    show();
    const std::vector<std::string> notes = headless->TakeMenuNotes();
    ASSERT_EQ(2u, notes.size());
    EXPECT_NE(std::string::npos, notes[0].find("no answer queued"));
    EXPECT_NE(std::string::npos, notes[1].find("\"Gamma\" names no enabled item"));
    EXPECT_TRUE(headless->TakeMenuNotes().empty());
}

TEST(NativeMenu, SubmenuEntryIsEnabledWhateverItsFlagsAndTitleIsIndented)
{
    IPopupMenu sub, top;
    sub.AddItem("Inner");
    IPopupMenuItem* entry = top.AddItem("Outer", &sub);
    entry->SetFlags(IPopupMenuItem::kDisabled);
    top.AddItem("Heading", -1, IPopupMenuItem::kTitle);
    IGraphicsMenuRcvr_vZelto2X_64_au receiver(platform::ViewRect{});
    IGraphicsNSMenu_vZelto2X_64_au native;
    native.initWithIPopupMenuAndReciever(&top, &receiver);
    ASSERT_EQ(2u, native.items.size());
    EXPECT_TRUE(native.items[0].enabled);
    ASSERT_TRUE(native.items[0].submenu);
    EXPECT_EQ(&sub, static_cast<IGraphicsNSMenu_vZelto2X_64_au*>(native.items[0].submenu.get())->AssociatedIPopupMenu());
    EXPECT_EQ(1, native.items[1].indentation);
    EXPECT_EQ(&top, native.AssociatedIPopupMenu());
}

TEST_F(PopupMenuTest, TimerKeepsTickingWhileAMenuIsOpen)
{
    RecordingControl* probe = attach(IRECT(100, 100, 120, 120));
    const int before = probe->dirtyQueries;
    headless->SetMenuOpenTime(200);
    headless->QueueMenuAnswer("Alpha");
    EXPECT_EQ(&top, show());
    EXPECT_EQ(5, probe->dirtyQueries - before);
}

TEST_F(PopupMenuTest, ShowingAMenuReleasesTheMouseCapture)
{
    window()->InjectMouse(mouse(platform::MouseEventKind::Down, 20, 700));
    ASSERT_NE(nullptr, graphics->GetMouseCapture());
    show();
    EXPECT_EQ(nullptr, graphics->GetMouseCapture());
}

}  // namespace
