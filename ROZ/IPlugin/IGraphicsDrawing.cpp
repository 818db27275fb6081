// Drawing primitives and text of the surface: thin wrappers over the raster
// library that map an optional blend to its weight and mode.
#include <algorithm>
#include <cmath>

#include "FontStorage.h"
#include "IGraphics.h"
#include "dovor/fonts.h"
#include "zuve/zuve.h"
#include "zuve/zuve_text.h"

namespace {

struct RasterBlend {
    float weight;
    int mode;
};

RasterBlend toRaster(const IChannelBlend* blend)
{
    if (!blend) return {1.0f, ZUVE_BLIT_USE_ALPHA};
    switch (blend->mMethod) {
        case IChannelBlend::kBlendClobber: return {blend->mWeight, ZUVE_BLIT_MODE_COPY};
        case IChannelBlend::kBlendAdd: return {blend->mWeight, ZUVE_BLIT_USE_ALPHA | ZUVE_BLIT_MODE_ADD};
        case IChannelBlend::kBlendColorDodge: return {blend->mWeight, ZUVE_BLIT_USE_ALPHA | ZUVE_BLIT_MODE_DODGE};
        default: return {blend->mWeight, ZUVE_BLIT_USE_ALPHA | ZUVE_BLIT_MODE_COPY};
    }
}

// Offset of frame bmpState (from 1) along a strip of the given length.
int frameOffset(const IBitmap* bitmap, int bmpState, int stripLength)
{
    if (bmpState < 2 || bitmap->N < 2) return 0;
    return int(double(bmpState - 1) * stripLength / bitmap->N + 0.5);
}

}  // namespace

bool IGraphics::DrawBitmap(IBitmap* bitmap, IRECT* dest, int srcX, int srcY, const IChannelBlend* blend)
{
    if (!bitmap || !dest) return true;
    const IRECT clipped = RedrawMeets(*dest, mDrawRECT) ? dest->Intersect(mDrawRECT) : IRECT();
    const RasterBlend rb = toRaster(blend);
    ZUVE_Blit(mDrawBitmap, bitmap->mData, clipped.L, clipped.T, srcX + clipped.L - dest->L,
              srcY + clipped.T - dest->T, clipped.W(), clipped.H(), rb.weight, rb.mode);
    return true;
}

bool IGraphics::DrawBitmap(IBitmap* bitmap, IRECT* dest, int bmpState, const IChannelBlend* blend)
{
    return DrawBitmap(bitmap, dest, bmpState, 0, 0, blend);
}

bool IGraphics::DrawBitmap(IBitmap* bitmap, IRECT* dest, int bmpState, int srcX, int srcY,
                           const IChannelBlend* blend)
{
    if (!bitmap) return true;
    if (bitmap->mFramesAreHorizontal)
        srcX += frameOffset(bitmap, bmpState, bitmap->W);
    else
        srcY += frameOffset(bitmap, bmpState, bitmap->H);
    return DrawBitmap(bitmap, dest, srcX, srcY, blend);
}

bool IGraphics::DrawRotatedBitmap(IBitmap* bitmap, int destCtrX, int destCtrY, double angleRadians,
                                  int yOffsetZeroDeg, const IChannelBlend* blend)
{
    if (!bitmap) return true;
    const RasterBlend rb = toRaster(blend);
    const int w = bitmap->W, h = bitmap->H;
    ZUVE_RotatedBlit(mDrawBitmap, bitmap->mData, destCtrX - w / 2, destCtrY - h / 2, w, h, 0.f, 0.f, float(w),
                     float(h), float(angleRadians), false, rb.weight, rb.mode | ZUVE_BLIT_FILTER_BILINEAR, 0.f,
                     float(yOffsetZeroDeg));
    return true;
}

