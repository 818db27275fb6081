// The GTK window system belongs to the thread that opened the display:
// calls from any other thread are refused at once and never reach GTK.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <thread>

#include "platform/GtkWindowSystem.h"

namespace {

TEST(GtkWindowSystem, OtherThreadsAreRefusedWithoutTouchingGtk)
{
    if (!std::getenv("DISPLAY"))
        GTEST_SKIP() << "needs an X display (run under xvfb-run)";
    std::unique_ptr<platform::WindowSystem> system = platform::MakeGtkWindowSystem();
    ASSERT_NE(nullptr, system);
    platform::AlertResponse alert = platform::AlertResponse::Default;
    bool panel = true, cursor = true, windowMade = true;
    std::thread worker([&] {
        // Shown from here, the alert would wait for a click that never comes.
        alert = system->RunAlert(platform::AlertRequest{"Question", "Shown from a worker?", "", "", ""});
        std::string path;
        panel = system->RunFilePanel(platform::FilePanelRequest{}, &path);
        cursor = system->HideCursor();
        windowMade = system->MakeWindow(100, 100, "worker", nullptr) != nullptr;
        system->ProcessEvents(10);
    });
    worker.join();
    EXPECT_EQ(platform::AlertResponse::None, alert);
    EXPECT_FALSE(panel);
    EXPECT_FALSE(cursor);
    EXPECT_FALSE(windowMade);
}

}  // namespace
