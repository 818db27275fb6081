#pragma once
// Core Text stand-in: opens a font face by name on FreeType and renders single
// glyphs as 8-bit coverage images. Face names are mapped onto the DejaVu fonts:
// monospace faces to DejaVu Sans Mono, all others to DejaVu Sans.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace platform {

// True for the names of fixed-pitch faces ("Monaco", "Menlo", "Courier",
// "Consolas", anything with "Mono" in it...), ignoring case.
bool IsMonospaceFaceName(const char* faceName);

// The DejaVu file that stands in for faceName with that weight and slant.
std::string FontFileForFace(const char* faceName, bool bold, bool italic);

struct TextGlyph {
    int width = 0;
    int height = 0;
    int left = 0;        // from the pen to the image's left column
    int top = 0;         // from the baseline up to the image's top row
    int advanceX64 = 0;  // pen movement in 1/64 pixel, y pointing down
    int advanceY64 = 0;
    std::vector<uint8_t> coverage;  // width x height, rows packed
};

struct TextFaceRequest {
    const char* faceName = "";
    int height = 12;             // > 0 cell height (ascent + descent), < 0 em size, in pixels
    bool bold = false;
    bool italic = false;
    int escapementTenths = 0;    // baseline angle, counter-clockwise
    bool antiAlias = true;
};

// One sized face. Each face has its own FreeType instance, so different faces
// may be used from different threads; one face belongs to one thread at a time.
class TextFace {
public:
    // Null when no font file can be opened or the size is unusable.
    static std::unique_ptr<TextFace> Open(const TextFaceRequest& request);
    ~TextFace();
    TextFace(const TextFace&) = delete;
    TextFace& operator=(const TextFace&) = delete;

    int ascent() const { return m_ascent; }
    int descent() const { return m_descent; }
    int lineHeight() const { return m_ascent + m_descent; }

    // False (glyph emptied) when the face has no glyph for codePoint.
    bool renderGlyph(uint32_t codePoint, TextGlyph* glyph);

private:
    struct Impl;
    explicit TextFace(std::unique_ptr<Impl> impl);

    std::unique_ptr<Impl> m_impl;
    int m_ascent = 0;
    int m_descent = 0;
};

}  // namespace platform