bool IGraphics::DrawRotatedMask(IBitmap* base, IBitmap* mask, IBitmap* top, int x, int y, double angleDegrees,
                                const IChannelBlend* blend)
{
    if (!base || !mask || !top) return true;
    if (!mTmpBitmap) mTmpBitmap = new ZUVE_MemBitmap(0, 0, 4);
    const int w = base->W, h = base->H;
    const float angle = float(angleDegrees * 3.14159265358979323846 / 180.0);
    const float centreX = (w % 2) ? -0.5f : 0.f;
    ZUVE_Copy(mTmpBitmap, base->mData);
    ZUVE_ClearRect(mTmpBitmap, 0, 0, w, h, 0xFFFFFF00u, 0);
    ZUVE_RotatedBlit(mTmpBitmap, mask->mData, 0, 0, w, h, 0.f, 0.f, float(w), float(h), angle, true, 1.0f,
                     ZUVE_BLIT_USE_ALPHA | ZUVE_BLIT_FILTER_BILINEAR | ZUVE_BLIT_MODE_ADD, centreX, 0.f);
    ZUVE_RotatedBlit(mTmpBitmap, top->mData, 0, 0, w, h, 0.f, 0.f, float(w), float(h), angle, true, 1.0f,
                     ZUVE_BLIT_USE_ALPHA | ZUVE_BLIT_FILTER_BILINEAR | ZUVE_BLIT_MODE_COPY, centreX, 0.f);
    IRECT dest(x, y, x + w, y + h);
    IBitmap scratch(mTmpBitmap, w, h, 1, false);
    return DrawBitmap(&scratch, &dest, 0, 0, blend);
}

bool IGraphics::DrawPoint(const IColor* color, float x, float y, const IChannelBlend* blend, bool)
{
    const RasterBlend rb = toRaster(blend);
    ZUVE_PutPixel(mDrawBitmap, int(x), int(y), PackColor(*color), rb.weight, rb.mode);
    return true;
}

bool IGraphics::ForcePixel(const IColor* color, int x, int y)
{
    if (!mDrawBitmap || x < 0 || y < 0 || x >= mDrawBitmap->getWidth() || y >= mDrawBitmap->getHeight())
        return true;
    mDrawBitmap->getBits()[y * mDrawBitmap->getRowSpan() + x] = PackColor(*color);
    return true;
}

IColor IGraphics::GetPoint(int x, int y)
{
    const unsigned int p = ZUVE_GetPixel(mDrawBitmap, x, y);
    return IColor(ZUVE_GETA(p), ZUVE_GETR(p), ZUVE_GETG(p), ZUVE_GETB(p));
}

bool IGraphics::DrawLine(const IColor* color, float x1, float y1, float x2, float y2, const IChannelBlend* blend,
                         bool antiAlias)
{
    const RasterBlend rb = toRaster(blend);
    ZUVE_Line(mDrawBitmap, int(x1), int(y1), int(x2), int(y2), PackColor(*color), rb.weight, rb.mode, antiAlias);
    return true;
}

bool IGraphics::DrawArc(const IColor* color, float cx, float cy, float r, float minAngle, float maxAngle,
                        const IChannelBlend* blend, bool antiAlias)
{
    const RasterBlend rb = toRaster(blend);
    ZUVE_Arc(mDrawBitmap, cx, cy, r, minAngle, maxAngle, PackColor(*color), rb.weight, rb.mode, antiAlias);
    return true;
}

bool IGraphics::DrawCircle(const IColor* color, float cx, float cy, float r, const IChannelBlend* blend,
                           bool antiAlias)
{
    const RasterBlend rb = toRaster(blend);
    ZUVE_Circle(mDrawBitmap, cx, cy, r, PackColor(*color), rb.weight, rb.mode, antiAlias);
    return true;
}

bool IGraphics::RoundRect(const IColor* color, IRECT* r, const IChannelBlend* blend, int cornerRadius,
                          bool antiAlias)
{
    const RasterBlend rb = toRaster(blend);
    ZUVE_RoundRect(mDrawBitmap, r->L, r->T, r->W(), r->H(), cornerRadius, PackColor(*color), rb.weight, rb.mode,
                   antiAlias);
    return true;
}

