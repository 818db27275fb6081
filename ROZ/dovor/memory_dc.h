#pragma once
// Memory drawing contexts: an offscreen 32-bit pixel buffer behind an HDC.

#include "dovor/win_types.h"

// Stands in for the bitmap context that holds a drawing context's pixels.
// Pixels are 32-bit values with bytes A, R, G, B in memory (see zuve/zuve.h);
// the pixel at (x, y) is pixels[y * rowSpan + x].
struct DOVOR_BitmapContext {
    unsigned int* pixels;  // null while the context is 0 x 0
    int width;
    int height;
    int rowSpan;           // pixels per row: width rounded up to a multiple of 4
};

// A drawing context. The first field holds the pixels, so a back end that
// presents the surface reads hdc->bitmapContext directly.
struct HDC__ {
    DOVOR_BitmapContext* bitmapContext;
    HGDIOBJ selectedFont;  // not owned
};

// A memory drawing context of width x height zeroed pixels, rows padded to a
// multiple of 4 pixels. A zero or negative size gives a context without
// pixels. Null only when memory runs out. Any thread; the caller owns it.
HDC DOVOR_CreateMemoryDC(int width, int height);

// Reallocates the pixels for a new size (contents zeroed when the size
// changes; kept when it does not). False when memory runs out, leaving the
// context 0 x 0. The thread that owns hdc.
bool DOVOR_ResizeMemoryDC(HDC hdc, int width, int height);

// Frees a memory drawing context and its pixels. Null is ignored.
bool DeleteDC(HDC hdc);

// Makes font the context's current font; returns the previous one.
HGDIOBJ SelectObject(HDC hdc, HGDIOBJ font);
