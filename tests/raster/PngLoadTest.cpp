// PNG decoding: each colour type, 16 bits and interlacing become A, R, G, B;
// broken input gives null. The test writes its own files with libpng.
#include <gtest/gtest.h>
#include <png.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "BitmapTestSupport.h"
#include "zuve/zuve_png.h"

namespace {

using Bytes = std::vector<unsigned char>;

struct PngPicture {
    int colorType = PNG_COLOR_TYPE_RGB, bitDepth = 8;
    std::vector<Bytes> rows;  // raw sample bytes per row; the image is as wide as row 0 holds pixels
    std::vector<png_color> palette = {};
    Bytes paletteAlpha = {};
    const png_color_16* colourKey = nullptr;  // samples that stand for transparent
    int width = 2;
    bool interlaced = false;
};

Bytes encode(const PngPicture& picture)
{
    Bytes out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_set_write_fn(png, &out, [](png_structp p, png_bytep data, png_size_t n) {
        static_cast<Bytes*>(png_get_io_ptr(p))->insert(static_cast<Bytes*>(png_get_io_ptr(p))->end(), data, data + n);
    }, nullptr);
    png_set_IHDR(png, info, picture.width, png_uint_32(picture.rows.size()), picture.bitDepth, picture.colorType,
                 picture.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    if (!picture.palette.empty())
        png_set_PLTE(png, info, picture.palette.data(), int(picture.palette.size()));
    if (!picture.paletteAlpha.empty() || picture.colourKey)
        png_set_tRNS(png, info, picture.paletteAlpha.data(), int(picture.paletteAlpha.size()),
                     const_cast<png_color_16*>(picture.colourKey));
    png_write_info(png, info);
    std::vector<png_bytep> rows;
    for (const Bytes& row : picture.rows)
        rows.push_back(const_cast<png_bytep>(row.data()));
    png_write_image(png, rows.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

// Loads the bytes from memory or by path, from a file of their own.
std::unique_ptr<ZUVE_IBitmap> load(const Bytes& bytes, bool byPath = false)
{
    if (!byPath)
        return std::unique_ptr<ZUVE_IBitmap>(ZUVE_LoadPNGFromMemory(bytes.data(), bytes.size()));
    const std::string path = testing::TempDir() + "zuve_png_" + std::to_string(::getpid()) + ".png";
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    std::unique_ptr<ZUVE_IBitmap> bitmap(ZUVE_LoadPNG(path.c_str()));
    std::remove(path.c_str());
    return bitmap;
}

// Sixteen bits are scaled after the colour key is compared at full depth.
TEST(PngLoad, EachColourTypeBecomesUnpremultipliedPixelsAndSixteenBitsScaleDownAfterTheColourKey)
{
    const png_color_16 key{0, 0x1234, 0x5678, 0x9abc, 0};
    const struct {
        const char* what;
        PngPicture picture;
        std::vector<std::tuple<int, int, unsigned int>> pixels;
    } cases[] = {
        {"rgb", {PNG_COLOR_TYPE_RGB, 8, {{255, 0, 0, 0, 255, 0}, {0, 0, 255, 10, 20, 30}}},
            {{0, 0, ZUVE_RGBA(255, 0, 0, 255)}, {1, 0, ZUVE_RGBA(0, 255, 0, 255)}, {1, 1, ZUVE_RGBA(10, 20, 30, 255)}}},
        {"rgba", {PNG_COLOR_TYPE_RGB_ALPHA, 8, {{200, 100, 50, 0, 1, 2, 3, 128}, {0, 0, 0, 255, 9, 8, 7, 6}}},
            {{0, 0, ZUVE_RGBA(200, 100, 50, 0)}, {1, 0, ZUVE_RGBA(1, 2, 3, 128)}, {1, 1, ZUVE_RGBA(9, 8, 7, 6)}}},
        {"4-bit palette", {PNG_COLOR_TYPE_PALETTE, 4, {{0x01}, {0x10}}, {{10, 20, 30}, {40, 50, 60}}, {0}},
            {{0, 0, ZUVE_RGBA(10, 20, 30, 0)}, {1, 0, ZUVE_RGBA(40, 50, 60, 255)}, {0, 1, ZUVE_RGBA(40, 50, 60, 255)}}},
        {"grey", {PNG_COLOR_TYPE_GRAY, 8, {{0, 77}, {200, 255}}}, {{1, 0, ZUVE_RGBA(77, 77, 77, 255)}}},
        {"16-bit grey alpha", {PNG_COLOR_TYPE_GRAY_ALPHA, 16, {{0xFF, 0xFF, 0x80, 0x80, 0, 0, 0xFF, 0xFF}, Bytes(8)}},
            {{0, 0, ZUVE_RGBA(255, 255, 255, 0x80)}, {1, 0, ZUVE_RGBA(0, 0, 0, 255)}}},
        // Row 1 is one blue step off the key.
        {"16-bit keyed rgb", {PNG_COLOR_TYPE_RGB, 16, {{0x12, 0x34, 0x56, 0x78, 0x9a, 0xbc, 0xff, 0xff, 0, 0, 0x80,
            0x80}, {0x12, 0x34, 0x56, 0x78, 0x9a, 0xbd, 0, 0, 0, 0, 0, 0}}, {}, {}, &key},
            {{0, 0, ZUVE_RGBA(0x12, 0x56, 0x9a, 0)}, {1, 0, ZUVE_RGBA(255, 0, 0x80, 255)},
                {0, 1, ZUVE_RGBA(0x12, 0x56, 0x9a, 255)}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::unique_ptr<ZUVE_IBitmap> bitmap = load(encode(c.picture), &c == &cases[0]);
        ASSERT_NE(bitmap, nullptr);
        EXPECT_TRUE(bitmap->getWidth() == 2 && bitmap->getHeight() == 2);
        for (const auto& [x, y, pixel] : c.pixels)
            EXPECT_EQ(pixelAt(bitmap.get(), x, y), pixel) << x << "," << y;
    }
}

TEST(PngLoad, InterlacedImageMatchesTheSameImageUninterlaced)
{
    PngPicture picture{PNG_COLOR_TYPE_RGB_ALPHA, 8, {}};
    picture.width = 9;
    picture.rows.resize(9);
    for (int i = 0; i < 81; ++i)  // pixel (x, y) = (i % 9, i / 9)
        picture.rows[size_t(i / 9)].insert(picture.rows[size_t(i / 9)].end(),
            {png_byte(i % 9 * 20), png_byte(i / 9 * 20), png_byte(i % 9 + i / 9), png_byte(255 - i % 9)});
    const Bytes plain = encode(picture);
    picture.interlaced = true;
    const Bytes interlaced = encode(picture);
    ASSERT_NE(plain, interlaced);
    ZUVE_MemBitmap a, b;
    ASSERT_EQ(ZUVE_LoadPNGFromMemory(plain.data(), plain.size(), &a), &a);
    ASSERT_EQ(ZUVE_LoadPNGFromMemory(interlaced.data(), interlaced.size(), &b), &b);
    ASSERT_EQ(pixels(&b), pixels(&a));
    EXPECT_EQ(pixelAt(&b, 8, 8), ZUVE_RGBA(160, 160, 16, 247));
}

TEST(PngLoad, MissingNonPngTruncatedAndDamagedFilesGiveNull)
{
    EXPECT_EQ(ZUVE_LoadPNG("/nonexistent/zuve/none.png"), nullptr);
    EXPECT_EQ(ZUVE_LoadPNG(nullptr), nullptr);
    EXPECT_EQ(load({'h', 'e', 'l', 'l', 'o', ' ', 'p', 'n', 'g', '!'}, true), nullptr);
    PngPicture picture{PNG_COLOR_TYPE_RGB, 8, std::vector<Bytes>(32, Bytes(96, 0x5a))};
    picture.width = 32;
    const Bytes whole = encode(picture);
    for (size_t cut : {size_t(8), size_t(30), whole.size() / 2, whole.size() - 13})
        EXPECT_EQ(load(Bytes(whole.begin(), whole.begin() + long(cut))), nullptr) << cut;
    Bytes damaged = whole;
    damaged[whole.size() / 2] ^= 0xff;  // inside the image data: checksum fails
    EXPECT_EQ(load(damaged), nullptr);
}

}  // namespace
