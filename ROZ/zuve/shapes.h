#pragma once
// Lines, pixels and shapes; included by zuve/zuve.h, whose pixel model they
// follow. Angles are in radians, 0 pointing up (12 o'clock), growing
// clockwise on screen. Points are pixel coordinates; a shape covers the pixels
// whose centres lie inside it (edge pixels partly, when antialiased).

#include "zuve/bitmap.h"

// A line from (x1, y1) to (x2, y2), both ends included.
void ZUVE_Line(ZUVE_IBitmap* dest, int x1, int y1, int x2, int y2, unsigned int color, float alpha, int mode,
               bool antiAlias = false);

void ZUVE_PutPixel(ZUVE_IBitmap* dest, int x, int y, unsigned int color, float alpha, int mode);

// The pixel at (x, y); 0 outside the bitmap or for a null bitmap.
unsigned int ZUVE_GetPixel(ZUVE_IBitmap* src, int x, int y);

// The part of the circle from minAngle to maxAngle (clockwise).
void ZUVE_Arc(ZUVE_IBitmap* dest, float cx, float cy, float r, float minAngle, float maxAngle, unsigned int color,
              float alpha, int mode, bool antiAlias = false);

void ZUVE_Circle(ZUVE_IBitmap* dest, float cx, float cy, float r, unsigned int color, float alpha, int mode,
                 bool antiAlias = false);

void ZUVE_FillCircle(ZUVE_IBitmap* dest, int cx, int cy, int r, unsigned int color, float alpha, int mode,
                     bool antiAlias = false);

// The outline of the rectangle (x, y, w, h) with corners of radius cornerRadius.
void ZUVE_RoundRect(ZUVE_IBitmap* dest, int x, int y, int w, int h, int cornerRadius, unsigned int color,
                    float alpha, int mode, bool antiAlias = false);

void ZUVE_FillTriangle(ZUVE_IBitmap* dest, int x1, int y1, int x2, int y2, int x3, int y3, unsigned int color,
                       float alpha, int mode);

// A convex polygon of npoints corners given as x[i], y[i].
void ZUVE_FillConvexPolygon(ZUVE_IBitmap* dest, const int* x, const int* y, int npoints, unsigned int color,
                            float alpha, int mode);
