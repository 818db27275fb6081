#pragma once
// Small helpers for pixel-exact raster tests.

#include <algorithm>
#include <vector>

#include "zuve/zuve.h"

const unsigned int kBack = ZUVE_RGBA(0, 0, 0, 255);
const unsigned int kInk = ZUVE_RGBA(255, 0, 0, 255);

inline unsigned int pixelAt(ZUVE_IBitmap* bitmap, int x, int y)
{
    return bitmap->getBits()[y * bitmap->getRowSpan() + x];
}

// Every pixel, row by row.
inline std::vector<unsigned int> pixels(ZUVE_IBitmap* bitmap)
{
    std::vector<unsigned int> all;
    for (int y = 0; y < bitmap->getHeight(); ++y)
        all.insert(all.end(), bitmap->getBits() + y * bitmap->getRowSpan(),
            bitmap->getBits() + y * bitmap->getRowSpan() + bitmap->getWidth());
    return all;
}

// Pixels of the bitmap that differ from `background`.
inline int countDiffering(ZUVE_IBitmap* bitmap, unsigned int background = kBack)
{
    const std::vector<unsigned int> all = pixels(bitmap);
    return int(all.size() - std::count(all.begin(), all.end(), background));
}

// Sets every pixel to pixel(x, y).
template <typename F>
void paint(ZUVE_IBitmap* bitmap, F pixel)
{
    for (int y = 0; y < bitmap->getHeight(); ++y)
        for (int x = 0; x < bitmap->getWidth(); ++x)
            ZUVE_PutPixel(bitmap, x, y, pixel(x, y), 1.f, 0);
}

// A memory bitmap filled with one pixel value, opaque black unless told otherwise.
class FilledBitmap : public ZUVE_MemBitmap {
public:
    FilledBitmap(int width, int height, unsigned int pixel = kBack) : ZUVE_MemBitmap(width, height)
    {
        ZUVE_ClearRect(this, 0, 0, width, height, 0, pixel);
    }
};
