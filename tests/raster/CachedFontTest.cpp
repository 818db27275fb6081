// Text: face mapping, measuring, alignment flags and where the pixels land.
#include <gtest/gtest.h>

#include "BitmapTestSupport.h"
#include "dovor/fonts.h"
#include "platform/CoreTextFreeType.h"
#include "zuve/zuve_text.h"

namespace {

const unsigned int kBack = ZUVE_RGBA(0, 0, 0, 255);

// A font as the graphics surface makes it: owned handle, native rendering.
struct Font {
    explicit Font(const char* face, int height = 14, char italic = 0)
    {
        HGDIOBJ handle = CreateFont(height, 0, 0, 0, FW_NORMAL, italic, 0, 0, 0, 0, 0, 0, 0, face);
        EXPECT_NE(handle, nullptr);
        font.SetFromHFont(handle, 0x600);
        font.SetTextColor(ZUVE_RGBA(255, 255, 255, 255));
    }
    RECT measure(const char* text, unsigned int flags = 0)
    {
        RECT r{0, 0, 0, 0};
        font.DrawText(nullptr, text, -1, &r, flags | DT_CALCRECT);
        return r;
    }
    ZUVE_CachedFont font;
};

// The smallest rectangle holding every pixel that differs from the background.
RECT inkBounds(ZUVE_IBitmap* bitmap)
{
    RECT r{bitmap->getWidth(), bitmap->getHeight(), -1, -1};
    for (int y = 0; y < bitmap->getHeight(); ++y)
        for (int x = 0; x < bitmap->getWidth(); ++x)
            if (pixelAt(bitmap, x, y) != kBack) {
                r.left = std::min(r.left, x), r.top = std::min(r.top, y);
                r.right = std::max(r.right, x + 1), r.bottom = std::max(r.bottom, y + 1);
            }
    return r;
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

TEST(CachedFont, LineHeightIsTheRequestedCellHeight)
{
    for (int height : {2, 10, 12, 17, 40}) {
        Font font("Arial", height);
        EXPECT_EQ(font.font.GetLineHeight(), height);
        EXPECT_EQ(font.measure("Hg").bottom, height);
    }
}

TEST(CachedFont, InkStaysInsideTheMeasuredRectangleAndWithoutNoClipInsideTheClipRectangle)
{
    Font measured("Arial", 16), clipped("Arial", 20);
    const RECT size = measured.measure("Hello, jig!");
    const struct {
        Font* font;
        const char* text;
        RECT box;
        unsigned int flags;
        int inkMoreThan;
    } cases[] = {{&measured, "Hello, jig!", {30, 20, 30 + size.right, 20 + size.bottom}, DT_NOCLIP, 20},
                 {&clipped, "WWWWW", {10, 10, 25, 18}, 0, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        FilledBitmap dest(200, 60);
        RECT box = c.box;
        c.font->font.DrawText(&dest, c.text, -1, &box, c.flags);
        const RECT ink = inkBounds(&dest);
        EXPECT_GE(ink.left, c.box.left);
        EXPECT_GE(ink.top, c.box.top);
        EXPECT_LE(ink.right, c.box.right);
        EXPECT_LE(ink.bottom, c.box.bottom);
        EXPECT_GT(countDiffering(&dest, kBack), c.inkMoreThan);
    }
}

TEST(CachedFont, GlyphsOverhangingTheirAdvanceStayInsideTheMeasuredWidth)
{
    // Monospace '_' and '%' and oblique 'f' reach past their advance at these sizes.
    struct Case {
        const char* face;
        int height;
        char italic;
        const char* text;
    } cases[] = {{"NK57 Monospace", 6, 0, "_"}, {"NK57 Monospace", 8, 0, "Filter Cutoff: 127 %"},
                 {"Monaco", 12, 0, "INIT_1"}, {"Arial", 20, 1, "jiff"}};
    for (const Case& c : cases) {
        Font font(c.face, c.height, c.italic);
        const RECT size = font.measure(c.text);
        FilledBitmap dest(200, 60);
        RECT box{20, 10, 180, 50};
        font.font.DrawText(&dest, c.text, -1, &box, DT_NOCLIP | DT_RIGHT);
        const RECT ink = inkBounds(&dest);
        EXPECT_LE(ink.right, 180) << c.text;
        EXPECT_GE(ink.left, 180 - size.right) << c.text;
    }
}

TEST(CachedFont, CentringAndFarEdgeFlagsMoveTheTextByTheSpareRoom)
{
    Font font("Arial", 14);
    const RECT size = font.measure("Mid");
    const int spareX = 100 - size.right, spareY = 40 - size.bottom;
    const struct {
        unsigned int flags;
        int dx, dy;
    } cases[] = {{DT_CENTER | DT_VCENTER, spareX / 2, spareY / 2}, {DT_RIGHT | DT_BOTTOM, spareX, spareY}};
    FilledBitmap left(100, 40);
    RECT box{0, 0, 100, 40};
    font.font.DrawText(&left, "Mid", -1, &box, 0);
    const RECT a = inkBounds(&left);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.flags);
        FilledBitmap moved(100, 40);
        font.font.DrawText(&moved, "Mid", -1, &box, c.flags);
        const RECT b = inkBounds(&moved);
        EXPECT_EQ(b.left - a.left, c.dx);
        EXPECT_EQ(b.top - a.top, c.dy);
    }
}

TEST(CachedFont, CharactersOutsideTheFontTakeNoRoomAndOtherBytesReadAsLatin1)
{
    Font font("Arial", 14);
    const char* const cjk = "\xe4\xb8\x80\xe4\xb8\x81";  // two ideographs DejaVu lacks
    EXPECT_EQ(font.measure(cjk).right, 0);
    FilledBitmap dest(60, 20);
    RECT box{0, 0, 60, 20};
    font.font.DrawText(&dest, cjk, -1, &box, 0);
    EXPECT_EQ(countDiffering(&dest, kBack), 0);
    EXPECT_EQ(font.measure("a\xe4\xb8\x80" "b").right, font.measure("ab").right);
    // Bytes that are not UTF-8 read as Latin-1.
    EXPECT_EQ(font.measure("\xe9").right, font.measure("\xc3\xa9").right);  // e acute both ways
    EXPECT_GT(font.measure("\xe9").right, 0);
}

TEST(CachedFont, ColourAlphaCountsOnlyWithItsFlagAndAFontWithoutHandleOrTextDrawsNothing)
{
    Font font("Arial", 14);
    font.font.SetTextColor(ZUVE_RGBA(255, 255, 255, 0));
    FilledBitmap dest(60, 20);
    RECT box{0, 0, 60, 20};
    font.font.DrawText(&dest, "Alpha", -1, &box, ZUVE_DT_USE_FG_ALPHA);
    EXPECT_EQ(countDiffering(&dest, kBack), 0);
    font.font.DrawText(&dest, "Alpha", -1, &box, 0);
    EXPECT_GT(countDiffering(&dest, kBack), 0);

    ZUVE_CachedFont none;
    EXPECT_EQ(none.DrawText(&dest, "x", -1, &box, 0), 0);
    EXPECT_EQ(none.GetLineHeight(), 0);
    EXPECT_EQ(font.font.DrawText(&dest, nullptr, -1, &box, 0), 0);
    EXPECT_EQ(font.font.DrawText(&dest, "x", -1, nullptr, 0), 0);
}

}  // namespace
