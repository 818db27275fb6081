// Text: face mapping, measuring, alignment flags and where the pixels land.
#include <gtest/gtest.h>

#include "BitmapTestSupport.h"
#include "dovor/fonts.h"
#include "platform/CoreTextFreeType.h"
#include "zuve/zuve_text.h"

namespace {

const unsigned int kBack = ZUVE_RGBA(0, 0, 0, 255);

HGDIOBJ makeFont(const char* face, int height, int weight = FW_NORMAL, char italic = 0, char quality = 0)
{
    return CreateFont(height, 0, 0, 0, weight, italic, 0, 0, 0, 0, 0, quality, 0, face);
}

// A font as the graphics surface makes it: owned handle, native rendering.
struct Font {
    explicit Font(const char* face, int height = 14, int weight = FW_NORMAL)
    {
        HGDIOBJ handle = makeFont(face, height, weight);
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
    for (const char* face : {"Monaco", "Menlo", "Courier", "Courier New", "Consolas", "NK57 Monospace"})
        EXPECT_TRUE(platform::IsMonospaceFaceName(face)) << face;
    for (const char* face : {"Arial", "Helvetica", "Lucida Grande", ""})
        EXPECT_FALSE(platform::IsMonospaceFaceName(face)) << face;
    EXPECT_EQ(platform::FontFileForFace("Monaco", false, false),
              "/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf");
    EXPECT_EQ(platform::FontFileForFace("Arial", true, true),
              "/usr/share/fonts/truetype/dejavu/DejaVuSans-BoldOblique.ttf");
    EXPECT_EQ(platform::FontFileForFace("Courier", false, true),
              "/usr/share/fonts/truetype/dejavu/DejaVuSansMono-Oblique.ttf");
}

TEST(CachedFont, LineHeightIsTheRequestedCellHeight)
{
    for (int height : {2, 10, 12, 17, 40}) {
        Font font("Arial", height);
        EXPECT_EQ(font.font.GetLineHeight(), height);
        EXPECT_EQ(font.measure("Hg").bottom, height);
    }
}

TEST(CachedFont, WideLettersMeasureWiderThanNarrowOnesExceptInMonospace)
{
    Font sans("Helvetica");
    EXPECT_GT(sans.measure("WWW").right, sans.measure("iii").right);
    Font mono("Monaco");
    EXPECT_EQ(mono.measure("nnn").right, mono.measure("iii").right);
    EXPECT_GT(mono.measure("iii").right, 0);
}

TEST(CachedFont, BoldIsWiderThanRegular)
{
    Font regular("Arial", 20, FW_NORMAL), bold("Arial", 20, FW_BOLD);
    EXPECT_GT(bold.measure("Bold text").right, regular.measure("Bold text").right);
}

TEST(CachedFont, MeasuringMovesRightAndBottomFromLeftAndTop)
{
    Font font("Arial");
    RECT r{10, 20, 0, 0};
    const int height = font.font.DrawText(nullptr, "abc", -1, &r, DT_CALCRECT);
    EXPECT_EQ(height, 14);
    EXPECT_EQ(r.left, 10);
    EXPECT_EQ(r.top, 20);
    EXPECT_EQ(r.right - r.left, font.measure("abc").right);
    EXPECT_EQ(r.bottom, 34);
    RECT part{0, 0, 0, 0};
    font.font.DrawText(nullptr, "abcdef", 3, &part, DT_CALCRECT);
    EXPECT_EQ(part.right, r.right - r.left);
}

TEST(CachedFont, DrawnPixelsStayInsideTheMeasuredRectangle)
{
    Font font("Arial", 16);
    const RECT size = font.measure("Hello, jig!");
    ZUVE_MemBitmap dest(200, 60);
    fillBitmap(&dest, kBack);
    RECT r{30, 20, 30 + size.right, 20 + size.bottom};
    font.font.DrawText(&dest, "Hello, jig!", -1, &r, DT_NOCLIP);
    const RECT ink = inkBounds(&dest);
    EXPECT_GE(ink.left, 30);
    EXPECT_GE(ink.top, 20);
    EXPECT_LE(ink.right, r.right);
    EXPECT_LE(ink.bottom, r.bottom);
    EXPECT_GT(countDiffering(&dest, kBack), 20);
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
        ZUVE_CachedFont font;
        font.SetFromHFont(makeFont(c.face, c.height, FW_NORMAL, c.italic), 0x600);
        font.SetTextColor(ZUVE_RGBA(255, 255, 255, 255));
        RECT size{0, 0, 0, 0};
        font.DrawText(nullptr, c.text, -1, &size, DT_CALCRECT);
        ZUVE_MemBitmap dest(200, 60);
        fillBitmap(&dest, kBack);
        RECT box{20, 10, 180, 50};
        font.DrawText(&dest, c.text, -1, &box, DT_NOCLIP | DT_RIGHT);
        const RECT ink = inkBounds(&dest);
        EXPECT_LE(ink.right, 180) << c.text;
        EXPECT_GE(ink.left, 180 - size.right) << c.text;
    }
}

TEST(CachedFont, CentringFlagsPlaceTheTextInTheMiddle)
{
    Font font("Arial", 14);
    const RECT size = font.measure("Mid");
    ZUVE_MemBitmap left(100, 40), centred(100, 40);
    fillBitmap(&left, kBack);
    fillBitmap(&centred, kBack);
    RECT box{0, 0, 100, 40};
    font.font.DrawText(&left, "Mid", -1, &box, 0);
    font.font.DrawText(&centred, "Mid", -1, &box, DT_CENTER | DT_VCENTER);
    const RECT a = inkBounds(&left), b = inkBounds(&centred);
    EXPECT_EQ(b.left - a.left, (100 - size.right) / 2);
    EXPECT_EQ(b.top - a.top, (40 - size.bottom) / 2);
}

TEST(CachedFont, RightAndBottomFlagsAlignToThoseEdges)
{
    Font font("Arial", 14);
    const RECT size = font.measure("End");
    ZUVE_MemBitmap left(100, 40), far(100, 40);
    fillBitmap(&left, kBack);
    fillBitmap(&far, kBack);
    RECT box{0, 0, 100, 40};
    font.font.DrawText(&left, "End", -1, &box, 0);
    font.font.DrawText(&far, "End", -1, &box, DT_RIGHT | DT_BOTTOM);
    const RECT a = inkBounds(&left), b = inkBounds(&far);
    EXPECT_EQ(b.left - a.left, 100 - size.right);
    EXPECT_EQ(b.top - a.top, 40 - size.bottom);
}

TEST(CachedFont, WithoutNoClipTextIsClippedToTheRectangle)
{
    Font font("Arial", 20);
    ZUVE_MemBitmap dest(100, 40);
    fillBitmap(&dest, kBack);
    RECT box{10, 10, 25, 18};
    font.font.DrawText(&dest, "WWWWW", -1, &box, 0);
    const RECT ink = inkBounds(&dest);
    EXPECT_GE(ink.left, 10);
    EXPECT_GE(ink.top, 10);
    EXPECT_LE(ink.right, 25);
    EXPECT_LE(ink.bottom, 18);
    EXPECT_GT(countDiffering(&dest, kBack), 0);
}

TEST(CachedFont, ColourAlphaCountsOnlyWithItsFlag)
{
    Font font("Arial", 14);
    font.font.SetTextColor(ZUVE_RGBA(255, 255, 255, 0));
    ZUVE_MemBitmap dest(60, 20);
    fillBitmap(&dest, kBack);
    RECT box{0, 0, 60, 20};
    font.font.DrawText(&dest, "Alpha", -1, &box, ZUVE_DT_USE_FG_ALPHA);
    EXPECT_EQ(countDiffering(&dest, kBack), 0);
    font.font.DrawText(&dest, "Alpha", -1, &box, 0);
    EXPECT_GT(countDiffering(&dest, kBack), 0);
}

TEST(CachedFont, CharactersOutsideTheFontDrawNothingAndTakeNoRoom)
{
    Font font("Arial", 14);
    const char* const cjk = "\xe4\xb8\x80\xe4\xb8\x81";  // two ideographs DejaVu lacks
    EXPECT_EQ(font.measure(cjk).right, 0);
    ZUVE_MemBitmap dest(60, 20);
    fillBitmap(&dest, kBack);
    RECT box{0, 0, 60, 20};
    font.font.DrawText(&dest, cjk, -1, &box, 0);
    EXPECT_EQ(countDiffering(&dest, kBack), 0);
    EXPECT_EQ(font.measure("a\xe4\xb8\x80" "b").right, font.measure("ab").right);
}

TEST(CachedFont, NonUtf8BytesAreLatin1)
{
    Font font("Arial", 14);
    EXPECT_EQ(font.measure("\xe9").right, font.measure("\xc3\xa9").right);  // e acute both ways
    EXPECT_GT(font.measure("\xe9").right, 0);
}

TEST(CachedFont, EscapementTurnsTheBaselineCounterClockwise)
{
    ZUVE_CachedFont font;
    font.SetFromHFont(CreateFont(16, 0, 900, 900, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0, "Arial"), 0x600);
    font.SetTextColor(ZUVE_RGBA(255, 255, 255, 255));
    ZUVE_MemBitmap dest(120, 120);
    fillBitmap(&dest, kBack);
    RECT r{50, 80, 120, 120};
    font.DrawText(&dest, "Upwards", -1, &r, DT_NOCLIP);
    const RECT ink = inkBounds(&dest);
    EXPECT_GT(ink.bottom - ink.top, 2 * (ink.right - ink.left));
    EXPECT_LT(ink.top, 80);  // the text climbs from its start
}

TEST(CachedFont, FontWithoutHandleOrTextDrawsNothing)
{
    ZUVE_CachedFont font;
    ZUVE_MemBitmap dest(10, 10);
    RECT r{0, 0, 10, 10};
    EXPECT_EQ(font.DrawText(&dest, "x", -1, &r, 0), 0);
    EXPECT_EQ(font.GetLineHeight(), 0);
    Font real("Arial");
    EXPECT_EQ(real.font.DrawText(&dest, nullptr, -1, &r, 0), 0);
    EXPECT_EQ(real.font.DrawText(&dest, "x", -1, nullptr, 0), 0);
}

TEST(CachedFont, NonAntialiasedQualityDrawsOnlyFullPixels)
{
    ZUVE_CachedFont font;
    font.SetFromHFont(makeFont("Arial", 16, FW_NORMAL, 0, NONANTIALIASED_QUALITY), 0x600);
    font.SetTextColor(ZUVE_RGBA(255, 255, 255, 255));
    ZUVE_MemBitmap dest(80, 20);
    fillBitmap(&dest, kBack);
    RECT r{0, 0, 80, 20};
    font.DrawText(&dest, "Sharp", -1, &r, 0);
    EXPECT_GT(countDiffering(&dest, kBack), 0);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 80; ++x) {
            const unsigned int p = pixelAt(&dest, x, y);
            EXPECT_TRUE(p == kBack || p == ZUVE_RGBA(255, 255, 255, 255)) << x << "," << y;
        }
}

}  // namespace
