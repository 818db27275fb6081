// Rectangle operations: blit, copy, clear and fill.
#include <cstring>

#include "zuve/pixel_ops.h"

using namespace zuve_detail;

void ZUVE_Blit(ZUVE_IBitmap* dest, ZUVE_IBitmap* src, int dstX, int dstY, int srcX, int srcY, int srcW, int srcH,
               float alpha, int mode)
{
    if (!usable(dest) || !usable(src) || srcW <= 0 || srcH <= 0)
        return;
    const Blender blender(alpha, mode);
    if (blender.drawsNothing())
        return;
    // Clip the source rectangle to the source bitmap, then its image on the destination.
    const Span source = clipToBitmap(src, srcX, srcY, srcW, srcH);
    if (source.empty())
        return;
    const long long shiftX = (long long)dstX - srcX, shiftY = (long long)dstY - srcY;
    const Span target = clipToBitmap(dest, source.x0 + shiftX, source.y0 + shiftY, source.x1 - source.x0,
                                     source.y1 - source.y0);
    if (target.empty())
        return;
    const int width = target.x1 - target.x0;
    const int firstSrcX = int(target.x0 - shiftX);
    // Walk rows backwards when blitting a bitmap onto a lower part of itself.
    const bool backwards = dest == src && shiftY > 0;
    for (int i = 0; i < target.y1 - target.y0; ++i) {
        const int y = backwards ? target.y1 - 1 - i : target.y0 + i;
        uint32_t* d = rowOf(dest, y) + target.x0;
        const uint32_t* s = rowOf(src, int(y - shiftY)) + firstSrcX;
        if (blender.isPlainCopy())
            std::memmove(d, s, size_t(width) * sizeof(uint32_t));
        else if (dest == src && shiftY == 0 && shiftX > 0)
            for (int x = width - 1; x >= 0; --x)
                d[x] = blender.apply(d[x], s[x]);
        else
            blender.applyRow(d, s, width);
    }
}

void ZUVE_Copy(ZUVE_IBitmap* dest, ZUVE_IBitmap* src)
{
    if (!dest || !src || dest == src)
        return;
    if (!dest->resize(src->getWidth(), src->getHeight()) || !usable(src) || !usable(dest))
        return;
    const size_t rowBytes = size_t(src->getWidth()) * sizeof(uint32_t);
    for (int y = 0; y < src->getHeight(); ++y)
        std::memcpy(rowOf(dest, y), rowOf(src, y), rowBytes);
}

void ZUVE_ClearRect(ZUVE_IBitmap* dest, int x, int y, int w, int h, unsigned int mask, unsigned int orBits)
{
    if (!usable(dest))
        return;
    const Span area = clipToBitmap(dest, x, y, w, h);
    for (int row = area.y0; row < area.y1; ++row) {
        uint32_t* d = rowOf(dest, row);
        for (int col = area.x0; col < area.x1; ++col)
            d[col] = (d[col] & mask) | orBits;
    }
}

void ZUVE_FillRect(ZUVE_IBitmap* dest, int x, int y, int w, int h, unsigned int color, float alpha, int mode)
{
    if (!usable(dest))
        return;
    const Blender blender(alpha, mode);
    if (blender.drawsNothing())
        return;
    const Span area = clipToBitmap(dest, x, y, w, h);
    for (int row = area.y0; row < area.y1; ++row)
        blender.applySolidRow(rowOf(dest, row) + area.x0, color, area.x1 - area.x0);
}
