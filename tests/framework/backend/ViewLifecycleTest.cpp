// Opening and closing the view, and the platform services of the back end.
#include <cstdint>
#include <cstdlib>
#include <thread>
#include <tuple>
#include <vector>

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

TEST_F(BackendTest, ChildWindowOverAHostWindowHoldsTheViewComesToTheFrontOnceAfter50MsAndGoesWithRemove)
{
    headless->hostWindows[0x500] = platform::ScreenFrame{40, 30, kWidth + 100, 800};
    auto frontCount = [&](size_t i) { return headless->childWindows.at(i).timesBroughtToFront; };
    graphics->AttachSubWindow(reinterpret_cast<void*>(uintptr_t{0x501}));  // no such window
    EXPECT_TRUE(headless->childWindows.empty() && !graphics->WindowIsOpen());
    graphics->AttachSubWindow(reinterpret_cast<void*>(uintptr_t{0x500}));
    ASSERT_EQ(1u, headless->childWindows.size());
    const platform::ScreenFrame frame = headless->childWindows[0].frame;
    EXPECT_EQ((std::vector<int>{90, 30 + 800 - kHeight, kWidth, kHeight}),
              (std::vector<int>{frame.x, frame.y, frame.width, frame.height}));
    ASSERT_TRUE(graphics->WindowIsOpen());
    EXPECT_EQ(headless->childWindows[0].content, window()->Parent());
    headless->AdvanceClock(49);
    EXPECT_EQ(0, frontCount(0));
    headless->AdvanceClock(1);
    EXPECT_EQ(1, frontCount(0));
    headless->AdvanceClock(500);
    EXPECT_EQ(1, frontCount(0));  // once
    graphics->RemoveSubWindow();
    EXPECT_EQ(std::tuple(false, false, 0), std::tuple(headless->childWindows[0].open, graphics->WindowIsOpen(),
                                                      headless->WindowCount()));

    graphics->AttachSubWindow(reinterpret_cast<void*>(uintptr_t{0x500}));
    graphics->RemoveSubWindow();  // before its time to come to the front
    headless->AdvanceClock(100);
    EXPECT_EQ(std::tuple(0, 0), std::tuple(frontCount(1), headless->LiveTimerCount()));
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
