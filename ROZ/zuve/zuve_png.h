#pragma once
// PNG loading: any colour type, bit depth and interlacing becomes 32-bit
// A, R, G, B pixels.

#include <cstddef>

#include "zuve/bitmap.h"

// Reads a PNG file. With a null `into` returns a new ZUVE_MemBitmap the caller
// owns; otherwise resizes `into`, fills it and returns it. Null on any failure
// (missing file, not a PNG, damaged data); then a given `into` may have been
// resized. Any thread.
ZUVE_IBitmap* ZUVE_LoadPNG(const char* path, ZUVE_IBitmap* into = nullptr);

// The same from bytes in memory.
ZUVE_IBitmap* ZUVE_LoadPNGFromMemory(const void* data, size_t size, ZUVE_IBitmap* into = nullptr);
