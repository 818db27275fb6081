#include "platform/CoreTextFreeType.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>

namespace platform {

namespace {

const char* const kFontFolder = "/usr/share/fonts/truetype/dejavu/";

bool containsIgnoringCase(const std::string& haystack, const char* needle)
{
    const std::string lower = [&] {
        std::string s(haystack);
        for (char& c : s)
            c = char(std::tolower(static_cast<unsigned char>(c)));
        return s;
    }();
    return lower.find(needle) != std::string::npos;
}

std::string styledFileName(const char* family, bool bold, bool italic)
{
    std::string name(family);
    if (bold || italic)
        name += '-';
    if (bold)
        name += "Bold";
    if (italic)
        name += "Oblique";
    return name + ".ttf";
}

}  // namespace

bool IsMonospaceFaceName(const char* faceName)
{
    if (!faceName)
        return false;
    static const char* const kFixedPitch[] = {"mono", "courier", "monaco", "menlo", "consolas", "console",
                                              "fixed", "terminal"};
    const std::string name(faceName);
    return std::any_of(std::begin(kFixedPitch), std::end(kFixedPitch),
                       [&](const char* word) { return containsIgnoringCase(name, word); });
}

std::string FontFileForFace(const char* faceName, bool bold, bool italic)
{
    const char* family = IsMonospaceFaceName(faceName) ? "DejaVuSansMono" : "DejaVuSans";
    return std::string(kFontFolder) + styledFileName(family, bold, italic);
}

struct TextFace::Impl {
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    FT_Int32 loadFlags = FT_LOAD_DEFAULT;
    FT_Render_Mode renderMode = FT_RENDER_MODE_NORMAL;

    ~Impl()
    {
        if (face)
            FT_Done_Face(face);
        if (library)
            FT_Done_FreeType(library);
    }
};

TextFace::TextFace(std::unique_ptr<Impl> impl) : m_impl(std::move(impl)) {}
TextFace::~TextFace() = default;

std::unique_ptr<TextFace> TextFace::Open(const TextFaceRequest& request)
{
    auto impl = std::make_unique<Impl>();
    if (FT_Init_FreeType(&impl->library) != 0)
        return nullptr;
    std::string path = FontFileForFace(request.faceName, request.bold, request.italic);
    if (FT_New_Face(impl->library, path.c_str(), 0, &impl->face) != 0) {
        // A missing styled file falls back to the upright regular face.
        path = FontFileForFace(request.faceName, false, false);
        if (FT_New_Face(impl->library, path.c_str(), 0, &impl->face) != 0)
            return nullptr;
    }
    FT_Face face = impl->face;
    if (!FT_IS_SCALABLE(face) || face->units_per_EM == 0)
        return nullptr;

    const int height = request.height == 0 ? 12 : request.height;
    const double ascender = face->ascender;
    const double descender = -face->descender;
    const double unitsToPixels =
        height > 0 ? double(height) / (ascender + descender) : double(-height) / face->units_per_EM;
    const double emPixels = unitsToPixels * face->units_per_EM;
    if (!(emPixels >= 1.0) || emPixels > 4096.0)
        return nullptr;
    if (FT_Set_Char_Size(face, 0, FT_F26Dot6(std::lround(emPixels * 64.0)), 72, 72) != 0)
        return nullptr;

    if (request.escapementTenths % 3600 != 0) {
        const double angle = request.escapementTenths / 10.0 * M_PI / 180.0;
        FT_Matrix rotation;
        rotation.xx = FT_Fixed(std::lround(std::cos(angle) * 65536.0));
        rotation.xy = FT_Fixed(std::lround(-std::sin(angle) * 65536.0));
        rotation.yx = FT_Fixed(std::lround(std::sin(angle) * 65536.0));
        rotation.yy = FT_Fixed(std::lround(std::cos(angle) * 65536.0));
        FT_Set_Transform(face, &rotation, nullptr);
    }
    if (!request.antiAlias) {
        impl->loadFlags = FT_LOAD_TARGET_MONO;
        impl->renderMode = FT_RENDER_MODE_MONO;
    }

    std::unique_ptr<TextFace> result(new TextFace(std::move(impl)));
    result->m_ascent = int(std::lround(ascender * unitsToPixels));
    result->m_descent = height > 0 ? height - result->m_ascent : int(std::lround(descender * unitsToPixels));
    return result;
}

static void copyCoverage(const FT_Bitmap& bitmap, TextGlyph* glyph)
{
    glyph->width = int(bitmap.width);
    glyph->height = int(bitmap.rows);
    glyph->coverage.assign(size_t(glyph->width) * size_t(glyph->height), 0);
    for (int y = 0; y < glyph->height; ++y) {
        const unsigned char* row = bitmap.buffer + std::ptrdiff_t(y) * bitmap.pitch;
        uint8_t* out = glyph->coverage.data() + size_t(y) * size_t(glyph->width);
        for (int x = 0; x < glyph->width; ++x) {
            if (bitmap.pixel_mode == FT_PIXEL_MODE_MONO)
                out[x] = (row[x >> 3] & (0x80 >> (x & 7))) ? 255 : 0;
            else
                out[x] = row[x];
        }
    }
}

bool TextFace::renderGlyph(uint32_t codePoint, TextGlyph* glyph)
{
    *glyph = TextGlyph();
    FT_Face face = m_impl->face;
    const FT_UInt index = FT_Get_Char_Index(face, codePoint);
    if (index == 0)
        return false;
    if (FT_Load_Glyph(face, index, m_impl->loadFlags) != 0)
        return false;
    FT_GlyphSlot slot = face->glyph;
    if (slot->format != FT_GLYPH_FORMAT_BITMAP && FT_Render_Glyph(slot, m_impl->renderMode) != 0)
        return false;
    if (slot->bitmap.pixel_mode != FT_PIXEL_MODE_GRAY && slot->bitmap.pixel_mode != FT_PIXEL_MODE_MONO
        && slot->bitmap.rows != 0)
        return false;
    copyCoverage(slot->bitmap, glyph);
    glyph->left = slot->bitmap_left;
    glyph->top = slot->bitmap_top;
    glyph->advanceX64 = int(slot->advance.x);
    glyph->advanceY64 = -int(slot->advance.y);
    return true;
}

}  // namespace platform
