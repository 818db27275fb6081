// The host program opens a test plug-in's view (WindowTestPlugin.cpp) in a
// real GTK window under Xvfb, clicks its switch and takes a screenshot; the
// same script on the headless window system must give the same picture.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>

#include "zuve/bitmap.h"
#include "zuve/zuve_png.h"

namespace {

struct HostRun {
    std::string output;
    int status = -1;
};

HostRun runHost(const std::string& environment, const std::string& script)
{
    const std::string command = environment + " '" WINDOW_TEST_HOST "' --no-realtime --script '" + script
                                + "' '" WINDOW_TEST_BUNDLE "' 2>&1";
    HostRun run;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return run;
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe))
        run.output += buffer;
    run.status = pclose(pipe);
    return run;
}

std::unique_ptr<ZUVE_IBitmap> loadPNG(const std::string& path)
{
    return std::unique_ptr<ZUVE_IBitmap>(ZUVE_LoadPNG(path.c_str(), nullptr));
}

// Same size and the same colour in every pixel (alpha aside: screens have none).
bool samePicture(ZUVE_IBitmap* a, ZUVE_IBitmap* b)
{
    if (a->getWidth() != b->getWidth() || a->getHeight() != b->getHeight())
        return false;
    for (int y = 0; y < a->getHeight(); ++y)
        for (int x = 0; x < a->getWidth(); ++x)
            if ((a->getBits()[y * a->getRowSpan() + x] | 0xFF) != (b->getBits()[y * b->getRowSpan() + x] | 0xFF))
                return false;
    return true;
}

class WindowScreenshotTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!std::getenv("DISPLAY"))
            GTEST_SKIP() << "needs an X display (run under xvfb-run)";
        char pattern[] = "/tmp/zelto-window-XXXXXX";
        ASSERT_NE(nullptr, mkdtemp(pattern));
        folder = pattern;
    }
    void TearDown() override
    {
        if (!folder.empty()) {
            ASSERT_EQ(0, std::system(("rm -rf '" + folder + "'").c_str()));
        }
    }
    // Opens the view, shoots it, clicks the control at surface (70, 70), shoots again.
    std::string writeScript(const std::string& name)
    {
        const std::string path = folder + "/" + name + ".txt";
        std::ofstream script(path);
        script << "openview\nwait 200\nscreenshot " << folder << "/" << name << "-before.png\n"
               << "click 72 73\nwait 200\nscreenshot " << folder << "/" << name << "-after.png\ncloseview\n";
        return path;
    }
    std::string environment(bool headless) const
    {
        return "ZELTO2X_DATA_FOLDER='" + folder + "/data/' ZELTO2X_HEADLESS=" + (headless ? "1" : "0");
    }
    std::string folder;
};

TEST_F(WindowScreenshotTest, ClickedGtkWindowLooksLikeTheHeadlessCapture)
{
    const HostRun gtk = runHost(environment(false), writeScript("gtk"));
    ASSERT_EQ(0, gtk.status) << gtk.output;
    ASSERT_NE(std::string::npos, gtk.output.find("ok gtk")) << gtk.output;  // a real window was used
    const HostRun headless = runHost(environment(true), writeScript("headless"));
    ASSERT_EQ(0, headless.status) << headless.output;
    ASSERT_NE(std::string::npos, headless.output.find("ok headless")) << headless.output;

    auto gtkBefore = loadPNG(folder + "/gtk-before.png");
    auto gtkAfter = loadPNG(folder + "/gtk-after.png");
    auto headlessAfter = loadPNG(folder + "/headless-after.png");
    ASSERT_TRUE(gtkBefore && gtkAfter && headlessAfter) << gtk.output << headless.output;
    EXPECT_FALSE(samePicture(gtkBefore.get(), gtkAfter.get())) << "the click changed nothing";
    EXPECT_TRUE(samePicture(gtkAfter.get(), headlessAfter.get()));
}

}  // namespace
