#pragma once
// The raster library's 32-bit bitmap interface.

#include "dovor/win_types.h"

// A bitmap of 32-bit pixels (bytes A, R, G, B in memory, see zuve/zuve.h).
// The pixel at column x, row y is getBits()[y * getRowSpan() + x].
// A bitmap belongs to one thread at a time; nothing here locks.
class ZUVE_IBitmap {
public:
    virtual ~ZUVE_IBitmap() {}

    virtual unsigned int* getBits() = 0;  // null while 0 x 0
    virtual int getWidth() const = 0;
    virtual int getHeight() const = 0;
    virtual int getRowSpan() const = 0;   // pixels per row, at least the width

    // The drawing context behind the pixels; null for heap bitmaps.
    virtual HDC getDC() const { return nullptr; }

    // Changes the size. Pixels are kept when the size is unchanged and
    // zeroed otherwise. A zero or negative size frees the pixels. False when
    // memory runs out (the bitmap is then 0 x 0).
    virtual bool resize(int width, int height) = 0;
};
