// Lines, pixels and shapes.
#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

#include "BitmapTestSupport.h"

namespace {

TEST(Shapes, LinesIncludeBothEndsAndOnePixelPerStepAndAreClippedBeforeTheyAreWalked)
{
    FilledBitmap straight(6, 4), diagonal(5, 5), far(5, 5);
    ZUVE_Line(&straight, 1, 1, 4, 1, kInk, 1.f, 0, false);
    ZUVE_Line(&diagonal, 4, 0, 0, 4, kInk, 1.f, 0, false);
    EXPECT_TRUE(countDiffering(&straight) == 4 && countDiffering(&diagonal) == 5);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(pixelAt(&straight, 1 + std::min(i, 3), 1), kInk) << i;
        EXPECT_EQ(pixelAt(&diagonal, 4 - i, i), kInk) << i;
    }
    // Far outside: clipped without walking the whole length.
    ZUVE_Line(&far, -2000000000, 2, 2000000000, 2, kInk, 1.f, 0, false);
    ZUVE_Line(&far, -2000000000, -2000000000, 2000000000, 2000000000, kInk, 1.f, 0, true);
    for (const auto& [x, y] : {std::pair{0, 2}, {4, 2}, {3, 3}})
        EXPECT_EQ(pixelAt(&far, x, y), kInk) << x << "," << y;
}

TEST(Shapes, AntialiasedLineSplitsCoverageBetweenNeighbours)
{
    FilledBitmap dest(3, 3);
    // From (0, 0) to (2, 1): the middle step lies halfway between rows 0 and 1.
    ZUVE_Line(&dest, 0, 0, 2, 1, kInk, 1.f, 0, true);
    EXPECT_TRUE(pixelAt(&dest, 0, 0) == kInk && pixelAt(&dest, 2, 1) == kInk);
    EXPECT_TRUE(ZUVE_GETR(pixelAt(&dest, 1, 0)) == 128 && ZUVE_GETR(pixelAt(&dest, 1, 1)) == 128);
}

TEST(Shapes, FillCircleCoversThePixelsWithinTheRadiusAndCircleAndArcOnlyTheRing)
{
    FilledBitmap disc(7, 7), circle(11, 11), arc(11, 11);
    ZUVE_FillCircle(&disc, 3, 3, 2, kInk, 1.f, 0, false);
    // Distance <= 2 from the centre: 13 pixels (a diamond plus the four diagonals at sqrt 2).
    EXPECT_EQ(countDiffering(&disc), 13);
    ZUVE_Circle(&circle, 5, 5, 4, kInk, 1.f, 0, false);
    ZUVE_Arc(&arc, 5, 5, 4, 0.f, float(M_PI / 2), kInk, 1.f, 0, false);
    // The arc's quarter runs from 12 to 3 o'clock; 9 o'clock lies outside it.
    for (const auto& [bitmap, x, y, ink] : {std::tuple{&disc, 3, 1, true}, {&disc, 1, 1, false}, {&circle, 5, 1, true},
             {&circle, 5, 5, false}, {&arc, 5, 1, true}, {&arc, 9, 5, true}, {&arc, 1, 5, false}})
        EXPECT_EQ(pixelAt(bitmap, x, y), ink ? kInk : kBack) << x << "," << y;
    EXPECT_LT(countDiffering(&arc), countDiffering(&circle) / 2);
}

TEST(Shapes, RoundRectReachingTheIntLimitsDrawsItsVisibleEdgesOnly)
{
    FilledBitmap dest(6, 6);
    // Right edge beyond INT_MAX: the top and bottom rows cross the bitmap, the left column shows.
    ZUVE_RoundRect(&dest, 1, 1, 0x7fffffff, 4, 0, kInk, 1.f, 0, false);
    ZUVE_RoundRect(&dest, 0x7ffffffe, 0, 10, 10, 3, kInk, 1.f, 0, true);
    for (int x = 1; x < 6; ++x)
        EXPECT_TRUE(pixelAt(&dest, x, 1) == kInk && pixelAt(&dest, x, 4) == kInk) << x;
    EXPECT_TRUE(pixelAt(&dest, 1, 2) == kInk && countDiffering(&dest) == 12);
}

TEST(Shapes, TriangleAndPolygonFillTheirInsideAndEdges)
{
    FilledBitmap triangle(6, 6), square(6, 6);
    ZUVE_FillTriangle(&triangle, 0, 0, 4, 0, 0, 4, kInk, 1.f, 0);
    EXPECT_EQ(countDiffering(&triangle), 15);  // rows 0..4 hold 5, 4, 3, 2, 1 pixels
    EXPECT_TRUE(pixelAt(&triangle, 4, 0) == kInk && pixelAt(&triangle, 1, 4) == kBack);
    const int xs[] = {1, 4, 4, 1}, ys[] = {1, 1, 4, 4};
    ZUVE_FillConvexPolygon(&square, xs, ys, 4, kInk, 1.f, 0);
    ZUVE_FillConvexPolygon(&square, xs, ys, 2, kBack, 1.f, 0);
    ZUVE_FillConvexPolygon(&square, nullptr, ys, 4, kBack, 1.f, 0);
    EXPECT_EQ(countDiffering(&square), 16);
}

}  // namespace
