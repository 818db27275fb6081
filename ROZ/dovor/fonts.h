#pragma once
// Fonts of the window-system layer: creation by face name and height, metrics
// and single-glyph rendering. Text layout and caching live in the raster
// library's font (zuve/zuve_text.h).

#include <cstdint>
#include <vector>

#include "dovor/win_types.h"

// Weights and qualities as callers pass them to CreateFont.
constexpr int FW_NORMAL = 400;
constexpr int FW_BOLD = 700;
constexpr char DEFAULT_QUALITY = 0;
constexpr char NONANTIALIASED_QUALITY = 3;
constexpr char ANTIALIASED_QUALITY = 4;

// Text flags of the layer's text drawing.
constexpr unsigned int DT_TOP = 0;
constexpr unsigned int DT_LEFT = 0;
constexpr unsigned int DT_CALCRECT = 0x1;  // measure only
constexpr unsigned int DT_VCENTER = 0x2;
constexpr unsigned int DT_CENTER = 0x4;
constexpr unsigned int DT_BOTTOM = 0x10;
constexpr unsigned int DT_RIGHT = 0x20;
constexpr unsigned int DT_NOCLIP = 0x100;

// A font for faceName. A positive height is the cell height in pixels
// (ascent + descent = height), a negative one the em size, 0 means 12.
// Weight 600 and above gives bold, italic != 0 oblique; escapement (tenths of
// a degree, counter-clockwise) rotates the baseline; quality 3 renders
// without antialiasing. Monospace faces map to DejaVu Sans Mono, every other
// face to DejaVu Sans. Null when no font file can be opened. Width,
// orientation, underline, strike-out, character set, precisions and pitch
// are accepted and not used. Any thread; release with DeleteObject.
HGDIOBJ CreateFont(int height, int width, int escapement, int orientation, int weight, char italic,
                   char underline, char strikeOut, char charSet, char outPrecision, char clipPrecision,
                   char quality, char pitchAndFamily, const char* faceName);

// Frees a font made by CreateFont. Null is ignored (returns false).
bool DeleteObject(HGDIOBJ object);

struct DOVOR_FontMetrics {
    int ascent;      // pixels from the top of a line to the baseline
    int descent;     // pixels from the baseline to the bottom of a line
    int lineHeight;  // ascent + descent
};

// False for a null font. Any thread that owns the font.
bool DOVOR_GetFontMetrics(HGDIOBJ font, DOVOR_FontMetrics* metrics);

// One rendered glyph: an 8-bit coverage image (width x height, rows packed)
// placed with its top-left corner at (pen x + left, baseline y - top).
struct DOVOR_Glyph {
    int width = 0;
    int height = 0;
    int left = 0;
    int top = 0;
    int advanceX64 = 0;  // pen movement in 1/64 pixel, y down
    int advanceY64 = 0;
    std::vector<uint8_t> coverage;
};

// Renders the glyph for a Unicode code point. False (and an empty glyph with
// no advance) when the font has no glyph for it or the font is null.
// The thread that owns the font.
bool DOVOR_RenderGlyph(HGDIOBJ font, uint32_t codePoint, DOVOR_Glyph* glyph);