bool IGraphics::FillRoundRect(const IColor* color, IRECT* r, const IChannelBlend* blend, int cornerRadius,
                              bool antiAlias)
{
    const RasterBlend rb = toRaster(blend);
    const unsigned int c = PackColor(*color);
    const int cr = cornerRadius;
    // Body as a cross of two rectangles, corners as circles.
    ZUVE_FillRect(mDrawBitmap, r->L + cr, r->T, r->W() - 2 * cr, r->H(), c, rb.weight, rb.mode);
    ZUVE_FillRect(mDrawBitmap, r->L, r->T + cr, cr, r->H() - 2 * cr, c, rb.weight, rb.mode);
    ZUVE_FillRect(mDrawBitmap, r->R - cr, r->T + cr, cr, r->H() - 2 * cr, c, rb.weight, rb.mode);
    ZUVE_FillCircle(mDrawBitmap, r->L + cr, r->T + cr, cr, c, rb.weight, rb.mode, antiAlias);
    ZUVE_FillCircle(mDrawBitmap, r->R - cr, r->T + cr, cr, c, rb.weight, rb.mode, antiAlias);
    ZUVE_FillCircle(mDrawBitmap, r->L + cr, r->B - cr, cr, c, rb.weight, rb.mode, antiAlias);
    ZUVE_FillCircle(mDrawBitmap, r->R - cr, r->B - cr, cr, c, rb.weight, rb.mode, antiAlias);
    return true;
}

bool IGraphics::FillIRect(const IColor* color, IRECT* r, const IChannelBlend* blend)
{
    const RasterBlend rb = toRaster(blend);
    ZUVE_FillRect(mDrawBitmap, r->L, r->T, r->W(), r->H(), PackColor(*color), rb.weight, rb.mode);
    return true;
}

bool IGraphics::FillCircle(const IColor* color, int cx, int cy, float r, const IChannelBlend* blend,
                           bool antiAlias)
{
    const RasterBlend rb = toRaster(blend);
    ZUVE_FillCircle(mDrawBitmap, cx, cy, int(r), PackColor(*color), rb.weight, rb.mode, antiAlias);
    return true;
}

bool IGraphics::FillTriangle(const IColor* color, int x1, int y1, int x2, int y2, int x3, int y3,
                             const IChannelBlend* blend)
{
    const RasterBlend rb = toRaster(blend);
    ZUVE_FillTriangle(mDrawBitmap, x1, y1, x2, y2, x3, y3, PackColor(*color), rb.weight, rb.mode);
    return true;
}

bool IGraphics::FillIConvexPolygon(const IColor* color, int* x, int* y, int npoints, const IChannelBlend* blend)
{
    const RasterBlend rb = toRaster(blend);
    ZUVE_FillConvexPolygon(mDrawBitmap, x, y, npoints, PackColor(*color), rb.weight, rb.mode);
    return true;
}

bool IGraphics::DrawRect(const IColor* color, IRECT* r)
{
    const unsigned int c = PackColor(*color);
    ZUVE_Line(mDrawBitmap, r->L, r->T, r->R, r->T, c, 1.0f, ZUVE_BLIT_MODE_COPY);
    ZUVE_Line(mDrawBitmap, r->R, r->T, r->R, r->B, c, 1.0f, ZUVE_BLIT_MODE_COPY);
    ZUVE_Line(mDrawBitmap, r->R, r->B, r->L, r->B, c, 1.0f, ZUVE_BLIT_MODE_COPY);
    ZUVE_Line(mDrawBitmap, r->L, r->B, r->L, r->T, c, 1.0f, ZUVE_BLIT_MODE_COPY);
    return true;
}

static float clampUnit(float v) { return std::min(1.0f, std::max(0.0f, v)); }

bool IGraphics::DrawVerticalLine(const IColor* color, IRECT* r, float x)
{
    const int xi = r->L + int(clampUnit(x) * float(r->W()));
    return DrawVerticalLine(color, xi, r->T, r->B);
}

bool IGraphics::DrawHorizontalLine(const IColor* color, IRECT* r, float y)
{
    const int yi = r->B - int(clampUnit(y) * float(r->H()));
    return DrawHorizontalLine(color, yi, r->L, r->R);
}

bool IGraphics::DrawVerticalLine(const IColor* color, int xi, int yLo, int yHi)
{
    ZUVE_Line(mDrawBitmap, xi, yLo, xi, yHi, PackColor(*color), 1.0f, ZUVE_BLIT_USE_ALPHA);
    return true;
}

bool IGraphics::DrawHorizontalLine(const IColor* color, int yi, int xLo, int xHi)
{
    ZUVE_Line(mDrawBitmap, xLo, yi, xHi, yi, PackColor(*color), 1.0f, ZUVE_BLIT_USE_ALPHA);
    return true;
}

