// Lines, pixels, circles, arcs and polygons.
#include <climits>
#include <cmath>
#include <cstdlib>

#include "zuve/pixel_ops.h"

using namespace zuve_detail;

namespace {

constexpr double kTwoPi = 6.283185307179586;

inline void plot(ZUVE_IBitmap* dest, const Blender& blender, long long x, long long y, uint32_t color,
                 int coverage256 = 256)
{
    if (x < 0 || y < 0 || x >= dest->getWidth() || y >= dest->getHeight() || coverage256 <= 0)
        return;
    uint32_t* p = rowOf(dest, int(y)) + x;
    *p = blender.apply(*p, color, std::min(coverage256, 256));
}

inline int clampToInt(long long v)
{
    return int(std::max<long long>(INT_MIN, std::min<long long>(INT_MAX, v)));
}

inline int coverageOf(double amount)
{
    return amount <= 0 ? 0 : (amount >= 1 ? 256 : int(amount * 256 + 0.5));
}

// The steps [first, last] of a line of n steps from (x1, y1) that can lie within
// one pixel of the bitmap (Liang-Barsky on the bitmap grown by 2 pixels).
bool visibleSteps(ZUVE_IBitmap* dest, double x1, double y1, double dx, double dy, long long n, long long* first,
                  long long* last)
{
    double t0 = 0, t1 = 1;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {x1 + 2, dest->getWidth() + 1 - x1, y1 + 2, dest->getHeight() + 1 - y1};
    for (int k = 0; k < 4; ++k) {
        if (p[k] == 0) {
            if (q[k] < 0)
                return false;
            continue;
        }
        const double t = q[k] / p[k];
        if (p[k] < 0)
            t0 = std::max(t0, t);
        else
            t1 = std::min(t1, t);
    }
    if (t0 > t1)
        return false;
    *first = std::max(0LL, (long long)std::floor(t0 * n) - 1);
    *last = std::min(n, (long long)std::ceil(t1 * n) + 1);
    return true;
}

long long floorDiv(__int128 a, __int128 b)
{
    const __int128 q = a / b;
    return (long long)((a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q);
}

// Angle of (vx, vy) from 12 o'clock, clockwise on screen, in [0, 2 pi).
double clockAngle(double vx, double vy)
{
    const double a = std::atan2(vx, -vy);
    return a < 0 ? a + kTwoPi : a;
}

bool angleWithin(double angle, double from, double to)
{
    if (to - from >= kTwoPi)
        return true;
    double start = std::fmod(from, kTwoPi);
    if (start < 0)
        start += kTwoPi;
    double offset = angle - start;
    if (offset < 0)
        offset += kTwoPi;
    return offset <= to - from;
}

// A one-pixel ring of radius r about (cx, cy), limited to the angles [from, to].
void drawRing(ZUVE_IBitmap* dest, double cx, double cy, double r, double from, double to, uint32_t color,
              float alpha, int mode, bool antiAlias)
{
    if (!usable(dest) || !sane(cx) || !sane(cy) || !(r >= 0) || !sane(r) || !std::isfinite(from)
        || !std::isfinite(to) || to < from)
        return;
    const Blender blender(alpha, mode);
    if (blender.drawsNothing())
        return;
    const double reach = r + 1.5;
    const long long left = (long long)std::floor(cx - reach), top = (long long)std::floor(cy - reach);
    const Span box = clipToBitmap(dest, left, top, (long long)std::ceil(cx + reach) - left + 1,
                                  (long long)std::ceil(cy + reach) - top + 1);
    for (int y = box.y0; y < box.y1; ++y) {
        for (int x = box.x0; x < box.x1; ++x) {
            const double vx = x - cx, vy = y - cy;
            const double off = std::fabs(std::sqrt(vx * vx + vy * vy) - r);
            const int coverage = antiAlias ? coverageOf(1.0 - off) : (off < 0.5 ? 256 : 0);
            if (coverage > 0 && angleWithin(clockAngle(vx, vy), from, to))
                plot(dest, blender, x, y, color, coverage);
        }
    }
}

}  // namespace

void ZUVE_PutPixel(ZUVE_IBitmap* dest, int x, int y, unsigned int color, float alpha, int mode)
{
    if (!usable(dest))
        return;
    plot(dest, Blender(alpha, mode), x, y, color);
}

unsigned int ZUVE_GetPixel(ZUVE_IBitmap* src, int x, int y)
{
    if (!usable(src) || x < 0 || y < 0 || x >= src->getWidth() || y >= src->getHeight())
        return 0;
    return rowOf(src, y)[x];
}

void ZUVE_Line(ZUVE_IBitmap* dest, int x1, int y1, int x2, int y2, unsigned int color, float alpha, int mode,
               bool antiAlias)
{
    if (!usable(dest))
        return;
    const Blender blender(alpha, mode);
    if (blender.drawsNothing())
        return;
    const long long dx = (long long)x2 - x1, dy = (long long)y2 - y1;
    const long long n = std::max(std::llabs(dx), std::llabs(dy));
    if (n == 0) {
        plot(dest, blender, x1, y1, color);
        return;
    }
    long long first, last;
    if (!visibleSteps(dest, x1, y1, double(dx), double(dy), n, &first, &last))
        return;
    const bool steep = std::llabs(dy) > std::llabs(dx);
    const long long major0 = steep ? y1 : x1, minor0 = steep ? x1 : y1;
    const long long majorStep = (steep ? dy : dx) > 0 ? 1 : -1, minorDelta = steep ? dx : dy;
    for (long long i = first; i <= last; ++i) {
        const long long major = major0 + i * majorStep;
        if (!antiAlias) {
            // Nearest pixel to the exact line, rounding halves up: floor((2 i d + n) / 2n).
            const long long minor = minor0 + floorDiv(2 * __int128(i) * minorDelta + n, 2 * __int128(n));
            plot(dest, blender, steep ? minor : major, steep ? major : minor, color);
            continue;
        }
        const __int128 product = __int128(i) * minorDelta;
        const long long whole = floorDiv(product, n);
        const int upper = coverageOf(double(product - __int128(whole) * n) / double(n)), lower = 256 - upper;
        const long long m = minor0 + whole;
        plot(dest, blender, steep ? m : major, steep ? major : m, color, lower);
        plot(dest, blender, steep ? m + 1 : major, steep ? major : m + 1, color, upper);
    }
}

void ZUVE_Arc(ZUVE_IBitmap* dest, float cx, float cy, float r, float minAngle, float maxAngle, unsigned int color,
              float alpha, int mode, bool antiAlias)
{
    drawRing(dest, cx, cy, r, minAngle, maxAngle, color, alpha, mode, antiAlias);
}

void ZUVE_Circle(ZUVE_IBitmap* dest, float cx, float cy, float r, unsigned int color, float alpha, int mode,
                 bool antiAlias)
{
    drawRing(dest, cx, cy, r, 0.0, kTwoPi, color, alpha, mode, antiAlias);
}

void ZUVE_FillCircle(ZUVE_IBitmap* dest, int cx, int cy, int r, unsigned int color, float alpha, int mode,
                     bool antiAlias)
{
    if (!usable(dest) || r < 0)
        return;
    const Blender blender(alpha, mode);
    if (blender.drawsNothing())
        return;
    const long long reach = (long long)r + 1;
    const Span box = clipToBitmap(dest, cx - reach, cy - reach, 2 * reach + 1, 2 * reach + 1);
    for (int y = box.y0; y < box.y1; ++y) {
        for (int x = box.x0; x < box.x1; ++x) {
            const double vx = double(x) - cx, vy = double(y) - cy;
            const double distance = std::sqrt(vx * vx + vy * vy);
            const int coverage = antiAlias ? coverageOf(r + 0.5 - distance) : (distance <= r ? 256 : 0);
            plot(dest, blender, x, y, color, coverage);
        }
    }
}

void ZUVE_RoundRect(ZUVE_IBitmap* dest, int x, int y, int w, int h, int cornerRadius, unsigned int color,
                    float alpha, int mode, bool antiAlias)
{
    if (!usable(dest) || w <= 0 || h <= 0)
        return;
    // Edges near the int limits are worked out wide, then clamped: a clamped
    // end lies far outside any bitmap, so the clipped line is the same.
    const long long left = x, top = y, right = left + w - 1, bottom = top + h - 1;
    const auto line = [&](long long x1, long long y1, long long x2, long long y2) {
        ZUVE_Line(dest, clampToInt(x1), clampToInt(y1), clampToInt(x2), clampToInt(y2), color, alpha, mode, false);
    };
    const long long r = std::max(0, std::min(cornerRadius, (std::min(w, h) - 1) / 2));
    if (r == 0) {
        line(left, top, right, top);
        line(left, bottom, right, bottom);
        if (h > 2) {
            line(left, top + 1, left, bottom - 1);
            line(right, top + 1, right, bottom - 1);
        }
        return;
    }
    const double quarter = kTwoPi / 4;
    if (right - left > 2 * r + 1) {
        line(left + r + 1, top, right - r - 1, top);
        line(left + r + 1, bottom, right - r - 1, bottom);
    }
    if (bottom - top > 2 * r + 1) {
        line(left, top + r + 1, left, bottom - r - 1);
        line(right, top + r + 1, right, bottom - r - 1);
    }
    // Corner arcs, each a quarter turn, clockwise from the top-right one.
    const double rd = double(r);
    drawRing(dest, double(right) - rd, double(top) + rd, rd, 0, quarter, color, alpha, mode, antiAlias);
    drawRing(dest, double(right) - rd, double(bottom) - rd, rd, quarter, 2 * quarter, color, alpha, mode, antiAlias);
    drawRing(dest, double(left) + rd, double(bottom) - rd, rd, 2 * quarter, 3 * quarter, color, alpha, mode, antiAlias);
    drawRing(dest, double(left) + rd, double(top) + rd, rd, 3 * quarter, 4 * quarter, color, alpha, mode, antiAlias);
}

void ZUVE_FillConvexPolygon(ZUVE_IBitmap* dest, const int* x, const int* y, int npoints, unsigned int color,
                            float alpha, int mode)
{
    if (!usable(dest) || !x || !y || npoints < 3)
        return;
    const Blender blender(alpha, mode);
    if (blender.drawsNothing())
        return;
    long long minY = y[0], maxY = y[0];
    for (int k = 1; k < npoints; ++k)
        minY = std::min<long long>(minY, y[k]), maxY = std::max<long long>(maxY, y[k]);
    const Span rows = clipToBitmap(dest, 0, minY, dest->getWidth(), maxY - minY + 1);
    for (int row = rows.y0; row < rows.y1; ++row) {
        // The row's span is where it crosses the polygon's edges (corners count).
        double left = 1e300, right = -1e300;
        for (int k = 0; k < npoints; ++k) {
            const double ax = x[k], ay = y[k];
            const double bx = x[(k + 1) % npoints], by = y[(k + 1) % npoints];
            if ((row < ay && row < by) || (row > ay && row > by))
                continue;
            if (ay == by) {
                left = std::min({left, ax, bx}), right = std::max({right, ax, bx});
                continue;
            }
            const double cross = ax + (row - ay) * (bx - ax) / (by - ay);
            left = std::min(left, cross), right = std::max(right, cross);
        }
        if (left > right)
            continue;
        const long long from = std::max(0LL, (long long)std::ceil(left - 1e-9));
        const long long to = std::min<long long>(dest->getWidth() - 1, (long long)std::floor(right + 1e-9));
        if (from <= to)
            blender.applySolidRow(rowOf(dest, row) + from, color, int(to - from + 1));
    }
}

void ZUVE_FillTriangle(ZUVE_IBitmap* dest, int x1, int y1, int x2, int y2, int x3, int y3, unsigned int color,
                       float alpha, int mode)
{
    const int xs[3] = {x1, x2, x3}, ys[3] = {y1, y2, y3};
    ZUVE_FillConvexPolygon(dest, xs, ys, 3, color, alpha, mode);
}
