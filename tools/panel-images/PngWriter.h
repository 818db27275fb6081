#pragma once
// Writes a raster-library bitmap as an RGBA PNG file, keeping its alpha so
// controls drawn over the panel blend at their edges.

#include <string>

class ZUVE_IBitmap;

// False when the file cannot be written or the bitmap is empty.
bool WriteBitmapPNG(const std::string& path, ZUVE_IBitmap* bitmap);
