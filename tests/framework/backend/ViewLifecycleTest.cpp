// Opening and closing the view, and the platform services of the back end.
#include <cstdlib>
#include <thread>

#include "BackendTestSupport.h"

namespace {

TEST_F(BackendTest, OpeningTwiceKeepsOneViewAndClosingDestroysTheWindowAndStopsItsTimer)
{
    openView();
    openView();
    ASSERT_EQ(1, headless->WindowCount());
    ASSERT_EQ(1, headless->LiveTimerCount());
    graphics->CloseWindow();
    EXPECT_FALSE(graphics->WindowIsOpen());
    EXPECT_EQ(0, headless->WindowCount());
    EXPECT_EQ(0, headless->LiveTimerCount());
}

TEST_F(BackendTest, UserClosingTheWindowClosesTheViewAndLeavesTheSurfaceUsable)
{
    RecordingControl* control = attach(IRECT(0, 0, kWidth, kHeight));
    openView();
    window()->InjectClose();
    EXPECT_FALSE(graphics->WindowIsOpen());
    EXPECT_EQ(0, headless->WindowCount());
    EXPECT_EQ(0, headless->LiveTimerCount());
    headless->AdvanceClock(200);  // no tick reaches the surface any more
    openView();
    window()->InjectMouse(mouse(platform::MouseEventKind::Down, 20, 20));
    EXPECT_EQ(1u, control->events.size());
}

TEST_F(BackendTest, ResizeToTheSameSizeKeepsTheBitmapAndANewSizeResizesTheWindow)
{
    openView();
    ZUVE_SysBitmap* before = graphics->GetDrawBitmap();
    graphics->Resize(kWidth, kHeight);
    EXPECT_EQ(before, graphics->GetDrawBitmap());
    graphics->Resize(kWidth + 10, kHeight / 2);
    EXPECT_EQ(kWidth + 10, window()->Width());
    EXPECT_EQ(kHeight / 2, window()->Height());
}

TEST_F(BackendTest, DrawScreenWithoutViewFails)
{
    IRECT r(0, 0, 10, 10);
    EXPECT_FALSE(graphics->DrawScreen(&r));
    EXPECT_EQ(nullptr, graphics->CreateIPopupMenu(nullptr, &r));
}

TEST_F(BackendTest, MessageBoxButtonsMapToTheirResults)
{
    const struct {
        const char* answer;
        int type;
        int result;
    } cases[] = {{"alternate", 4, 7}, {"other", 3, 2}, {"alternate", 1, 7}, {"default", 0, 1}};
    for (const auto& c : cases) {
        headless->QueueAlertAnswer(c.answer);
        EXPECT_EQ(c.result, graphics->ShowMessageBox("Done", "Note", c.type)) << c.type;
        if (c.type == 4) {
            EXPECT_EQ("Yes", headless->alerts.back().defaultButton);
            EXPECT_EQ("No", headless->alerts.back().alternateButton);
        }
        if (c.type == 3) {
            EXPECT_EQ("Cancel", headless->alerts.back().otherButton);
        }
    }
    EXPECT_EQ("Note", headless->alerts.back().header);
    EXPECT_EQ("Done", headless->alerts.back().message);
}

TEST_F(BackendTest, FilePromptWithoutWindowEmptiesTheNameAndShowsNothing)
{
    ROZ_String name("bank.syx"), dir("/tmp/");
    graphics->PromptForFile(&name, kFileSave, &dir, "syx mid");
    EXPECT_STREQ("", name.Get());
    EXPECT_TRUE(headless->filePanels.empty());
}

TEST_F(BackendTest, FilePromptStartsOnTheDesktopKeepsItWhenCancelledAndOkGivesThePathAndItsFolder)
{
    openView();
    ROZ_String name("bank.syx"), dir;
    headless->QueueFilePanelAnswer("");
    graphics->PromptForFile(&name, kFileSave, &dir, "syx mid");
    EXPECT_STREQ("", name.Get());
    EXPECT_STREQ("~/Desktop", dir.Get());
    const platform::FilePanelRequest& panel = headless->filePanels.back();
    EXPECT_TRUE(panel.save);
    EXPECT_EQ("bank.syx", panel.proposedName);
    EXPECT_EQ((std::vector<std::string>{"syx", "mid"}), panel.types);

    headless->QueueFilePanelAnswer("/home/user/patches/Bank A.syx");
    graphics->PromptForFile(&name, kFileOpen, &dir, "syx");
    EXPECT_STREQ("/home/user/patches/Bank A.syx", name.Get());
    EXPECT_STREQ("/home/user/patches/", dir.Get());
    EXPECT_FALSE(headless->filePanels.back().save);
}

TEST_F(BackendTest, SavePanelAddsTheAllowedExtensionToATypedName)
{
    openView();
    ROZ_String name, dir;
    headless->QueueFilePanelAnswer("/home/user/patches/My Bank");
    graphics->PromptForFile(&name, kFileSave, &dir, "zt2");
    EXPECT_STREQ("/home/user/patches/My Bank.zt2", name.Get());
    headless->QueueFilePanelAnswer("/home/user/patches/Old.ZT2");
    graphics->PromptForFile(&name, kFileSave, &dir, "mid zt2");
    EXPECT_STREQ("/home/user/patches/Old.ZT2", name.Get());
    headless->QueueFilePanelAnswer("/home/user/patches.d/Bank");
    graphics->PromptForFile(&name, kFileOpen, &dir, "zt2");
    EXPECT_STREQ("/home/user/patches.d/Bank", name.Get());
}

TEST_F(BackendTest, OpenURLOpensWebAddressesAndExistingFilesOnly)
{
    EXPECT_TRUE(graphics->OpenURL("https://example.invalid/support"));
    EXPECT_TRUE(graphics->OpenURL("/"));
    // No URL can be made: done, nothing opens.
    EXPECT_TRUE(graphics->OpenURL(""));
    EXPECT_TRUE(graphics->OpenURL("https://example.invalid/a page"));
    // A missing file fails, so a caller can fall back to another address.
    EXPECT_FALSE(graphics->OpenURL("/nonexistent/Marnvik-Zelto2X-User-Manual-v101.pdf"));
    EXPECT_EQ((std::vector<std::string>{"https://example.invalid/support", "/"}), headless->openedURLs);
}

TEST_F(BackendTest, CursorIsHiddenOnceAndPutBackWhereItWas)
{
    headless->WarpPointer(300, 400);
    graphics->HideMouseCursor();
    EXPECT_TRUE(headless->cursorHidden);
    headless->WarpPointer(10, 10);
    graphics->HideMouseCursor();  // already hidden: the first position stays
    graphics->ShowMouseCursor();
    EXPECT_FALSE(headless->cursorHidden);
    EXPECT_EQ(300, headless->pointerX);
    EXPECT_EQ(400, headless->pointerY);
}

TEST(WindowSystemChoice, AnotherThreadAskingFirstGetsNothingShownAndTheMainThreadStillChooses)
{
    setenv("ZELTO2X_HEADLESS", "1", 1);
    platform::WindowSystem::SetShared(nullptr);
    IGraphicsMac graphics(nullptr, 100, 100);
    std::string name;
    platform::AlertResponse answer = platform::AlertResponse::Default;
    void* view = &graphics;
    std::thread worker([&] {
        platform::WindowSystem& system = platform::WindowSystem::Shared();
        name = system.Name();
        answer = system.RunAlert(platform::AlertRequest{});
        view = graphics.OpenWindow(nullptr);
    });
    worker.join();
    EXPECT_EQ("none", name);
    EXPECT_EQ(platform::AlertResponse::None, answer);
    EXPECT_EQ(nullptr, view);
    EXPECT_FALSE(graphics.WindowIsOpen());
    EXPECT_STREQ("headless", platform::WindowSystem::Shared().Name());
    platform::WindowSystem::SetShared(nullptr);
}

}  // namespace
