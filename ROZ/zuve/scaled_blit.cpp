// Scaled and rotated blits: sampling of a source rectangle in 16.16 fixed point.
#include <cmath>

#include "zuve/pixel_ops.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

using namespace zuve_detail;

namespace {

constexpr long long kOne = 65536;

// a / b rounded up, b > 0.
long long ceilDiv(long long a, long long b)
{
    return a >= 0 ? (a + b - 1) / b : -((-a) / b);
}

// Mixes two pixels channel by channel, f in 0..256 (two channels per multiply).
inline uint32_t mix(uint32_t a, uint32_t b, uint32_t f)
{
    const uint32_t g = 256 - f;
    const uint32_t lo = (((a & 0x00ff00ff) * g + (b & 0x00ff00ff) * f + 0x00800080) >> 8) & 0x00ff00ff;
    const uint32_t hi = ((((a >> 8) & 0x00ff00ff) * g + ((b >> 8) & 0x00ff00ff) * f + 0x00800080)) & 0xff00ff00;
    return lo | hi;
}

// The source pixels a sample may read: the source rectangle inside the bitmap.
struct SourceArea {
    const uint32_t* bits;
    size_t span;
    int x0, y0, x1, y1;        // taps are clamped into [x0, x1] x [y0, y1]
    long long lo16X, hi16X;    // sample positions inside [lo, hi) are drawn
    long long lo16Y, hi16Y;

    bool contains(long long x16, long long y16) const
    {
        return x16 >= lo16X && x16 < hi16X && y16 >= lo16Y && y16 < hi16Y;
    }

    int clampX(long long x) const { return int(x < x0 ? x0 : (x > x1 ? x1 : x)); }
    int clampY(long long y) const { return int(y < y0 ? y0 : (y > y1 ? y1 : y)); }

    uint32_t nearest(long long x16, long long y16) const
    {
        return bits[size_t(clampY(y16 >> 16)) * span + size_t(clampX(x16 >> 16))];
    }

    uint32_t bilinear(long long x16, long long y16) const
    {
        const long long px = x16 - kOne / 2, py = y16 - kOne / 2;
        const int xa = clampX(px >> 16), xb = clampX((px >> 16) + 1);
        const int ya = clampY(py >> 16), yb = clampY((py >> 16) + 1);
        const uint32_t fx = uint32_t((px >> 8) & 0xff), fy = uint32_t((py >> 8) & 0xff);
        const uint32_t* ra = bits + size_t(ya) * span;
        const uint32_t* rb = bits + size_t(yb) * span;
        return mix(mix(ra[xa], ra[xb], fx), mix(rb[xa], rb[xb], fx), fy);
    }
};


// The source area for a float rectangle; false when nothing of it lies inside the bitmap.
bool makeSourceArea(ZUVE_IBitmap* src, float srcX, float srcY, float srcW, float srcH, SourceArea* area)
{
    if (!sane(srcX) || !sane(srcY) || !sane(srcW) || !sane(srcH) || !(srcW > 0.f) || !(srcH > 0.f))
        return false;
    const double loX = std::max<double>(srcX, 0.0), hiX = std::min<double>(double(srcX) + srcW, src->getWidth());
    const double loY = std::max<double>(srcY, 0.0), hiY = std::min<double>(double(srcY) + srcH, src->getHeight());
    if (loX >= hiX || loY >= hiY)
        return false;
    area->bits = src->getBits();
    area->span = size_t(src->getRowSpan());
    area->x0 = int(std::floor(loX));
    area->x1 = int(std::ceil(hiX)) - 1;
    area->y0 = int(std::floor(loY));
    area->y1 = int(std::ceil(hiY)) - 1;
    area->lo16X = std::llround(loX * kOne);
    area->hi16X = std::llround(hiX * kOne);
    area->lo16Y = std::llround(loY * kOne);
    area->hi16Y = std::llround(hiY * kOne);
    return true;
}

// Destination indices i in [0, count) whose position base + i * step lies in [lo, hi).
void sampledRange(long long base, long long step, long long lo, long long hi, int count, int* first, int* end)
{
    long long a = 0, b = count;
    if (step > 0) {
        a = std::max(a, ceilDiv(lo - base, step));
        b = std::min(b, ceilDiv(hi - base, step));
    } else if (base < lo || base >= hi) {
        b = 0;
    }
    *first = int(std::min<long long>(a, count));
    *end = int(std::max<long long>(b, *first));
}

// Columns are worked out once per chunk of this many and reused for every row.
constexpr int kColumnChunk = 256;
constexpr int kColumnSpan = 2 * kColumnChunk + 2;

#if defined(__SSE2__)
// mix() on 16-bit channels, two pixels per register: every sum stays below
// 65536, so the results equal the scalar ones bit for bit.
inline __m128i mix16(__m128i a, __m128i b, __m128i g, __m128i f)
{
    const __m128i sum = _mm_add_epi16(_mm_mullo_epi16(a, g), _mm_mullo_epi16(b, f));
    return _mm_srli_epi16(_mm_add_epi16(sum, _mm_set1_epi16(128)), 8);
}

// The horizontal taps of a chunk as the vector path reads them: pixel k
// mixes the adjacent pair column[tap[k]], column[tap[k] + 1] with weights
// (256 - f, f) spread over the four channels. Where both taps are clamped to
// one edge pixel the weight of the second is 0, which gives that pixel exactly
// as mix() does.
struct PairTaps {
    __m128i weights[kColumnChunk];
    int vectorCount = 0;  // leading pixels whose pair lies inside the span

