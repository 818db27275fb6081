// The host program's window mode on a real X display (run under xvfb-run): a stop signal ends it as the window's
// close button does.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "support/Subprocess.h"

// Last: Xlib defines names that other headers use.
#include <X11/Xlib.h>

namespace {

namespace fs = std::filesystem;

// Whether the X server shows a top-level window of that name.
bool windowShown(Display* display, const char* name)
{
    Window root = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    bool found = false;
    if (XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count)) {
        for (unsigned i = 0; i < count && !found; ++i) {
            char* title = nullptr;
            XWindowAttributes attributes {};
            found = XFetchName(display, children[i], &title) && title && std::string(title) == name &&
                    XGetWindowAttributes(display, children[i], &attributes) && attributes.map_state == IsViewable;
            if (title)
                XFree(title);
        }
        XFree(children);
    }
    return found;
}

// SIGINT while the editor's window is shown, and the SIGTERM a session script sends after it: the window closes, the
// plug-in is closed (its bank still UNSAVED is kept in "Recovered Banks") and the exit code names a signal.
TEST(HostWindowStop, AStopSignalClosesTheWindowAndThePlugInAsTheCloseButtonDoes)
{
    if (!std::getenv("DISPLAY"))
        GTEST_SKIP() << "needs an X display (run under xvfb-run)";
    Display* display = XOpenDisplay(nullptr);
    ASSERT_NE(nullptr, display);
    char pattern[] = "/tmp/zelto2x-window-stop-XXXXXX";
    ASSERT_NE(nullptr, mkdtemp(pattern));
    const fs::path folder = pattern, script = folder / "script.txt";
    std::ofstream(script) << "set 207 1\n";  // kBankEditUnsaved: the librarian's bank is UNSAVED
    testsupport::Subprocess host;
    testsupport::Subprocess::Options options;
    options.argv = {ZELTO2X_HOST_PROGRAM, "--window", "--script", script.string(), REAL_BUNDLE};
    options.extraEnvironment = {"ZELTO2X_DATA_FOLDER=" + (folder / "data").string() + "/"};
    options.collectStdout = true;
    options.outputFile = (folder / "stderr.txt").string();
    std::string error;
    ASSERT_TRUE(host.Start(options, &error)) << error;
    bool shown = false;
    for (int i = 0; i < 600 && !(shown = windowShown(display, "Zelto2X Editor")); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    ASSERT_TRUE(shown);
    host.Signal(SIGINT);
    host.Signal(SIGTERM);
    const int status = host.WaitForExit(std::chrono::seconds(60));
    // Sent at once, the two may reach two threads in either order.
    EXPECT_TRUE(WIFEXITED(status) && (WEXITSTATUS(status) == 128 + SIGINT || WEXITSTATUS(status) == 128 + SIGTERM))
        << status;
    EXPECT_EQ((std::vector<std::string> {"ok", "ok window closed"}), host.Stdout().Lines());
    EXPECT_TRUE(fs::exists(folder / "data" / "Recovered Banks" / "User Bank 1.syx"));
    XCloseDisplay(display);
    fs::remove_all(folder);
}

}  // namespace
