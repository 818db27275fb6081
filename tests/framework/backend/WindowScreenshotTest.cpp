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

// Runs the host program on the script; returns its output, "" when it failed.
std::string runHost(const std::string& environment, const std::string& script)
{
    const std::string command = environment + " '" WINDOW_TEST_HOST "' --no-realtime --script '" + script
                                + "' '" WINDOW_TEST_BUNDLE "' 2>&1";
    std::string output;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return output;
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe))
        output += buffer;
    return pclose(pipe) == 0 ? output : "";
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

TEST(WindowScreenshot, ClickedGtkWindowLooksLikeTheHeadlessCapture)
{
    if (!std::getenv("DISPLAY"))
        GTEST_SKIP() << "needs an X display (run under xvfb-run)";
    char pattern[] = "/tmp/zelto-window-XXXXXX";
    ASSERT_NE(nullptr, mkdtemp(pattern));
    const std::string folder = pattern;
    std::string output[2];
    for (int headless = 0; headless < 2; ++headless) {
        // Opens the view, shoots it, clicks the control at surface (70, 70), shoots again.
        const std::string name = headless ? "headless" : "gtk";
        const std::string script = folder + "/" + name + ".txt";
        std::ofstream(script) << "openview\nwait 200\nscreenshot " << folder << "/" << name << "-before.png\n"
                              << "click 72 73\nwait 200\nscreenshot " << folder << "/" << name
                              << "-after.png\ncloseview\n";
        output[headless] = runHost("ZELTO2X_DATA_FOLDER='" + folder + "/data/' ZELTO2X_HEADLESS="
                                       + std::to_string(headless),
                                   script);
        EXPECT_NE(std::string::npos, output[headless].find("ok " + name)) << output[headless];  // that window system
    }
    auto gtkBefore = loadPNG(folder + "/gtk-before.png");
    auto gtkAfter = loadPNG(folder + "/gtk-after.png");
    auto headlessAfter = loadPNG(folder + "/headless-after.png");
    ASSERT_EQ(0, std::system(("rm -rf '" + folder + "'").c_str()));
    ASSERT_TRUE(gtkBefore && gtkAfter && headlessAfter) << output[0] << output[1];
    EXPECT_FALSE(samePicture(gtkBefore.get(), gtkAfter.get())) << "the click changed nothing";
    EXPECT_TRUE(samePicture(gtkAfter.get(), headlessAfter.get()));
}

}  // namespace
