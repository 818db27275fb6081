#include "dovor/fonts.h"

#include <memory>
#include <new>

#include "platform/CoreTextFreeType.h"

// The layer's font object behind an HGDIOBJ.
struct HGDIOBJ__ {
    std::unique_ptr<platform::TextFace> face;
};

HGDIOBJ CreateFont(int height, int width, int escapement, int orientation, int weight, char italic,
                   char underline, char strikeOut, char charSet, char outPrecision, char clipPrecision,
                   char quality, char pitchAndFamily, const char* faceName)
{
    platform::TextFaceRequest request;
    request.faceName = faceName ? faceName : "";
    request.height = height;
    request.bold = weight >= 600;
    request.italic = italic != 0;
    request.escapementTenths = escapement;
    request.antiAlias = quality != NONANTIALIASED_QUALITY;
    std::unique_ptr<platform::TextFace> face = platform::TextFace::Open(request);
    if (!face)
        return nullptr;
    return new (std::nothrow) HGDIOBJ__{std::move(face)};
}

bool DeleteObject(HGDIOBJ object)
{
    if (!object)
        return false;
    delete object;
    return true;
}

bool DOVOR_GetFontMetrics(HGDIOBJ font, DOVOR_FontMetrics* metrics)
{
    if (!font || !metrics)
        return false;
    metrics->ascent = font->face->ascent();
    metrics->descent = font->face->descent();
    metrics->lineHeight = font->face->lineHeight();
    return true;
}

bool DOVOR_RenderGlyph(HGDIOBJ font, uint32_t codePoint, DOVOR_Glyph* glyph)
{
    if (!glyph)
        return false;
    *glyph = DOVOR_Glyph();
    platform::TextGlyph rendered;
    if (!font || !font->face->renderGlyph(codePoint, &rendered))
        return false;
    glyph->width = rendered.width;
    glyph->height = rendered.height;
    glyph->left = rendered.left;
    glyph->top = rendered.top;
    glyph->advanceX64 = rendered.advanceX64;
    glyph->advanceY64 = rendered.advanceY64;
    glyph->coverage = std::move(rendered.coverage);
    return true;
}
