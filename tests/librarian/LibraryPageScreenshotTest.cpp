// The library page as the editor's window shows it, headless through the host
// program at each interface size: the bank names and the SLOT CATEGORY box
// stay inside their fields whatever they hold, the borders around them as drawn.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <memory>

#include "LibraryTestSupport.h"
#include "zuve/bitmap.h"
#include "zuve/zuve_png.h"

namespace {

using namespace librarytest;

struct Box {
    int x, y, w, h;  // as the configuration places it, at size "normal"
};
// The two bank-name fields and the SLOT CATEGORY box.
constexpr Box kUpperName {152, 200, 400, 14}, kLowerName {848, 200, 400, 14}, kSlotCategory {1320, 712, 128, 16};

struct Rect {
    int l, t, r, b;
};

// As the factories scale a control's rectangle.
Rect scaled(const Box& box, double s)
{
    const int l = int(box.x * s), t = int(box.y * s);
    return {l, t, l + int(box.w * s), t + int(box.h * s)};
}

using Picture = std::unique_ptr<ZUVE_IBitmap>;

// Pixels that differ between two pictures inside the rectangle, or, with
// inside false, in the ring of the given width around it (the field's border
// and what lies just beyond).
int differences(const Picture& a, const Picture& b, const Rect& box, bool inside, int ring)
{
    int count = 0;
    for (int y = box.t - ring; y < box.b + ring; ++y)
        for (int x = box.l - ring; x < box.r + ring; ++x) {
            const bool in = x >= box.l && x < box.r && y >= box.t && y < box.b;
            const auto pixel = [x, y](const Picture& p) { return p->getBits()[y * p->getRowSpan() + x] | 0xFF; };
            count += in == inside && pixel(a) != pixel(b);
        }
    return count;
}

class LibraryPageScreenshot : public ::testing::TestWithParam<double> {
protected:
    // A bank with a short name (the first in the library's order), one whose
    // 52-character name the field shows whole and one of 72 characters it
    // shows shortened; in each, slot 2 (the third) has no category, slot 3 is FX.
    void SetUp() override
    {
        std::vector<Bytes> sounds;
        for (int slot = 0; slot < 100; ++slot)
            sounds.push_back(currentDump(slot, "SOUND", slot == 2 ? 30 : slot == 3 ? 5 : 0));
        writeFile(data.patches() + "/Mixed.syx", concat(sounds));
        writeFile(data.patches() + "/" + std::string(48, 'Y') + ".syx", concat(sounds));
        writeFile(data.patches() + "/" + std::string(68, 'Z') + ".syx", concat(sounds));
        const double s = GetParam();
        std::ofstream(data.root + "/Zelto2X Editor UI.txt")
            << "normal\n" << (s < 1 ? "small" : s > 1 ? "large" : "normal") << "\nyes\n\n";
    }

    // Window coordinates of a surface point, and of a point given at size "normal".
    static std::string window(int x, int y) { return std::to_string(x + 2) + " " + std::to_string(y + 3); }
    std::string at(int x, int y) const { return window(int(x * GetParam()), int(y * GetParam())); }
    // The middle of a slot of the upper list, whose rows start just below the view's top.
    std::string slotCentre(int slot) const
    {
        const double s = GetParam();
        const int row = int(18 * s);
        return window(int(152 * s) + 10, int(240 * s) + 3 + slot * row + row / 2);
    }

    // Runs the script in the host program's headless window; the pictures it took, in order.
    std::vector<Picture> shots(const std::vector<std::string>& steps)
    {
        std::string script = "openview\nset 286 1\nwait 100\n";
        std::vector<std::string> files;
        for (const std::string& step : steps) {
            if (step == "shot") {
                files.push_back(data.root + "/shot" + std::to_string(files.size()) + ".png");
                script += "wait 100\nscreenshot " + files.back() + "\n";
            } else {
                script += step + "\n";
            }
        }
        std::ofstream(data.root + "/script.txt") << script << "closeview\n";
        const std::string command = "ZELTO2X_HEADLESS=1 '" ZELTO2X_HOST_PROGRAM "' --no-realtime --script '" +
            data.root + "/script.txt' '" REAL_BUNDLE "' >/dev/null 2>&1";
        EXPECT_EQ(0, std::system(command.c_str()));
        std::vector<Picture> pictures;
        for (const std::string& file : files)
            pictures.emplace_back(ZUVE_LoadPNG(file.c_str(), nullptr));
        return pictures;
    }

    TempDataFolder data;
};

TEST_P(LibraryPageScreenshot, BankNamesAndTheSlotCategoryStayInsideTheirFieldsLeavingTheBordersAsDrawn)
{
    const double s = GetParam();
    const std::string nextUpper = "click " + at(705, 209), nextLower = "click " + at(1305, 209);
    // Both lists on the short name, then the long one, then the shortened one;
    // the upper list back on the short one, its slot without category, then FX.
    const std::vector<Picture> pictures = shots({"shot", nextUpper, nextLower, "shot", nextUpper, nextLower, "shot",
        nextUpper, "click " + slotCentre(2), "shot", "click " + slotCentre(3), "shot"});
    ASSERT_EQ(5u, pictures.size());
    for (const Picture& p : pictures)
        ASSERT_TRUE(p && p->getWidth() == int(1500 * s) && p->getHeight() == int(757 * s));
    const int ring = int(16 * s);
    for (size_t i = 1; i < pictures.size(); ++i)
        for (const Box& box : {kUpperName, kLowerName, kSlotCategory})
            EXPECT_EQ(0, differences(pictures[0], pictures[i], scaled(box, s), false, ring))
                << "picture " << i << ", box at " << box.x << "," << box.y;
    // What the boxes hold did change: the long names, the category texts.
    for (size_t i : {1, 2})
        for (const Box& box : {kUpperName, kLowerName})
            EXPECT_GT(differences(pictures[0], pictures[i], scaled(box, s), true, 0), 0) << i;
    EXPECT_GT(differences(pictures[0], pictures[3], scaled(kSlotCategory, s), true, 0), 0);
    EXPECT_GT(differences(pictures[3], pictures[4], scaled(kSlotCategory, s), true, 0), 0);
}

INSTANTIATE_TEST_SUITE_P(AtEachSize, LibraryPageScreenshot, ::testing::Values(0.75, 1.0, 1.25));

}  // namespace
