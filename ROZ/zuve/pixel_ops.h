#pragma once
// Private to the raster library: the per-pixel arithmetic of the pixel model
// documented in zuve/zuve.h, in fixed point (factors in 1/256).

#include <algorithm>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "zuve/zuve.h"

namespace zuve_detail {

inline int weight256(float alpha)
{
    if (!(alpha > 0.f))
        return 0;
    if (alpha >= 1.f)
        return 256;
    return int(alpha * 256.f + 0.5f);
}

// Blend factors are fractions of 65536: f16 = 65536 means "all source".
constexpr int kFull = 65536;

// w256 (0..256) times alpha (0..255) / 255, as a fraction of 65536.
inline int factorOf(int w256, int alpha)
{
    return (w256 * alpha * 256 + 127) / 255;
}

inline int lerpChannel(int d, int s, int f16)
{
    return d + (((s - d) * f16 + 32768) >> 16);
}

inline int addChannel(int d, int s, int f16)
{
    return std::min(255, d + ((s * f16 + 32768) >> 16));
}

inline int dodgeChannel(int d, int s, int f16)
{
    const int dodged = s >= 255 ? 255 : std::min(255, d * 255 / (255 - s));
    return lerpChannel(d, dodged, f16);
}

inline int channel(uint32_t pixel, int shift)
{
    return int((pixel >> shift) & 0xff);
}

// Combines source s into destination d. The mode's low byte picks the colour
// formula; sourceOver selects the alpha rule of ZUVE_BLIT_USE_ALPHA.
template <int Mode, bool SourceOver>
inline uint32_t combineWith(uint32_t d, uint32_t s, int f16)
{
    uint32_t out = 0;
    for (int shift = 8; shift < 32; shift += 8) {
        const int dc = channel(d, shift), sc = channel(s, shift);
        int r;
        if (Mode == ZUVE_BLIT_MODE_ADD)
            r = addChannel(dc, sc, f16);
        else if (Mode == ZUVE_BLIT_MODE_DODGE)
            r = dodgeChannel(dc, sc, f16);
        else
            r = lerpChannel(dc, sc, f16);
        out |= uint32_t(r) << shift;
    }
    const int da = channel(d, 0), sa = channel(s, 0);
    int a;
    if (SourceOver)
        a = lerpChannel(da, 255, f16);
    else if (Mode == ZUVE_BLIT_MODE_ADD)
        a = addChannel(da, sa, f16);
    else if (Mode == ZUVE_BLIT_MODE_DODGE)
        a = dodgeChannel(da, sa, f16);
    else
        a = lerpChannel(da, sa, f16);
    return out | uint32_t(a);
}

template <int Mode>
inline uint32_t combine(uint32_t d, uint32_t s, int f16, bool sourceOver)
{
    return sourceOver ? combineWith<Mode, true>(d, s, f16) : combineWith<Mode, false>(d, s, f16);
}

// The weight and mode of one drawing call, applied pixel by pixel.
class Blender {
public:
    Blender(float alpha, int mode)
        : m_w256(weight256(alpha)), m_kind(kindOf(mode)), m_useAlpha((mode & ZUVE_BLIT_USE_ALPHA) != 0)
    {
    }

    bool drawsNothing() const { return m_w256 == 0; }
    // Copy at full weight without alpha: the destination becomes the source.
    bool isPlainCopy() const { return m_w256 == 256 && !m_useAlpha && m_kind == ZUVE_BLIT_MODE_COPY; }

    // coverage256 scales the weight (antialiased edges).
    uint32_t apply(uint32_t d, uint32_t s, int coverage256 = 256) const
    {
        int f = m_useAlpha ? factorOf(m_w256, int(s & 0xff)) : m_w256 << 8;
        if (coverage256 != 256)
            f = (f * coverage256 + 128) >> 8;
        return applyFactor(d, s, f);
    }

    // Blends with a factor already worked out (fraction of 65536).
    uint32_t applyFactor(uint32_t d, uint32_t s, int f) const
    {
        if (f == 0)
            return d;
        switch (m_kind) {
        case ZUVE_BLIT_MODE_ADD:
            return combine<ZUVE_BLIT_MODE_ADD>(d, s, f, m_useAlpha);
        case ZUVE_BLIT_MODE_DODGE:
            return combine<ZUVE_BLIT_MODE_DODGE>(d, s, f, m_useAlpha);
        default:
            return combine<ZUVE_BLIT_MODE_COPY>(d, s, f, m_useAlpha);
        }
    }

    void applyRow(uint32_t* d, const uint32_t* s, int n) const { rowFor<false>(d, s, n); }

    void applySolidRow(uint32_t* d, uint32_t color, int n) const
    {
        if (isPlainCopy()) {
            std::fill(d, d + n, color);
            return;
        }
        rowFor<true>(d, &color, n);
    }

private:
    // Solid: s is one pixel that stands for the whole row.
    template <bool Solid>
    void rowFor(uint32_t* d, const uint32_t* s, int n) const
    {
        if (m_useAlpha)
            rowForMode<true, Solid>(d, s, n);
        else
            rowForMode<false, Solid>(d, s, n);
    }

