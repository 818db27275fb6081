#include "zuve/zuve_text.h"

#include <array>
#include <climits>
#include <cstring>
#include <unordered_map>

#include "zuve/pixel_ops.h"

using namespace zuve_detail;

namespace {

struct CachedGlyph {
    bool rendered = false;
    DOVOR_Glyph glyph;  // empty with no advance when the font lacks the character
};

// Reads one character of UTF-8; a byte that starts no valid sequence is taken
// as Latin-1. Advances *pos.
uint32_t nextCodePoint(const unsigned char* text, int length, int* pos)
{
    const unsigned char lead = text[*pos];
    const int extra = lead >= 0xc2 && lead < 0xe0 ? 1 : lead >= 0xe0 && lead < 0xf0 ? 2 : lead >= 0xf0 && lead < 0xf5 ? 3 : 0;
    if (extra == 0 || *pos + extra >= length) {
        ++*pos;
        return lead;
    }
    uint32_t code = lead & (0x3f >> extra);
    for (int k = 1; k <= extra; ++k) {
        const unsigned char next = text[*pos + k];
        if ((next & 0xc0) != 0x80) {
            ++*pos;
            return lead;
        }
        code = code << 6 | (next & 0x3f);
    }
    *pos += extra + 1;
    return code;
}

}  // namespace

struct ZUVE_CachedFont::GlyphCache {
    std::array<CachedGlyph, 256> latin;
    std::unordered_map<uint32_t, CachedGlyph> others;

    void clear()
    {
        latin = {};
        others.clear();
    }

    const DOVOR_Glyph& get(HGDIOBJ font, uint32_t codePoint)
    {
        CachedGlyph& entry = codePoint < latin.size() ? latin[codePoint] : others[codePoint];
        if (!entry.rendered) {
            DOVOR_RenderGlyph(font, codePoint, &entry.glyph);
            entry.rendered = true;
        }
        return entry.glyph;
    }
};

ZUVE_CachedFont::ZUVE_CachedFont() : m_glyphs(std::make_unique<GlyphCache>()) {}

ZUVE_CachedFont::~ZUVE_CachedFont()
{
    releaseFont();
}

void ZUVE_CachedFont::releaseFont()
{
    if (m_font && (m_flags & ZUVE_FONT_FLAG_OWN_HFONT))
        DeleteObject(m_font);
    m_font = nullptr;
    m_ascent = m_lineHeight = 0;
    m_glyphs->clear();
}

void ZUVE_CachedFont::SetFromHFont(HGDIOBJ font, int flags)
{
    if (font == m_font) {
        m_flags = flags;
        return;
    }
    releaseFont();
    m_font = font;
    m_flags = flags;
    DOVOR_FontMetrics metrics;
    if (DOVOR_GetFontMetrics(font, &metrics)) {
        m_ascent = metrics.ascent;
        m_lineHeight = metrics.lineHeight;
    }
}

namespace {

// Where a line of text puts ink, relative to its pen start on the baseline
// row: columns [inkLeft, inkRight) and the advance width, all in pixels.
struct LineExtent {
    int advance = 0;
    long long inkLeft = 0;
    long long inkRight = 0;

    // The text box: the advance, widened so that overhanging ink (a wide
    // last glyph, a negative left bearing) stays inside it.
    int boxWidth() const { return int(std::max<long long>(advance, inkRight) - leftOverhang()); }
    long long leftOverhang() const { return std::min<long long>(0, inkLeft); }
};

}  // namespace

int ZUVE_CachedFont::DrawText(ZUVE_IBitmap* dest, const char* text, int length, RECT* rect, unsigned int flags)
{
    if (!text || !rect || !m_font)
        return 0;
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(text);
    if (length < 0)
        length = int(std::strlen(text));

    // Pen positions round exactly as drawing rounds them below.
    LineExtent extent;
    long long pen64 = 0;
    for (int pos = 0; pos < length;) {
        const DOVOR_Glyph& glyph = m_glyphs->get(m_font, nextCodePoint(bytes, length, &pos));
        if (glyph.width > 0 && glyph.height > 0) {
            const long long left = ((pen64 + 32) >> 6) + glyph.left;
            extent.inkLeft = std::min(extent.inkLeft, left);
            extent.inkRight = std::max(extent.inkRight, left + glyph.width);
        }
        pen64 += glyph.advanceX64;
    }
    extent.advance = int((pen64 + 32) >> 6);
    const int width = extent.boxWidth();
    const int height = m_lineHeight;
    if (flags & DT_CALCRECT) {
        rect->right = int(std::min<long long>(INT_MAX, (long long)rect->left + width));
        rect->bottom = int(std::min<long long>(INT_MAX, (long long)rect->top + height));
        return height;
    }
    if (!usable(dest) || length == 0)
        return height;

    long long x = rect->left, y = rect->top;
    const long long boxW = (long long)rect->right - rect->left, boxH = (long long)rect->bottom - rect->top;
    if (flags & DT_CENTER)
        x += (boxW - width) / 2;
    else if (flags & DT_RIGHT)
        x = rect->right - (long long)width;
    if (flags & DT_VCENTER)
        y += (boxH - height) / 2;
    else if (flags & DT_BOTTOM)
        y = rect->bottom - (long long)height;
    x -= extent.leftOverhang();

    Span clip = clipToBitmap(dest, 0, 0, dest->getWidth(), dest->getHeight());
    if (!(flags & DT_NOCLIP)) {
        clip.x0 = std::max(clip.x0, rect->left), clip.y0 = std::max(clip.y0, rect->top);
        clip.x1 = std::min(clip.x1, rect->right), clip.y1 = std::min(clip.y1, rect->bottom);
    }
    if (clip.empty())
        return height;

    // Glyph coverage weights the text colour, drawn over the destination.
    const uint32_t color = m_color;
    const int colorAlpha = (flags & ZUVE_DT_USE_FG_ALPHA) ? int(color & 0xff) : 255;
    const Blender blender(1.f, ZUVE_BLIT_MODE_COPY | ZUVE_BLIT_USE_ALPHA);
    const uint32_t opaque = color | 0xff;
    long long penX64 = x * 64, penY64 = (y + m_ascent) * 64;
    for (int pos = 0; pos < length;) {
        const DOVOR_Glyph& glyph = m_glyphs->get(m_font, nextCodePoint(bytes, length, &pos));
        const long long left = ((penX64 + 32) >> 6) + glyph.left, top = ((penY64 + 32) >> 6) - glyph.top;
        penX64 += glyph.advanceX64;
        penY64 += glyph.advanceY64;
        const long long gx0 = std::max<long long>(0, clip.x0 - left), gx1 = std::min<long long>(glyph.width, clip.x1 - left);
        const long long gy0 = std::max<long long>(0, clip.y0 - top), gy1 = std::min<long long>(glyph.height, clip.y1 - top);
        for (long long gy = gy0; gy < gy1; ++gy) {
            const uint8_t* coverage = glyph.coverage.data() + gy * glyph.width;
            uint32_t* d = rowOf(dest, int(top + gy));
            for (long long gx = gx0; gx < gx1; ++gx) {
                if (const int cv = coverage[gx])
                    d[left + gx] = blender.applyFactor(d[left + gx], opaque, int((cv * colorAlpha * 65536LL + 32512) / 65025));
            }
        }
    }
    return height;
}
