// Scaling (nearest and bilinear) and rotation.
#include <gtest/gtest.h>

#include <cmath>

#include "BitmapTestSupport.h"

namespace {

const unsigned int kBack = ZUVE_RGBA(0, 0, 0, 255);
const unsigned int kInk = ZUVE_RGBA(255, 0, 0, 255);

TEST(ScaledBlit, NearestDoublingRepeatsEachPixel)
{
    ZUVE_MemBitmap src(2, 1), dest(4, 2);
    ZUVE_PutPixel(&src, 0, 0, ZUVE_RGBA(10, 0, 0, 255), 1.f, 0);
    ZUVE_PutPixel(&src, 1, 0, ZUVE_RGBA(20, 0, 0, 255), 1.f, 0);
    ZUVE_ScaledBlit(&dest, &src, 0, 0, 4, 2, 0, 0, 2, 1, 1.f, ZUVE_BLIT_MODE_COPY);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(ZUVE_GETR(pixelAt(&dest, x, y)), x < 2 ? 10 : 20) << x << "," << y;
}

TEST(ScaledBlit, BilinearSamplesBetweenPixelCentresRepeatsEdgesAndKeepsScaleOne)
{
    // Sample positions 0.25, 0.75, 1.25, 1.75 -> taps at -0.25 (edge), 0.25, 0.75, 1.25 (edge).
    ZUVE_MemBitmap src(2, 1), dest(4, 1);
    ZUVE_PutPixel(&src, 0, 0, ZUVE_RGBA(0, 0, 0, 255), 1.f, 0);
    ZUVE_PutPixel(&src, 1, 0, ZUVE_RGBA(255, 0, 0, 255), 1.f, 0);
    ZUVE_ScaledBlit(&dest, &src, 0, 0, 4, 1, 0, 0, 2, 1, 1.f, ZUVE_BLIT_FILTER_BILINEAR);
    EXPECT_EQ(pixelAt(&dest, 0, 0), ZUVE_RGBA(0, 0, 0, 255));
    EXPECT_EQ(pixelAt(&dest, 1, 0), ZUVE_RGBA(64, 0, 0, 255));
    EXPECT_EQ(pixelAt(&dest, 2, 0), ZUVE_RGBA(191, 0, 0, 255));
    EXPECT_EQ(pixelAt(&dest, 3, 0), ZUVE_RGBA(255, 0, 0, 255));

    // At scale one every sample falls on a pixel centre.
    ZUVE_MemBitmap grid(3, 3), copy(3, 3);
    for (int i = 0; i < 9; ++i)
        ZUVE_PutPixel(&grid, i % 3, i / 3, ZUVE_RGBA(i * 20, 255 - i, i, 128 + i), 1.f, 0);
    ZUVE_ScaledBlit(&copy, &grid, 0, 0, 3, 3, 0, 0, 3, 3, 1.f, ZUVE_BLIT_FILTER_BILINEAR);
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(pixelAt(&copy, i % 3, i / 3), pixelAt(&grid, i % 3, i / 3)) << i;
}

TEST(ScaledBlit, SamplesOutsideTheSourceLeaveTheDestinationWhichIsClippedAtEveryEdge)
{
    FilledBitmap src(2, 1, kInk), dest(4, 1), small(3, 3);
    ZUVE_ScaledBlit(&dest, &src, 0, 0, 4, 1, -2.f, 0.f, 4.f, 1.f, 1.f, ZUVE_BLIT_FILTER_BILINEAR);
    for (int x = 0; x < 4; ++x)
        EXPECT_EQ(pixelAt(&dest, x, 0), x < 2 ? kBack : kInk) << x;
    ZUVE_ScaledBlit(&small, &src, -10, -10, 30, 30, 0, 0, 1, 1, 1.f, ZUVE_BLIT_FILTER_BILINEAR);
    EXPECT_EQ(countDiffering(&small, kInk), 0);
}

// The plain copy takes a vectorised path; blending an opaque source with the
// alpha rule gives the same pixels through the per-pixel one. Widths cover
// every remainder of four, at the editor's two scales and a strong shrink.
TEST(ScaledBlit, BilinearCopyMatchesThePerPixelPathAtEveryWidthAndScale)
{
    for (int width : {5, 6, 7, 8, 61, 333}) {
        ZUVE_MemBitmap src(width, 9);
        for (int y = 0; y < 9; ++y)
            for (int x = 0; x < width; ++x)
                ZUVE_PutPixel(&src, x, y, ZUVE_RGBA((x * 37 + y * 11) & 255, (x * x + 5 * y) & 255, (x ^ y) * 13 & 255, 255),
                              1.f, 0);
        for (double scale : {0.75, 1.25, 0.2}) {
            const int w = std::max(1, int(width * scale)), h = std::max(1, int(9 * scale));
            ZUVE_MemBitmap fast(w, h), reference(w, h);
            ZUVE_ScaledBlit(&fast, &src, 0, 0, w, h, 0, 0, float(width), 9, 1.f, ZUVE_BLIT_FILTER_BILINEAR);
            ZUVE_ScaledBlit(&reference, &src, 0, 0, w, h, 0, 0, float(width), 9, 1.f,
                            ZUVE_BLIT_FILTER_BILINEAR | ZUVE_BLIT_USE_ALPHA);
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x)
                    ASSERT_EQ(pixelAt(&fast, x, y), pixelAt(&reference, x, y))
                        << "width " << width << " scale " << scale << " at " << x << "," << y;
        }
    }
}