    void fill(const int* tapA, const int* tapB, const uint32_t* fraction, int count, int spanLength)
    {
        vectorCount = 0;
        for (int k = 0; k < count; ++k) {
            const uint32_t f = tapA[k] == tapB[k] ? 0 : fraction[k];
            weights[k] = _mm_unpacklo_epi64(_mm_set1_epi16(short(256 - f)), _mm_set1_epi16(short(f)));
            if (tapA[k] + 1 < spanLength)
                vectorCount = k + 1;
        }
    }
};

// Two destination pixels from the pairs (A0, B0, A1, B1) in one register.
inline __m128i mixPairs(__m128i pairs, __m128i w0, __m128i w1)
{
    const __m128i zero = _mm_setzero_si128();
    const __m128i t0 = _mm_mullo_epi16(_mm_unpacklo_epi8(pairs, zero), w0);
    const __m128i t1 = _mm_mullo_epi16(_mm_unpackhi_epi8(pairs, zero), w1);
    const __m128i sum = _mm_add_epi16(_mm_unpacklo_epi64(t0, t1), _mm_unpackhi_epi64(t0, t1));
    return _mm_srli_epi16(_mm_add_epi16(sum, _mm_set1_epi16(128)), 8);
}

inline __m128i loadPair(const uint32_t* at)
{
    return _mm_loadl_epi64(reinterpret_cast<const __m128i*>(at));
}
#else
struct PairTaps {
    void fill(const int*, const int*, const uint32_t*, int, int) {}
};
#endif

// out[i] = mix(a[i], b[i], f) for n pixels.
void mixRows(uint32_t* out, const uint32_t* a, const uint32_t* b, int n, uint32_t f)
{
    int i = 0;
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    const __m128i wf = _mm_set1_epi16(short(f)), wg = _mm_set1_epi16(short(256 - f));
    for (; i + 4 <= n; i += 4) {
        const __m128i va = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a + i));
        const __m128i vb = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + i));
        const __m128i lo = mix16(_mm_unpacklo_epi8(va, zero), _mm_unpacklo_epi8(vb, zero), wg, wf);
        const __m128i hi = mix16(_mm_unpackhi_epi8(va, zero), _mm_unpackhi_epi8(vb, zero), wg, wf);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_packus_epi16(lo, hi));
    }
#endif
    for (; i < n; ++i)
        out[i] = mix(a[i], b[i], f);
}

// d[k] = mix(column[tapA[k]], column[tapB[k]], fraction[k]) for count pixels.
void mixTaps(uint32_t* d, const uint32_t* column, const int* tapA, const int* tapB, const uint32_t* fraction,
             const PairTaps& pairs, int count)
{
    int k = 0;
#if defined(__SSE2__)
    for (; k + 4 <= pairs.vectorCount; k += 4) {
        const __m128i p01 = _mm_unpacklo_epi64(loadPair(column + tapA[k]), loadPair(column + tapA[k + 1]));
        const __m128i p23 = _mm_unpacklo_epi64(loadPair(column + tapA[k + 2]), loadPair(column + tapA[k + 3]));
        const __m128i lo = mixPairs(p01, pairs.weights[k], pairs.weights[k + 1]);
        const __m128i hi = mixPairs(p23, pairs.weights[k + 2], pairs.weights[k + 3]);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d + k), _mm_packus_epi16(lo, hi));
    }
#else
    (void)pairs;
#endif
    for (; k < count; ++k)
        d[k] = mix(column[tapA[k]], column[tapB[k]], fraction[k]);
}

