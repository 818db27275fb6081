// The window-system layer: memory drawing contexts and fonts.
#include <gtest/gtest.h>

#include "dovor/dovor.h"

namespace {

// Row padding is the raster library's bitmaps' to check.
TEST(MemoryDC, ContextsStartZeroedKeepTheirPixelsAtTheSameSizeAndEmptyOnesHaveNone)
{
    HDC dc = DOVOR_CreateMemoryDC(5, 3);
    ASSERT_NE(dc, nullptr);
    DOVOR_BitmapContext* context = dc->bitmapContext;
    for (int i = 0; i < 8 * 3; ++i)
        ASSERT_EQ(context->pixels[i], 0u);
    context->pixels[0] = 7;
    EXPECT_TRUE(DOVOR_ResizeMemoryDC(dc, 5, 3));
    EXPECT_EQ(context->pixels[0], 7u);  // same size keeps the pixels
    EXPECT_TRUE(DOVOR_ResizeMemoryDC(dc, 0, -4));
    EXPECT_EQ(context->pixels, nullptr);
    EXPECT_TRUE(DeleteDC(dc));
    EXPECT_FALSE(DeleteDC(nullptr));
    EXPECT_FALSE(DOVOR_ResizeMemoryDC(nullptr, 1, 1));
}

TEST(Fonts, CellHeightIsTheRequestedOneAndAMissingCharacterRendersNothing)
{
    HGDIOBJ font = CreateFont(20, 0, 0, 0, FW_BOLD, 1, 0, 0, 0, 0, 0, ANTIALIASED_QUALITY, 0, "Lucida Grande");
    ASSERT_NE(font, nullptr);
    DOVOR_FontMetrics metrics;
    ASSERT_TRUE(DOVOR_GetFontMetrics(font, &metrics));
    EXPECT_EQ(metrics.lineHeight, 20);
    EXPECT_EQ(metrics.ascent + metrics.descent, 20);
    DOVOR_Glyph glyph;
    ASSERT_TRUE(DOVOR_RenderGlyph(font, 'A', &glyph));
    EXPECT_GT(glyph.advanceX64, 0);
    EXPECT_EQ(glyph.coverage.size(), size_t(glyph.width * glyph.height));
    EXPECT_FALSE(DOVOR_RenderGlyph(font, 0x4E00, &glyph));
    EXPECT_EQ(glyph.advanceX64, 0);
    EXPECT_TRUE(glyph.coverage.empty());
    EXPECT_FALSE(DOVOR_RenderGlyph(nullptr, 'A', &glyph));
    EXPECT_FALSE(DOVOR_GetFontMetrics(nullptr, &metrics));
    EXPECT_TRUE(DeleteObject(font));
}

}  // namespace
