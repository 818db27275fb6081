#pragma once
// Fonts of the raster library: text drawn from glyphs that the window layer
// renders once and the font caches.

#include <cstdint>
#include <memory>

#include "dovor/fonts.h"
#include "zuve/bitmap.h"

// DrawText flag on top of the layer's DT_ flags: weight the text by the text
// colour's alpha (otherwise the colour counts as opaque).
constexpr unsigned int ZUVE_DT_USE_FG_ALPHA = 0x40000000;

// SetFromHFont flags: the font takes ownership of the handle (and deletes it
// with DeleteObject), and renders glyphs natively through the layer.
constexpr int ZUVE_FONT_FLAG_OWN_HFONT = 0x200;
constexpr int ZUVE_FONT_FLAG_NATIVE = 0x400;

// A font that draws text into a bitmap. A font object belongs to one thread
// at a time (the surface draws on the main thread).
class ZUVE_IFont {
public:
    virtual ~ZUVE_IFont() {}
    virtual void SetTextColor(unsigned int packedColour) = 0;
    virtual unsigned int GetTextColor() const = 0;
    // Draws text (length -1: up to the terminator) into rect on dest with the
    // layer's DT_ flags plus ZUVE_DT_USE_FG_ALPHA; returns the text height.
    // With DT_CALCRECT nothing is drawn and rect's right and bottom become
    // left + text width and top + line height; the width is the advance,
    // widened to hold glyphs that overhang it (so aligned text keeps its ink
    // inside the rectangle it was aligned in). Accents and low marks may
    // still reach a pixel beyond the line height. Without DT_NOCLIP the text is
    // clipped to rect. Text is one line of UTF-8 (bytes that are not UTF-8
    // count as Latin-1); a character the font lacks draws nothing and takes
    // no room.
    virtual int DrawText(ZUVE_IBitmap* dest, const char* text, int length, RECT* rect, unsigned int flags) = 0;
    virtual int GetLineHeight() const = 0;
};

class ZUVE_CachedFont : public ZUVE_IFont {
public:
    ZUVE_CachedFont();
    ~ZUVE_CachedFont() override;
    ZUVE_CachedFont(const ZUVE_CachedFont&) = delete;
    ZUVE_CachedFont& operator=(const ZUVE_CachedFont&) = delete;

    // Takes a layer font (CreateFont) and forgets the glyphs of the previous
    // one, deleting that handle when it was owned.
    void SetFromHFont(HGDIOBJ font, int flags = ZUVE_FONT_FLAG_OWN_HFONT | ZUVE_FONT_FLAG_NATIVE);
    HGDIOBJ GetHFont() const { return m_font; }

    // ZUVE_IFont
    void SetTextColor(unsigned int packedColour) override { m_color = packedColour; }
    unsigned int GetTextColor() const override { return m_color; }
    int DrawText(ZUVE_IBitmap* dest, const char* text, int length, RECT* rect, unsigned int flags) override;
    int GetLineHeight() const override { return m_lineHeight; }

private:
    struct GlyphCache;
    void releaseFont();

    HGDIOBJ m_font = nullptr;
    int m_flags = 0;
    unsigned int m_color = 0xff;  // opaque black
    int m_ascent = 0;
    int m_lineHeight = 0;
    std::unique_ptr<GlyphCache> m_glyphs;
};