template <bool Bilinear, bool PlainCopy>
void scaleRows(ZUVE_IBitmap* dest, const SourceArea& area, const Blender& blender, int dstX, int dstY, int cols0,
               int cols1, int rows0, int rows1, long long baseX, long long stepX, long long baseY, long long stepY)
{
    int tapA[kColumnChunk], tapB[kColumnChunk];
    uint32_t fraction[kColumnChunk];
    PairTaps pairs;
    for (int chunk = cols0; chunk < cols1; chunk += kColumnChunk) {
        const int count = std::min(kColumnChunk, cols1 - chunk);
        for (int k = 0; k < count; ++k) {
            const long long x16 = baseX + (chunk + k) * stepX;
            const long long px = Bilinear ? x16 - kOne / 2 : x16;
            tapA[k] = area.clampX(px >> 16);
            tapB[k] = area.clampX((px >> 16) + 1);
            fraction[k] = uint32_t((px >> 8) & 0xff);
        }
        // Enlarging (or mild shrinking) reads few source columns: mix them
        // vertically once per row, then horizontally per destination pixel.
        const int spanLo = tapA[0], spanHi = tapB[count - 1];
        const bool twoPass = Bilinear && spanHi - spanLo < kColumnSpan;
        if (twoPass) {
            for (int k = 0; k < count; ++k) {
                tapA[k] -= spanLo;
                tapB[k] -= spanLo;
            }
            if (PlainCopy)
                pairs.fill(tapA, tapB, fraction, count, spanHi - spanLo + 1);
        }
        for (int j = rows0; j < rows1; ++j) {
            const long long y16 = baseY + j * stepY;
            const long long py = Bilinear ? y16 - kOne / 2 : y16;
            const uint32_t* ra = area.bits + size_t(area.clampY(py >> 16)) * area.span;
            const uint32_t* rb = area.bits + size_t(area.clampY((py >> 16) + 1)) * area.span;
            const uint32_t fy = uint32_t((py >> 8) & 0xff);
            uint32_t* d = rowOf(dest, dstY + j) + dstX + chunk;
            if (twoPass) {
                uint32_t mixed[kColumnSpan];
                const uint32_t* column = ra + spanLo;
                if (fy) {
                    // The blending path keeps the plain per-pixel arithmetic that the fast one is checked against.
                    if (PlainCopy)
                        mixRows(mixed, column, rb + spanLo, spanHi - spanLo + 1, fy);
                    else
                        for (int x = 0; x <= spanHi - spanLo; ++x)
                            mixed[x] = mix(column[x], rb[spanLo + x], fy);
                    column = mixed;
                }
                if (PlainCopy) {
                    mixTaps(d, column, tapA, tapB, fraction, pairs, count);
                    continue;
                }
                for (int k = 0; k < count; ++k)
                    d[k] = blender.apply(d[k], mix(column[tapA[k]], column[tapB[k]], fraction[k]));
                continue;
            }
            for (int k = 0; k < count; ++k) {
                uint32_t sample;
                if (Bilinear) {
                    const uint32_t top = mix(ra[tapA[k]], ra[tapB[k]], fraction[k]);
                    sample = fy ? mix(top, mix(rb[tapA[k]], rb[tapB[k]], fraction[k]), fy) : top;
                } else {
                    sample = ra[tapA[k]];
                }
                d[k] = PlainCopy ? sample : blender.apply(d[k], sample);
            }
        }
    }
}

}  // namespace