    template <bool UseAlpha, bool Solid>
    void rowForMode(uint32_t* d, const uint32_t* s, int n) const
    {
        switch (m_kind) {
        case ZUVE_BLIT_MODE_ADD:
            return rowLoop<ZUVE_BLIT_MODE_ADD, UseAlpha, Solid>(d, s, n);
        case ZUVE_BLIT_MODE_DODGE:
            return rowLoop<ZUVE_BLIT_MODE_DODGE, UseAlpha, Solid>(d, s, n);
        default:
            return rowLoop<ZUVE_BLIT_MODE_COPY, UseAlpha, Solid>(d, s, n);
        }
    }

    // One mode for a whole row; opaque and transparent pixels take the short way.
    template <int Mode, bool UseAlpha, bool Solid>
    void rowLoop(uint32_t* d, const uint32_t* s, int n) const
    {
        const int weight16 = m_w256 << 8;
        const uint32_t solid = Solid ? s[0] : 0;
        // With the alpha rule, alpha 0 always gives factor 0, and alpha 255 at
        // full weight gives kFull: most pixels of a picture skip the division.
        const bool copies = Mode == ZUVE_BLIT_MODE_COPY && m_w256 == 256;
        const auto onePixel = [&](int i) {
            const uint32_t src = Solid ? solid : s[i];
            if (UseAlpha) {
                const uint32_t alpha = src & 0xff;
                if (alpha == 0)
                    return;
                if (copies && alpha == 255) {
                    d[i] = src;
                    return;
                }
            }
            const int f = UseAlpha ? factorOf(m_w256, int(src & 0xff)) : weight16;
            if (f == 0)
                return;
            if (Mode == ZUVE_BLIT_MODE_COPY && f == kFull)
                d[i] = UseAlpha ? (src | 0xff) : src;
            else
                d[i] = combineWith<Mode, UseAlpha>(d[i], src, f);
        };
        int i = 0;
#if defined(__SSE2__)
        // Four at a time where they are all transparent, or all opaque for a plain copy.
        if (UseAlpha && !Solid) {
            const __m128i alphaMask = _mm_set1_epi32(0xff);
            for (; i + 4 <= n; i += 4) {
                const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
                const __m128i alpha = _mm_and_si128(v, alphaMask);
                if (_mm_movemask_epi8(_mm_cmpeq_epi32(alpha, _mm_setzero_si128())) == 0xffff)
                    continue;
                if (copies && _mm_movemask_epi8(_mm_cmpeq_epi32(alpha, alphaMask)) == 0xffff) {
                    _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i), v);
                    continue;
                }
                for (int k = i; k < i + 4; ++k)
                    onePixel(k);
            }
        }
#endif
        for (; i < n; ++i)
            onePixel(i);
    }

    static int kindOf(int mode)
    {
        const int kind = mode & ZUVE_BLIT_MODE_MASK;
        return kind == ZUVE_BLIT_MODE_ADD || kind == ZUVE_BLIT_MODE_DODGE ? kind : ZUVE_BLIT_MODE_COPY;
    }

    int m_w256;
    int m_kind;
    bool m_useAlpha;
};

// Integer rectangle clipping, shared by every call.
struct Span {
    int x0, y0, x1, y1;  // x1, y1 exclusive
    bool empty() const { return x0 >= x1 || y0 >= y1; }
};

inline bool usable(ZUVE_IBitmap* bitmap)
{
    return bitmap && bitmap->getBits() && bitmap->getWidth() > 0 && bitmap->getHeight() > 0;
}

// The part of (x, y, w, h) inside the bitmap; empty for non-positive sizes.
inline Span clipToBitmap(ZUVE_IBitmap* bitmap, long long x, long long y, long long w, long long h)
{
    if (w <= 0 || h <= 0)
        return Span{0, 0, 0, 0};
    const long long x0 = std::max(0LL, x), y0 = std::max(0LL, y);
    const long long x1 = std::min<long long>(bitmap->getWidth(), x + w);
    const long long y1 = std::min<long long>(bitmap->getHeight(), y + h);
    if (x0 >= x1 || y0 >= y1)
        return Span{0, 0, 0, 0};
    return Span{int(x0), int(y0), int(x1), int(y1)};
}

// Float coordinates beyond this draw nothing: their integer images would overflow.
constexpr double kCoordinateLimit = 1e9;

inline bool sane(double v)
{
    return v > -kCoordinateLimit && v < kCoordinateLimit;
}

inline uint32_t* rowOf(ZUVE_IBitmap* bitmap, int y)
{
    return bitmap->getBits() + size_t(y) * size_t(bitmap->getRowSpan());
}

}  // namespace zuve_detail