TEST(RotatedBlit, DrawsOnlyInsideTheDestinationBitmapAndWhenCutOffInsideTheRectangle)
{
    ZUVE_MemBitmap src(4, 4);
    FilledBitmap dest(3, 3);
    for (int i = 0; i < 16; ++i)
        ZUVE_PutPixel(&src, i % 4, i / 4, ZUVE_RGBA(i, 0, 0, 255), 1.f, 0);
    ZUVE_RotatedBlit(&dest, &src, -2, 1, 4, 4, 0, 0, 4, 4, 0.f, false, 1.f, 0, 0, 0);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 3; ++x) {
            const unsigned int expected = x < 2 && y >= 1 ? pixelAt(&src, x + 2, y - 1) : kBack;
            EXPECT_EQ(pixelAt(&dest, x, y), expected) << x << "," << y;
        }

    // Turned: cut off, it keeps to the destination rectangle; uncut, its corners reach out.
    FilledBitmap full(4, 4, kInk), cut(20, 20), uncut(20, 20);
    const float angle = float(M_PI / 4);
    ZUVE_RotatedBlit(&cut, &full, 5, 5, 8, 8, 0, 0, 4, 4, angle, true, 1.f, 0, 0, 0);
    ZUVE_RotatedBlit(&uncut, &full, 5, 5, 8, 8, 0, 0, 4, 4, angle, false, 1.f, 0, 0, 0);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x)
            if (x < 5 || y < 5 || x >= 13 || y >= 13) {
                EXPECT_EQ(pixelAt(&cut, x, y), kBack) << x << "," << y;
            }
    EXPECT_EQ(pixelAt(&uncut, 9, 4), kInk);  // the top corner rises above the rectangle
    EXPECT_GT(countDiffering(&uncut, kBack), countDiffering(&cut, kBack));
}

TEST(RotatedBlit, QuarterTurnIsClockwiseOnScreen)
{
    FilledBitmap src(3, 3);
    ZUVE_MemBitmap dest(3, 3);
    ZUVE_FillRect(&src, 0, 0, 3, 1, kInk, 1.f, 0);  // top row
    ZUVE_RotatedBlit(&dest, &src, 0, 0, 3, 3, 0, 0, 3, 3, float(M_PI / 2), true, 1.f, 0, 0, 0);
    for (int y = 0; y < 3; ++y) {
        EXPECT_EQ(pixelAt(&dest, 2, y), kInk) << y;  // now the right column
        EXPECT_EQ(pixelAt(&dest, 0, y), kBack) << y;
    }
}

}  // namespace
