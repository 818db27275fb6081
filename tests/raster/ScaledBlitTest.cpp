// Scaling (nearest and bilinear) and rotation.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "BitmapTestSupport.h"

namespace {

TEST(ScaledBlit, NearestRepeatsAndBilinearSamplesBetweenPixelCentresRepeatingEdges)
{
    ZUVE_MemBitmap src(2, 1), nearest(4, 1), bilinear(4, 1);
    paint(&src, [](int x, int) { return ZUVE_RGBA(x ? 255 : 0, 0, 0, 255); });
    ZUVE_ScaledBlit(&nearest, &src, 0, 0, 4, 1, 0, 0, 2, 1, 1.f, ZUVE_BLIT_MODE_COPY);
    // Sample positions 0.25, 0.75, 1.25, 1.75 -> taps at -0.25 (edge), 0.25, 0.75, 1.25 (edge).
    ZUVE_ScaledBlit(&bilinear, &src, 0, 0, 4, 1, 0, 0, 2, 1, 1.f, ZUVE_BLIT_FILTER_BILINEAR);
    const auto red = [](int r) -> unsigned int { return ZUVE_RGBA(r, 0, 0, 255); };
    EXPECT_EQ(pixels(&nearest), (std::vector<unsigned int> {red(0), red(0), red(255), red(255)}));
    EXPECT_EQ(pixels(&bilinear), (std::vector<unsigned int> {red(0), red(64), red(191), red(255)}));
    // At scale one every sample falls on a pixel centre.
    ZUVE_MemBitmap grid(3, 3), copy(3, 3);
    paint(&grid, [](int x, int y) { return ZUVE_RGBA(x * 60 + y, 255 - y, x, 128 + x + y); });
    ZUVE_ScaledBlit(&copy, &grid, 0, 0, 3, 3, 0, 0, 3, 3, 1.f, ZUVE_BLIT_FILTER_BILINEAR);
    EXPECT_EQ(pixels(&copy), pixels(&grid));
}

TEST(ScaledBlit, SamplesOutsideTheSourceLeaveTheDestinationWhichIsClippedAtEveryEdge)
{
    FilledBitmap src(2, 1, kInk), dest(4, 1), small(3, 3);
    ZUVE_ScaledBlit(&dest, &src, 0, 0, 4, 1, -2.f, 0.f, 4.f, 1.f, 1.f, ZUVE_BLIT_FILTER_BILINEAR);
    EXPECT_EQ(pixels(&dest), (std::vector<unsigned int> {kBack, kBack, kInk, kInk}));
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
        paint(&src, [](int x, int y) {
            return ZUVE_RGBA((x * 37 + y * 11) & 255, (x * x + 5 * y) & 255, (x ^ y) * 13 & 255, 255);
        });
        for (double scale : {0.75, 1.25, 0.2}) {
            const int w = std::max(1, int(width * scale)), h = std::max(1, int(9 * scale));
            ZUVE_MemBitmap fast(w, h), reference(w, h);
            ZUVE_ScaledBlit(&fast, &src, 0, 0, w, h, 0, 0, float(width), 9, 1.f, ZUVE_BLIT_FILTER_BILINEAR);
            ZUVE_ScaledBlit(&reference, &src, 0, 0, w, h, 0, 0, float(width), 9, 1.f,
                            ZUVE_BLIT_FILTER_BILINEAR | ZUVE_BLIT_USE_ALPHA);
            ASSERT_EQ(pixels(&fast), pixels(&reference)) << "width " << width << " scale " << scale;
        }
    }
}

TEST(RotatedBlit, DrawsOnlyInsideTheDestinationBitmapAndWhenCutOffInsideTheRectangle)
{
    ZUVE_MemBitmap src(4, 4);
    FilledBitmap dest(3, 3);
    paint(&src, [](int x, int y) { return ZUVE_RGBA(x + 4 * y, 0, 0, 255); });
    ZUVE_RotatedBlit(&dest, &src, -2, 1, 4, 4, 0, 0, 4, 4, 0.f, false, 1.f, 0, 0, 0);
    for (int x = 0; x < 3; ++x)
        for (int y = 0; y < 3; ++y)
            EXPECT_EQ(pixelAt(&dest, x, y), x < 2 && y >= 1 ? pixelAt(&src, x + 2, y - 1) : kBack) << x << "," << y;
    // Turned: cut off, it keeps to the destination rectangle; uncut, its corners reach out.
    FilledBitmap full(4, 4, kInk), cut(20, 20), uncut(20, 20);
    const float angle = float(M_PI / 4);
    ZUVE_RotatedBlit(&cut, &full, 5, 5, 8, 8, 0, 0, 4, 4, angle, true, 1.f, 0, 0, 0);
    ZUVE_RotatedBlit(&uncut, &full, 5, 5, 8, 8, 0, 0, 4, 4, angle, false, 1.f, 0, 0, 0);
    ZUVE_FillRect(&cut, 5, 5, 8, 8, kBack, 1.f, 0);
    EXPECT_EQ(countDiffering(&cut), 0);
    EXPECT_EQ(pixelAt(&uncut, 9, 4), kInk);  // the top corner rises above the rectangle
}

TEST(RotatedBlit, QuarterTurnIsClockwiseOnScreen)
{
    FilledBitmap src(3, 3), dest(3, 3);
    ZUVE_FillRect(&src, 0, 0, 3, 1, kInk, 1.f, 0);  // top row
    ZUVE_RotatedBlit(&dest, &src, 0, 0, 3, 3, 0, 0, 3, 3, float(M_PI / 2), true, 1.f, 0, 0, 0);
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(pixelAt(&dest, i % 3, i / 3), i % 3 == 2 ? kInk : kBack) << i;  // now the right column
}

}  // namespace
