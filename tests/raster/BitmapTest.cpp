// Bitmaps, rectangle operations and their clipping.
#include <gtest/gtest.h>

#include <cmath>

#include "BitmapTestSupport.h"
#include "dovor/memory_dc.h"

namespace {

TEST(Bitmaps, EmptyBitmapsAndRowsTooWideToPadAllocateNothing)
{
    ZUVE_MemBitmap empty(0, 0, 4), mem(0x7fffffff, 2, 4);
    ZUVE_SysBitmap sys(0x7ffffffe, 2);
    for (ZUVE_IBitmap* bitmap : std::initializer_list<ZUVE_IBitmap*>{&empty, &mem, &sys}) {
        EXPECT_TRUE(!bitmap->getBits() && bitmap->getWidth() == 0 && bitmap->getRowSpan() == 0);
    }
    EXPECT_FALSE(sys.resize(0x7fffffff, 1));
    EXPECT_TRUE(sys.resize(3, 1) && sys.getRowSpan() == 4);
}

TEST(Bitmaps, RowsArePaddedToTheLineAlignmentAndASysBitmapSharesItsPixelsWithItsDrawingContext)
{
    ZUVE_MemBitmap aligned(5, 3, 4), unaligned(5, 3, 0), decoded(0, 0, 4);
    EXPECT_TRUE(aligned.getRowSpan() == 8 && unaligned.getRowSpan() == 5 && countDiffering(&aligned, 0) == 0);
    // A decoder's bitmap skips zeroing the pixels it will write, never the padding.
    ASSERT_TRUE(decoded.resizeForOverwrite(5, 3));
    EXPECT_EQ(decoded.getRowSpan(), 8);
    for (int i = 0; i < 24; ++i)
        EXPECT_TRUE(i % 8 < 5 || decoded.getBits()[i] == 0) << i;
    ZUVE_SysBitmap sys(5, 3);
    ASSERT_NE(sys.getDC(), nullptr);
    DOVOR_BitmapContext* context = *reinterpret_cast<DOVOR_BitmapContext**>(sys.getDC());
    EXPECT_TRUE(context->pixels == sys.getBits() && context->rowSpan == 8);
}

TEST(Bitmaps, BlitMovesEachPixelByTheOffsetWhereBothRectanglesAndBitmapsOverlap)
{
    ZUVE_MemBitmap src(4, 3);
    paint(&src, [](int x, int y) { return ZUVE_RGBA(x + 1, y + 1, 0, 255); });
    for (int sx = -4; sx <= 4; ++sx)
        for (int sy = -3; sy <= 3; ++sy)
            for (int dx = -4; dx <= 5; dx += 3)
                for (int dy = -3; dy <= 4; dy += 2) {
                    FilledBitmap dest(5, 4);
                    ZUVE_Blit(&dest, &src, dx, dy, sx, sy, 3, 2, 1.f, ZUVE_BLIT_MODE_COPY);
                    for (int y = 0; y < 4; ++y)
                        for (int x = 0; x < 5; ++x) {
                            const int u = x - dx + sx, v = y - dy + sy;  // the source point
                            const bool inRect = u >= sx && u < sx + 3 && v >= sy && v < sy + 2;
                            const bool inSource = u >= 0 && u < 4 && v >= 0 && v < 3;
                            ASSERT_EQ(pixelAt(&dest, x, y), inRect && inSource ? pixelAt(&src, u, v) : kBack)
                                << "src " << sx << "," << sy << " dst " << dx << "," << dy << " at " << x << "," << y;
                        }
                }
}

TEST(Bitmaps, EmptyRectanglesNullBitmapsAndHugeCoordinatesDrawNothingAndFillsAreClippedAtEveryEdge)
{
    FilledBitmap src(2, 2, kInk), dest(4, 4);
    ZUVE_MemBitmap empty(0, 0);
    ZUVE_Blit(&dest, &src, 0, 0, 0, 0, 0, 2, 1.f, 0);
    ZUVE_Blit(&dest, &src, 0, 0, 0, 0, 2, -1, 1.f, 0);
    ZUVE_Blit(&dest, nullptr, 0, 0, 0, 0, 2, 2, 1.f, 0);
    ZUVE_Blit(nullptr, &src, 0, 0, 0, 0, 2, 2, 1.f, 0);
    ZUVE_Blit(&dest, &empty, 0, 0, 0, 0, 2, 2, 1.f, 0);
    ZUVE_Blit(&dest, &src, 0x7fffffff, 0x7fffffff, 0, 0, 2, 2, 1.f, 0);
    ZUVE_Blit(&dest, &src, 0, 0, -0x7fffffff, 0, 0x7fffffff, 2, 1.f, 0);
    ZUVE_FillRect(&dest, 0, 0, -3, 2, kInk, 1.f, 0);
    ZUVE_FillRect(&dest, 0x7ffffff0, 0, 0x7fffffff, 2, kInk, 1.f, 0);
    ZUVE_FillRect(nullptr, 0, 0, 2, 2, kInk, 1.f, 0);
    ZUVE_ScaledBlit(&dest, &src, 0, 0, 0, 4, 0, 0, 2, 2, 1.f, 0);
    ZUVE_ScaledBlit(&dest, &src, 0, 0, 4, 4, 0, 0, 0.f, 2, 1.f, 0);
    ZUVE_ScaledBlit(&dest, &src, 0, 0, 4, 4, 0, 0, NAN, 2, 1.f, 0);
    ZUVE_RotatedBlit(&dest, &src, 0, 0, 4, 4, 0, 0, 2, 0.f, 1.f, false, 1.f, 0, 0, 0);
    ZUVE_RotatedBlit(&dest, &src, 0, 0, 4, 4, 0, 0, 2, 2, INFINITY, false, 1.f, 0, 0, 0);
    ZUVE_ScaledBlit(&dest, &src, 0, 0, 4, 4, -3e38f, 0, 3e38f, 2, 1.f, ZUVE_BLIT_FILTER_BILINEAR);
    ZUVE_RotatedBlit(&dest, &src, 0, 0, 4, 4, 0, 0, 2, 2, 1.f, false, 1.f, 0, 3e38f, 0);
    ZUVE_Circle(&dest, 1e30f, 0, 1e30f, kInk, 1.f, 0, true);
    ZUVE_Copy(&dest, nullptr);
    EXPECT_EQ(countDiffering(&dest), 0);
    ZUVE_FillRect(&dest, -2, -2, 3, 3, kInk, 1.f, 0);  // clipped to (0,0)
    ZUVE_FillRect(&dest, 3, 3, 5, 5, kInk, 1.f, 0);    // clipped to (3,3)
    EXPECT_TRUE(countDiffering(&dest) == 2 && pixelAt(&dest, 3, 3) == kInk);
    EXPECT_TRUE(ZUVE_GetPixel(nullptr, 0, 0) == 0 && ZUVE_GetPixel(&dest, 4, 0) == 0);
}

TEST(Bitmaps, BlitOntoItselfMovesPixelsAsIfCopiedFirst)
{
    ZUVE_MemBitmap bitmap(4, 4);
    paint(&bitmap, [](int x, int y) { return ZUVE_RGBA(x, y, 0, 255); });
    ZUVE_Blit(&bitmap, &bitmap, 1, 1, 0, 0, 3, 3, 1.f, ZUVE_BLIT_MODE_COPY);
    EXPECT_TRUE(pixelAt(&bitmap, 3, 3) == ZUVE_RGBA(2, 2, 0, 255) && pixelAt(&bitmap, 1, 1) == ZUVE_RGBA(0, 0, 0, 255));
    ZUVE_Blit(&bitmap, &bitmap, 1, 0, 0, 0, 3, 1, 0.999f, ZUVE_BLIT_MODE_ADD);
    EXPECT_EQ(pixelAt(&bitmap, 3, 0), ZUVE_RGBA(3 + 2, 0, 0, 255));
}

}  // namespace