bool IGraphics::DrawRadialLine(const IColor* color, float cx, float cy, float angle, float rMin, float rMax,
                               const IChannelBlend* blend, bool antiAlias)
{
    const float s = std::sin(angle), c = std::cos(angle);
    return DrawLine(color, cx + rMin * s, cy - rMin * c, cx + rMax * s, cy - rMax * c, blend, antiAlias);
}

// ---- Text ----

static HGDIOBJ makeLayerFont(const IText* text, int height)
{
    static const char kQualities[] = {DEFAULT_QUALITY, NONANTIALIASED_QUALITY, ANTIALIASED_QUALITY,
                                      ANTIALIASED_QUALITY};
    const char quality = (text->mQuality >= 0 && text->mQuality <= 3) ? kQualities[text->mQuality]
                                                                       : NONANTIALIASED_QUALITY;
    const int angle = text->mOrientation * 10;
    return CreateFont(height, 0, angle, angle, text->mStyle == IText::kStyleBold ? FW_BOLD : FW_NORMAL,
                      text->mStyle == IText::kStyleItalic ? 1 : 0, 0, 0, 0, 0, 0, quality, 0, text->mFont);
}

ZUVE_IFont* IGraphics::CacheFont(IText* text)
{
    if (!text) return nullptr;
    if (ZUVE_IFont* cached = s_fontCache.Find(text->mSize, text->mOrientation, text->mStyle, text->mFont)) {
        text->mCached = cached;
        return cached;
    }
    ZUVE_CachedFont* font = new ZUVE_CachedFont();
    const int height = std::max(text->mSize, 2);
    HGDIOBJ handle = makeLayerFont(text, height);
    if (!handle) {
        delete font;
        return nullptr;
    }
    font->SetFromHFont(handle, ZUVE_FONT_FLAG_OWN_HFONT | ZUVE_FONT_FLAG_NATIVE);
    const int retry = FontRetryHeight(text->mSize, height, font->GetLineHeight());
    if (retry > 0) {
        handle = makeLayerFont(text, retry);
        if (!handle) {
            delete font;
            return nullptr;
        }
        font->SetFromHFont(handle, ZUVE_FONT_FLAG_OWN_HFONT | ZUVE_FONT_FLAG_NATIVE);
    }
    s_fontCache.Add(font, text->mSize, text->mOrientation, text->mStyle, text->mFont);
    text->mCached = font;
    return font;
}

bool IGraphics::DrawIText(IText* text, const char* str, IRECT* r, bool measure)
{
    return drawText(text, str, r, measure, false);
}

bool IGraphics::DrawITextWithin(IText* text, const char* str, IRECT* r)
{
    return drawText(text, str, r, false, true);
}

bool IGraphics::drawText(IText* text, const char* str, IRECT* r, bool measure, bool clip)
{
    if (!str || !*str) return true;
    if (!text || !r) return false;
    ZUVE_IFont* font = text->mCached ? text->mCached : CacheFont(text);
    if (!font) return false;

    font->SetTextColor(PackColor(text->mColor));
    unsigned int flags = clip ? 0 : DT_NOCLIP;
    if (text->mColor.A != 255) flags |= ZUVE_DT_USE_FG_ALPHA;
    if (text->mAlign == IText::kAlignCenter)
        flags |= DT_CENTER;
    else if (text->mAlign == IText::kAlignFar)
        flags |= DT_RIGHT;
    if (text->mVAlign == 1)
        flags |= DT_BOTTOM;
    else if (text->mVAlign != 0)
        flags |= DT_VCENTER;

    if (measure) {
        RECT size = {0, 0, 0, 0};
        font->DrawText(mDrawBitmap, str, -1, &size, flags | DT_CALCRECT);
        const int w = size.right - size.left;
        const int h = size.bottom - size.top;
        if (text->mAlign == IText::kAlignCenter) {
            r->L = int((r->L + r->R) * 0.5) - w / 2;
            r->R = r->L + w;
        } else if (text->mAlign == IText::kAlignFar) {
            r->L = r->R - w;
        } else {
            r->R = r->L + w;
        }
        r->B = r->T + h;
        return true;
    }
    RECT area = {r->L, r->T, r->R, r->B};
    font->DrawText(mDrawBitmap, str, -1, &area, flags);
    return true;
}
