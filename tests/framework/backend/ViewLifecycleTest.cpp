// Opening and closing the view, and the platform services of the back end.
#include <cstdlib>
#include <thread>

#include "BackendTestSupport.h"

namespace {

TEST_F(BackendTest, OpeningTwiceKeepsOneViewAndClosingDestroysTheWindowAndStopsItsTimer)
{
    RecordingControl* control = attach(IRECT(0, 0, kWidth, kHeight));
    IRECT r(0, 0, 10, 10);
    EXPECT_FALSE(graphics->DrawScreen(&r));  // no view yet
    EXPECT_EQ(nullptr, graphics->CreateIPopupMenu(nullptr, &r));
    openView();
    openView();
    ASSERT_EQ(std::pair(1, 1), std::pair(headless->WindowCount(), headless->LiveTimerCount()));
    graphics->CloseWindow();
    EXPECT_FALSE(graphics->WindowIsOpen());
    EXPECT_EQ(0, headless->LiveTimerCount());

    openView();
    window()->InjectClose();  // the user closes it
    EXPECT_EQ(std::tuple(false, 0, 0),
              std::tuple(graphics->WindowIsOpen(), headless->WindowCount(), headless->LiveTimerCount()));
    headless->AdvanceClock(200);  // no tick reaches the surface any more
    openView();
    window()->InjectMouse(mouse(platform::MouseEventKind::Down, 20, 20));
    EXPECT_EQ(1u, control->events.size());
}

TEST_F(BackendTest, FilePromptNeedsAWindowStartsOnTheDesktopKeepsItWhenCancelledOkGivesThePathAndSavingAddsTheExtension)
{
    ROZ_String name("bank.syx"), dir;
    graphics->PromptForFile(&name, kFileSave, &dir, "syx mid");  // no window: nothing shown, the name emptied
    EXPECT_TRUE(std::string(name.Get()).empty() && headless->filePanels.empty());
    openView();
    name.Set("bank.syx");
    headless->QueueFilePanelAnswer("");
    graphics->PromptForFile(&name, kFileSave, &dir, "syx mid");
    EXPECT_STREQ("", name.Get());
    EXPECT_STREQ("~/Desktop", dir.Get());
    const platform::FilePanelRequest& panel = headless->filePanels.back();
    EXPECT_EQ(std::tuple(true, std::string("bank.syx"), std::vector<std::string> {"syx", "mid"}),
              std::tuple(panel.save, panel.proposedName, panel.types));

    headless->QueueFilePanelAnswer("/home/user/patches/Bank A.syx");
    graphics->PromptForFile(&name, kFileOpen, &dir, "syx");
    EXPECT_STREQ("/home/user/patches/Bank A.syx", name.Get());
    EXPECT_STREQ("/home/user/patches/", dir.Get());

    const struct {
        EFileAction action;
        const char *types, *answer, *name;
    } cases[] = {  // a save panel adds the allowed extension to a typed name
        {kFileSave, "zt2", "/home/user/patches/My Bank", "/home/user/patches/My Bank.zt2"},
        {kFileSave, "mid zt2", "/home/user/patches/Old.ZT2", "/home/user/patches/Old.ZT2"},
        {kFileOpen, "zt2", "/home/user/patches.d/Bank", "/home/user/patches.d/Bank"},
    };
    for (const auto& c : cases) {
        headless->QueueFilePanelAnswer(c.answer);
        graphics->PromptForFile(&name, c.action, &dir, c.types);
        EXPECT_STREQ(c.name, name.Get());
    }
}

TEST_F(BackendTest, OpenURLOpensWebAddressesAndExistingFilesOnly)
{
    // "": no URL can be made, so done with nothing opened.
    for (const char* address : {"https://example.invalid/support", "/", "", "https://example.invalid/a page"})
        EXPECT_TRUE(graphics->OpenURL(address)) << address;
    // A missing file fails, so a caller can fall back to another address.
    EXPECT_FALSE(graphics->OpenURL("/nonexistent/Marnvik-Zelto2X-User-Manual-v101.pdf"));
    EXPECT_EQ((std::vector<std::string>{"https://example.invalid/support", "/"}), headless->openedURLs);
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
    EXPECT_EQ(std::tuple(std::string("none"), platform::AlertResponse::None, static_cast<void*>(nullptr), false),
              std::tuple(name, answer, view, graphics.WindowIsOpen()));
    EXPECT_STREQ("headless", platform::WindowSystem::Shared().Name());
    platform::WindowSystem::SetShared(nullptr);
}

}  // namespace
