// Text: face mapping, measuring, alignment flags and where the pixels land.
#include <gtest/gtest.h>

#include <tuple>

#include "BitmapTestSupport.h"
#include "dovor/fonts.h"
#include "platform/CoreTextFreeType.h"
#include "zuve/zuve_text.h"

namespace {

// A font as the graphics surface makes it: owned handle, native rendering.
struct Font {
    explicit Font(const char* face, int height = 14, char italic = 0)
    {
        HGDIOBJ handle = CreateFont(height, 0, 0, 0, FW_NORMAL, italic, 0, 0, 0, 0, 0, 0, 0, face);
        EXPECT_NE(handle, nullptr);
        font.SetFromHFont(handle, 0x600);
        font.SetTextColor(ZUVE_RGBA(255, 255, 255, 255));
    }
    int width(const char* text) { return measure(text).right; }
    RECT measure(const char* text)
    {
        RECT r{0, 0, 0, 0};
        font.DrawText(nullptr, text, -1, &r, DT_CALCRECT);
        return r;
    }
    // Draws into a fresh bitmap and returns the smallest rectangle holding its ink ({w, h, -1, -1} for none).
    RECT ink(const char* text, RECT box, unsigned int flags, int w = 200, int h = 60)
    {
        FilledBitmap dest(w, h);
        font.DrawText(&dest, text, -1, &box, flags);
        RECT r{w, h, -1, -1};
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                if (pixelAt(&dest, x, y) != kBack)
                    r = {std::min(r.left, x), std::min(r.top, y), std::max(r.right, x + 1), std::max(r.bottom, y + 1)};
        return r;
    }
    ZUVE_CachedFont font;
};

bool inside(const RECT& ink, const RECT& box)
{
    return ink.left >= box.left && ink.top >= box.top && ink.right <= box.right && ink.bottom <= box.bottom;
}

TEST(FaceMapping, MonospaceFacesMapToDejaVuSansMonoAndOthersToDejaVuSans)
{
    for (const char* face : {"Monaco", "Menlo", "Courier New", "Consolas", "NK57 Monospace"})
        EXPECT_TRUE(platform::IsMonospaceFaceName(face)) << face;
    for (const char* face : {"Arial", "Lucida Grande", ""})
        EXPECT_FALSE(platform::IsMonospaceFaceName(face)) << face;
    const std::string dejaVu = "/usr/share/fonts/truetype/dejavu/DejaVuSans";
    EXPECT_EQ(platform::FontFileForFace("Monaco", false, false), dejaVu + "Mono.ttf");
    EXPECT_EQ(platform::FontFileForFace("Arial", true, true), dejaVu + "-BoldOblique.ttf");
    EXPECT_EQ(platform::FontFileForFace("Courier", false, true), dejaVu + "Mono-Oblique.ttf");
}

TEST(CachedFont, InkStaysInsideTheMeasuredRectangleAndWithoutNoClipInsideTheClipRectangle)
{
    Font measured("Arial", 16), clipped("Arial", 20);
    const RECT size = measured.measure("Hello, jig!"), box{30, 20, 30 + size.right, 20 + size.bottom};
    const RECT a = measured.ink("Hello, jig!", box, DT_NOCLIP), b = clipped.ink("WWWWW", {10, 10, 25, 18}, 0);
    EXPECT_TRUE(inside(a, box) && (a.right - a.left) * (a.bottom - a.top) > 20);
    EXPECT_TRUE(inside(b, {10, 10, 25, 18}) && b.right > b.left);
}

// Monospace '_' and '%' and oblique 'f' reach past their advance at these sizes.
TEST(CachedFont, GlyphsOverhangingTheirAdvanceStayInsideTheMeasuredWidth)
{
    const std::tuple<const char*, int, char, const char*> cases[] = {{"NK57 Monospace", 6, 0, "_"},
        {"NK57 Monospace", 8, 0, "Filter Cutoff: 127 %"}, {"Monaco", 12, 0, "INIT_1"}, {"Arial", 20, 1, "jiff"}};
    for (const auto& [face, height, italic, text] : cases) {
        Font font(face, height, italic);
        const RECT ink = font.ink(text, {20, 10, 180, 50}, DT_NOCLIP | DT_RIGHT);
        EXPECT_TRUE(ink.right <= 180 && ink.left >= 180 - font.width(text)) << text;
    }
}

TEST(CachedFont, CentringAndFarEdgeFlagsMoveTheTextByTheSpareRoom)
{
    Font font("Arial", 14);
    const RECT size = font.measure("Mid"), box{0, 0, 100, 40}, left = font.ink("Mid", box, 0, 100, 40);
    const int spareX = 100 - size.right, spareY = 40 - size.bottom;
    EXPECT_TRUE(font.font.GetLineHeight() == 14 && size.bottom == 14);  // a line is the requested cell height
    for (const auto& [flags, dx, dy] : {std::tuple{DT_CENTER | DT_VCENTER, spareX / 2, spareY / 2},
             std::tuple{DT_RIGHT | DT_BOTTOM, spareX, spareY}}) {
        const RECT moved = font.ink("Mid", box, flags, 100, 40);
        EXPECT_EQ(std::pair(moved.left - left.left, moved.top - left.top), std::pair(dx, dy)) << flags;
    }
}

TEST(CachedFont, CharactersOutsideTheFontTakeNoRoomAndOtherBytesReadAsLatin1)
{
    Font font("Arial", 14);
    const char* const cjk = "\xe4\xb8\x80\xe4\xb8\x81";  // two ideographs DejaVu lacks
    EXPECT_EQ(std::tuple(font.width(cjk), font.ink(cjk, {0, 0, 60, 20}, 0).right, font.width("a\xe4\xb8\x80" "b")),
        std::tuple(0, -1, font.width("ab")));
    EXPECT_TRUE(font.width("\xe9") == font.width("\xc3\xa9") && font.width("\xe9") > 0);  // e acute both ways
}

TEST(CachedFont, ColourAlphaCountsOnlyWithItsFlagAndAFontWithoutHandleOrTextDrawsNothing)
{
    Font font("Arial", 14);
    font.font.SetTextColor(ZUVE_RGBA(255, 255, 255, 0));
    EXPECT_EQ(font.ink("Alpha", {0, 0, 60, 20}, ZUVE_DT_USE_FG_ALPHA).right, -1);
    EXPECT_GT(font.ink("Alpha", {0, 0, 60, 20}, 0).right, 0);
    ZUVE_CachedFont none;
    FilledBitmap dest(60, 20);
    RECT box{0, 0, 60, 20};
    EXPECT_TRUE(none.DrawText(&dest, "x", -1, &box, 0) == 0 && none.GetLineHeight() == 0);
    EXPECT_TRUE(font.font.DrawText(&dest, nullptr, -1, &box, 0) == 0 &&
                font.font.DrawText(&dest, "x", -1, nullptr, 0) == 0);
}

}  // namespace
