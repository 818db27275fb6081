// The window-system layer: memory drawing contexts, fonts and the dialog stand-ins.
#include <gtest/gtest.h>

#include "dovor/dovor.h"

namespace {

TEST(MemoryDC, RowsArePaddedToFourPixelsAndStartZeroed)
{
    HDC dc = DOVOR_CreateMemoryDC(5, 3);
    ASSERT_NE(dc, nullptr);
    DOVOR_BitmapContext* context = dc->bitmapContext;
    EXPECT_EQ(context->width, 5);
    EXPECT_EQ(context->height, 3);
    EXPECT_EQ(context->rowSpan, 8);
    for (int i = 0; i < 8 * 3; ++i)
        ASSERT_EQ(context->pixels[i], 0u);
    EXPECT_TRUE(DeleteDC(dc));
}

TEST(MemoryDC, EmptyAndResizedContexts)
{
    HDC dc = DOVOR_CreateMemoryDC(0, -4);
    ASSERT_NE(dc, nullptr);
    EXPECT_EQ(dc->bitmapContext->pixels, nullptr);
    EXPECT_TRUE(DOVOR_ResizeMemoryDC(dc, 9, 2));
    EXPECT_EQ(dc->bitmapContext->rowSpan, 12);
    dc->bitmapContext->pixels[0] = 7;
    EXPECT_TRUE(DOVOR_ResizeMemoryDC(dc, 9, 2));
    EXPECT_EQ(dc->bitmapContext->pixels[0], 7u);  // same size keeps the pixels
    EXPECT_TRUE(DOVOR_ResizeMemoryDC(dc, 0, 0));
    EXPECT_EQ(dc->bitmapContext->pixels, nullptr);
    DeleteDC(dc);
    EXPECT_FALSE(DeleteDC(nullptr));
    EXPECT_FALSE(DOVOR_ResizeMemoryDC(nullptr, 1, 1));
}

TEST(Fonts, CreateFontGivesTheRequestedCellHeight)
{
    HGDIOBJ font = CreateFont(20, 0, 0, 0, FW_BOLD, 1, 0, 0, 0, 0, 0, ANTIALIASED_QUALITY, 0, "Lucida Grande");
    ASSERT_NE(font, nullptr);
    DOVOR_FontMetrics metrics;
    ASSERT_TRUE(DOVOR_GetFontMetrics(font, &metrics));
    EXPECT_EQ(metrics.lineHeight, 20);
    EXPECT_EQ(metrics.ascent + metrics.descent, 20);
    EXPECT_GT(metrics.ascent, metrics.descent);
    EXPECT_TRUE(DeleteObject(font));
    EXPECT_FALSE(DeleteObject(nullptr));
    EXPECT_FALSE(DOVOR_GetFontMetrics(nullptr, &metrics));
}

TEST(Fonts, RenderGlyphGivesCoverageAndAdvanceOrNothingForAMissingCharacter)
{
    HGDIOBJ font = CreateFont(16, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0, "Menlo");
    DOVOR_Glyph glyph;
    ASSERT_TRUE(DOVOR_RenderGlyph(font, 'A', &glyph));
    EXPECT_GT(glyph.width, 0);
    EXPECT_GT(glyph.advanceX64, 0);
    EXPECT_EQ(glyph.coverage.size(), size_t(glyph.width * glyph.height));
    EXPECT_FALSE(DOVOR_RenderGlyph(font, 0x4E00, &glyph));
    EXPECT_EQ(glyph.advanceX64, 0);
    EXPECT_TRUE(glyph.coverage.empty());
    EXPECT_FALSE(DOVOR_RenderGlyph(nullptr, 'A', &glyph));
    DeleteObject(font);
}

TEST(Fonts, TextFlagValues)
{
    EXPECT_EQ(DT_CALCRECT, 1u);
    EXPECT_EQ(DT_VCENTER, 2u);
    EXPECT_EQ(DT_CENTER, 4u);
    EXPECT_EQ(DT_BOTTOM, 0x10u);
    EXPECT_EQ(DT_RIGHT, 0x20u);
    EXPECT_EQ(DT_NOCLIP, 0x100u);
}

TEST(Dialogs, WindowCallsMoveCentreAndEnd)
{
    HWND parent = DOVOR_CreateWindow(nullptr, 0, 0, 400, 300);
    HWND dialog = DOVOR_CreateWindow(parent, 5, 5, 100, 50);
    CenterWindow(dialog);
    RECT r;
    ASSERT_TRUE(GetWindowRect(dialog, &r));
    EXPECT_EQ(r.left, 150);
    EXPECT_EQ(r.top, 125);
    EXPECT_EQ(r.right, 250);
    SetWindowPos(dialog, nullptr, 70, 80, 999, 999, SWP_NOMOVE | SWP_NOSIZE);
    GetWindowRect(dialog, &r);
    EXPECT_EQ(r.top, 125);
    SetWindowPos(dialog, nullptr, 10, 20, 30, 40, 0);
    GetWindowRect(dialog, &r);
    EXPECT_EQ(r.left, 10);
    EXPECT_EQ(r.bottom, 60);
    EXPECT_TRUE(EndDialog(dialog, 7));
    EXPECT_FALSE(EndDialog(nullptr, 7));
    EXPECT_FALSE(GetWindowRect(nullptr, &r));
    DestroyWindow(dialog);
    DestroyWindow(parent);
}

}  // namespace
