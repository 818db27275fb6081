#pragma once
// Writes a raster-library bitmap as a PNG file: RGBA for the editor's images,
// whose alpha lets controls drawn over the panel blend at their edges; RGB for
// whole pictures, which have nothing beneath them.

#include <string>

class ZUVE_IBitmap;

// False when the file cannot be written or the bitmap is empty.
bool WriteBitmapPNG(const std::string& path, ZUVE_IBitmap* bitmap, bool keepAlpha = true);
