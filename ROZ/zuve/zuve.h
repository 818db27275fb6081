#pragma once
// The raster graphics library: 32-bit bitmaps, blits, fills, lines, shapes.
// Fonts are in zuve/zuve_text.h, PNG loading in zuve/zuve_png.h.
//
// Pixel model
// -----------
// A pixel is a 32-bit value A | R << 8 | G << 16 | B << 24 (bytes A, R, G, B
// in memory), not premultiplied. Colour arguments use the same packing.
//
// Every drawing call combines a source pixel s (a bitmap's pixel or the
// colour) with the destination pixel d under a mode and a weight w (the
// `alpha` argument, clamped to 0..1 and quantised to 1/256):
//   f = w                     without ZUVE_BLIT_USE_ALPHA
//   f = w * sA / 255          with ZUVE_BLIT_USE_ALPHA
// R, G and B then become, by the mode's low byte:
//   copy (0):   d + (s - d) * f
//   add (1):    min(255, d + s * f)
//   dodge (2):  d + (dodge - d) * f, dodge = 255 when s = 255,
//               else min(255, d * 255 / (255 - s))
//   other:      as copy
// and A becomes (f is kept to 1/65536; results round to nearest):
//   with ZUVE_BLIT_USE_ALPHA:    dA + (255 - dA) * f   (source over destination)
//   without, in every mode:      the mode's formula applied to A like a colour.
// So copy with weight 1 and no alpha flag stores the source exactly, f = 0
// leaves the destination untouched, and results round to the nearest value.
// Antialiased lines and curves multiply f by the pixel's coverage; text uses
// f = glyph coverage (times the colour's alpha when asked) with the
// source-over alpha rule.
//
// Scaling: destination pixel centre (x + 0.5) maps to source position
// srcX + (x + 0.5) * srcW / dstW (same for y). Without ZUVE_BLIT_FILTER_BILINEAR
// the pixel containing that position is taken. With it, the four pixels
// around (position - 0.5) are mixed by the fractional distances (1/256 steps),
// each channel separately; taps beyond the source rectangle repeat its edge.
// Destination pixels whose sample falls outside the source rectangle or the
// source bitmap are left alone. Positions are kept in 16.16 fixed point, so a
// sample lying exactly on a pixel edge may be taken from either side of it. A rotated blit samples, for each destination
// pixel centre, the point that the inverse rotation brings it to.
//
// Safety: every call clips to the destination bitmap (and blits to the
// source bitmap); a null bitmap, a zero or negative size or an empty source
// rectangle draws nothing, and so do float coordinates or sizes beyond
// +-1e9 (no integer overflow, no division by zero). No call allocates except
// ZUVE_Copy into a bitmap of another size. A bitmap is used by one thread at
// a time; the surface draws on the main thread.

#include "zuve/bitmap.h"
#include "zuve/mem_bitmap.h"
#include "zuve/sys_bitmap.h"

// Mode low byte and flags.
constexpr int ZUVE_BLIT_MODE_COPY = 0;
constexpr int ZUVE_BLIT_MODE_ADD = 1;
constexpr int ZUVE_BLIT_MODE_DODGE = 2;
constexpr int ZUVE_BLIT_MODE_MASK = 0xff;
constexpr int ZUVE_BLIT_FILTER_BILINEAR = 0x100;
constexpr int ZUVE_BLIT_USE_ALPHA = 0x10000;

// Packs a colour as the library stores it.
constexpr unsigned int ZUVE_RGBA(int r, int g, int b, int a)
{
    return unsigned(a & 0xff) | unsigned(r & 0xff) << 8 | unsigned(g & 0xff) << 16 | unsigned(b & 0xff) << 24;
}
constexpr int ZUVE_GETA(unsigned int pixel) { return int(pixel & 0xff); }
constexpr int ZUVE_GETR(unsigned int pixel) { return int((pixel >> 8) & 0xff); }
constexpr int ZUVE_GETG(unsigned int pixel) { return int((pixel >> 16) & 0xff); }
constexpr int ZUVE_GETB(unsigned int pixel) { return int(pixel >> 24); }

// Copies the source rectangle to (dstX, dstY), clipped to both bitmaps.
void ZUVE_Blit(ZUVE_IBitmap* dest, ZUVE_IBitmap* src, int dstX, int dstY, int srcX, int srcY, int srcW, int srcH,
               float alpha, int mode);

// Stretches the source rectangle over the destination rectangle.
void ZUVE_ScaledBlit(ZUVE_IBitmap* dest, ZUVE_IBitmap* src, int dstX, int dstY, int dstW, int dstH, float srcX,
                     float srcY, float srcW, float srcH, float alpha, int mode);

// Draws the source rectangle, scaled to dstW x dstH, rotated by angleRadians
// (clockwise on screen) about the destination rectangle's centre moved by the
// offsets. With cutOffSourceEdges only pixels inside the destination rectangle
// are drawn; without it the whole rotated image is.
void ZUVE_RotatedBlit(ZUVE_IBitmap* dest, ZUVE_IBitmap* src, int dstX, int dstY, int dstW, int dstH, float srcX,
                      float srcY, float srcW, float srcH, float angleRadians, bool cutOffSourceEdges, float alpha,
                      int mode, float rotCentreOffsetX = 0.f, float rotCentreOffsetY = 0.f);

// Resizes dest to src's size and copies every pixel (no blending).
void ZUVE_Copy(ZUVE_IBitmap* dest, ZUVE_IBitmap* src);

// Every pixel of the rectangle becomes (pixel & mask) | orBits.
void ZUVE_ClearRect(ZUVE_IBitmap* dest, int x, int y, int w, int h, unsigned int mask = 0, unsigned int orBits = 0);

void ZUVE_FillRect(ZUVE_IBitmap* dest, int x, int y, int w, int h, unsigned int color, float alpha, int mode);

#include "zuve/shapes.h"