void ZUVE_ScaledBlit(ZUVE_IBitmap* dest, ZUVE_IBitmap* src, int dstX, int dstY, int dstW, int dstH, float srcX,
                     float srcY, float srcW, float srcH, float alpha, int mode)
{
    if (!usable(dest) || !usable(src) || dstW <= 0 || dstH <= 0)
        return;
    const Blender blender(alpha, mode);
    SourceArea area;
    if (blender.drawsNothing() || !makeSourceArea(src, srcX, srcY, srcW, srcH, &area))
        return;
    const double kx = double(srcW) / dstW, ky = double(srcH) / dstH;
    const long long stepX = std::llround(kx * kOne), stepY = std::llround(ky * kOne);
    const long long baseX = std::llround((srcX + 0.5 * kx) * kOne), baseY = std::llround((srcY + 0.5 * ky) * kOne);

    int cols0, cols1, rows0, rows1;
    sampledRange(baseX, stepX, area.lo16X, area.hi16X, dstW, &cols0, &cols1);
    sampledRange(baseY, stepY, area.lo16Y, area.hi16Y, dstH, &rows0, &rows1);
    const Span target = clipToBitmap(dest, dstX, dstY, dstW, dstH);
    if (target.empty())
        return;
    cols0 = std::max(cols0, target.x0 - dstX);
    cols1 = std::min(cols1, target.x1 - dstX);
    rows0 = std::max(rows0, target.y0 - dstY);
    rows1 = std::min(rows1, target.y1 - dstY);
    if (cols0 >= cols1 || rows0 >= rows1)
        return;

    const bool bilinear = (mode & ZUVE_BLIT_FILTER_BILINEAR) != 0;
    const bool plain = blender.isPlainCopy() && dest != src;
    if (bilinear && plain)
        scaleRows<true, true>(dest, area, blender, dstX, dstY, cols0, cols1, rows0, rows1, baseX, stepX, baseY, stepY);
    else if (bilinear)
        scaleRows<true, false>(dest, area, blender, dstX, dstY, cols0, cols1, rows0, rows1, baseX, stepX, baseY, stepY);
    else if (plain)
        scaleRows<false, true>(dest, area, blender, dstX, dstY, cols0, cols1, rows0, rows1, baseX, stepX, baseY, stepY);
    else
        scaleRows<false, false>(dest, area, blender, dstX, dstY, cols0, cols1, rows0, rows1, baseX, stepX, baseY, stepY);
}

void ZUVE_RotatedBlit(ZUVE_IBitmap* dest, ZUVE_IBitmap* src, int dstX, int dstY, int dstW, int dstH, float srcX,
                      float srcY, float srcW, float srcH, float angleRadians, bool cutOffSourceEdges, float alpha,
                      int mode, float rotCentreOffsetX, float rotCentreOffsetY)
{
    if (!usable(dest) || !usable(src) || dstW <= 0 || dstH <= 0 || !std::isfinite(angleRadians)
        || !sane(rotCentreOffsetX) || !sane(rotCentreOffsetY))
        return;
    const Blender blender(alpha, mode);
    SourceArea area;
    if (blender.drawsNothing() || !makeSourceArea(src, srcX, srcY, srcW, srcH, &area))
        return;
    const double cx = dstX + dstW * 0.5 + rotCentreOffsetX, cy = dstY + dstH * 0.5 + rotCentreOffsetY;
    const double c = std::cos(double(angleRadians)), s = std::sin(double(angleRadians));

    // The pixels to visit: the destination rectangle, or the box around it rotated.
    double minX = dstX, minY = dstY, maxX = double(dstX) + dstW, maxY = double(dstY) + dstH;
    if (!cutOffSourceEdges) {
        const double cornersX[4] = {minX, maxX, minX, maxX}, cornersY[4] = {minY, minY, maxY, maxY};
        minX = minY = 1e300;
        maxX = maxY = -1e300;
        for (int k = 0; k < 4; ++k) {
            const double vx = cornersX[k] - cx, vy = cornersY[k] - cy;
            const double rx = cx + vx * c - vy * s, ry = cy + vx * s + vy * c;
            minX = std::min(minX, rx), maxX = std::max(maxX, rx);
            minY = std::min(minY, ry), maxY = std::max(maxY, ry);
        }
    }
    const long long boxX = (long long)std::floor(minX), boxY = (long long)std::floor(minY);
    const Span box = clipToBitmap(dest, boxX, boxY, (long long)std::ceil(maxX) - boxX, (long long)std::ceil(maxY) - boxY);
    if (box.empty())
        return;

    const double kx = double(srcW) / dstW, ky = double(srcH) / dstH;
    const bool bilinear = (mode & ZUVE_BLIT_FILTER_BILINEAR) != 0;
    for (int y = box.y0; y < box.y1; ++y) {
        uint32_t* d = rowOf(dest, y);
        const double vy = y + 0.5 - cy;
        for (int x = box.x0; x < box.x1; ++x) {
            const double vx = x + 0.5 - cx;
            // Undo the rotation to find the point in the unrotated destination rectangle.
            const double ux = cx + vx * c + vy * s - dstX, uy = cy - vx * s + vy * c - dstY;
            if (ux < 0 || uy < 0 || ux >= dstW || uy >= dstH)
                continue;
            const long long x16 = std::llround((srcX + ux * kx) * kOne), y16 = std::llround((srcY + uy * ky) * kOne);
            if (!area.contains(x16, y16))
                continue;
            const uint32_t sample = bilinear ? area.bilinear(x16, y16) : area.nearest(x16, y16);
            d[x] = blender.apply(d[x], sample);
        }
    }
}
