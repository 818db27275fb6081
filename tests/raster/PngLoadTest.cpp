// PNG decoding: each colour type, 16 bits and interlacing become A, R, G, B;
// broken input gives null. The test writes its own files with libpng.
#include <gtest/gtest.h>
#include <png.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "BitmapTestSupport.h"
#include "zuve/zuve_png.h"

namespace {

struct PngSpec {
    int width = 2, height = 2;
    int colorType = PNG_COLOR_TYPE_RGB;
    int bitDepth = 8;
    bool interlaced = false;
    std::vector<png_color> palette;
    std::vector<png_byte> paletteAlpha;
    bool hasColourKey = false;
    png_color_16 colourKey{};  // grey or RGB samples that stand for transparent
    std::vector<std::vector<png_byte>> rows;  // raw sample bytes per row
};

std::vector<unsigned char> encode(const PngSpec& spec)
{
    std::vector<unsigned char> out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_set_write_fn(
        png, &out,
        [](png_structp p, png_bytep data, png_size_t n) {
            auto* v = static_cast<std::vector<unsigned char>*>(png_get_io_ptr(p));
            v->insert(v->end(), data, data + n);
        },
        nullptr);
    png_set_IHDR(png, info, spec.width, spec.height, spec.bitDepth, spec.colorType,
                 spec.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    if (!spec.palette.empty())
        png_set_PLTE(png, info, spec.palette.data(), int(spec.palette.size()));
    if (!spec.paletteAlpha.empty())
        png_set_tRNS(png, info, spec.paletteAlpha.data(), int(spec.paletteAlpha.size()), nullptr);
    if (spec.hasColourKey)
        png_set_tRNS(png, info, nullptr, 0, const_cast<png_color_16*>(&spec.colourKey));
    png_write_info(png, info);
    std::vector<png_bytep> rows;
    for (const auto& row : spec.rows)
        rows.push_back(const_cast<png_bytep>(row.data()));
    png_write_image(png, rows.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

std::unique_ptr<ZUVE_IBitmap> load(const PngSpec& spec)
{
    const std::vector<unsigned char> bytes = encode(spec);
    return std::unique_ptr<ZUVE_IBitmap>(ZUVE_LoadPNGFromMemory(bytes.data(), bytes.size()));
}

// Loads the bytes by path, from a file of their own.
std::unique_ptr<ZUVE_IBitmap> loadFile(const std::vector<unsigned char>& bytes)
{
    const std::string path = testing::TempDir() + "zuve_png_" + std::to_string(::getpid()) + ".png";
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    std::unique_ptr<ZUVE_IBitmap> bitmap(ZUVE_LoadPNG(path.c_str()));
    std::remove(path.c_str());
    return bitmap;
}

struct Expected {
    int x, y;
    unsigned int pixel;
};

void expectPixels(ZUVE_IBitmap* bitmap, std::initializer_list<Expected> pixels)
{
    ASSERT_NE(bitmap, nullptr);
    for (const Expected& e : pixels)
        EXPECT_EQ(pixelAt(bitmap, e.x, e.y), e.pixel) << e.x << "," << e.y;
}

TEST(PngLoad, RgbRgbaAndPaletteBecomeUnpremultipliedPixels)
{
    PngSpec rgb;
    rgb.rows = {{255, 0, 0, 0, 255, 0}, {0, 0, 255, 10, 20, 30}};
    std::unique_ptr<ZUVE_IBitmap> bitmap = loadFile(encode(rgb));
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(bitmap->getWidth(), 2);
    EXPECT_EQ(bitmap->getHeight(), 2);
    expectPixels(bitmap.get(), {{0, 0, ZUVE_RGBA(255, 0, 0, 255)}, {1, 0, ZUVE_RGBA(0, 255, 0, 255)},
                                   {1, 1, ZUVE_RGBA(10, 20, 30, 255)}});

    PngSpec rgba;
    rgba.colorType = PNG_COLOR_TYPE_RGB_ALPHA;
    rgba.rows = {{200, 100, 50, 0, 1, 2, 3, 128}, {0, 0, 0, 255, 9, 8, 7, 6}};
    expectPixels(load(rgba).get(), {{0, 0, ZUVE_RGBA(200, 100, 50, 0)}, {1, 0, ZUVE_RGBA(1, 2, 3, 128)},
                                       {1, 1, ZUVE_RGBA(9, 8, 7, 6)}});

    PngSpec palette;
    palette.colorType = PNG_COLOR_TYPE_PALETTE;
    palette.bitDepth = 4;
    palette.palette = {{10, 20, 30}, {40, 50, 60}};
    palette.paletteAlpha = {0};
    palette.rows = {{0x01}, {0x10}};  // two 4-bit indices per byte
    expectPixels(load(palette).get(), {{0, 0, ZUVE_RGBA(10, 20, 30, 0)}, {1, 0, ZUVE_RGBA(40, 50, 60, 255)},
                                          {0, 1, ZUVE_RGBA(40, 50, 60, 255)}});
}

// Sixteen bits are scaled after the colour key is compared at full depth.
TEST(PngLoad, GreySpreadsToAllThreeColoursAndSixteenBitsScaleDownAfterTheColourKey)
{
    PngSpec grey;
    grey.colorType = PNG_COLOR_TYPE_GRAY;
    grey.rows = {{0, 77}, {200, 255}};
    expectPixels(load(grey).get(), {{1, 0, ZUVE_RGBA(77, 77, 77, 255)}});

    PngSpec greyAlpha;
    greyAlpha.colorType = PNG_COLOR_TYPE_GRAY_ALPHA;
    greyAlpha.bitDepth = 16;
    greyAlpha.rows = {{0xFF, 0xFF, 0x80, 0x80, 0x00, 0x00, 0xFF, 0xFF}, {0x12, 0x34, 0, 0, 0, 0, 0, 0}};
    expectPixels(load(greyAlpha).get(), {{0, 0, ZUVE_RGBA(255, 255, 255, 0x80)}, {1, 0, ZUVE_RGBA(0, 0, 0, 255)}});

    PngSpec keyed;
    keyed.bitDepth = 16;
    keyed.hasColourKey = true;
    keyed.colourKey.red = 0x1234, keyed.colourKey.green = 0x5678, keyed.colourKey.blue = 0x9abc;
    keyed.rows = {{0x12, 0x34, 0x56, 0x78, 0x9a, 0xbc, 0xff, 0xff, 0x00, 0x00, 0x80, 0x80},
        {0x12, 0x34, 0x56, 0x78, 0x9a, 0xbd, 0, 0, 0, 0, 0, 0}};
    auto bitmap = load(keyed);
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(ZUVE_GETA(pixelAt(bitmap.get(), 0, 0)), 0);
    EXPECT_EQ(pixelAt(bitmap.get(), 1, 0), ZUVE_RGBA(255, 0, 0x80, 255));
    EXPECT_EQ(ZUVE_GETA(pixelAt(bitmap.get(), 0, 1)), 255);  // one blue step off the key
}

TEST(PngLoad, InterlacedImageMatchesTheSameImageUninterlaced)
{
    PngSpec spec;
    spec.width = 9;
    spec.height = 9;
    spec.colorType = PNG_COLOR_TYPE_RGB_ALPHA;
    for (int y = 0; y < 9; ++y) {
        std::vector<png_byte> row;
        for (int x = 0; x < 9; ++x)
            row.insert(row.end(), {png_byte(x * 20), png_byte(y * 20), png_byte(x + y), png_byte(255 - x)});
        spec.rows.push_back(row);
    }
    std::vector<unsigned char> plain = encode(spec);
    spec.interlaced = true;
    std::vector<unsigned char> interlaced = encode(spec);
    ASSERT_NE(plain, interlaced);
    ZUVE_MemBitmap a, b;
    ASSERT_EQ(ZUVE_LoadPNGFromMemory(plain.data(), plain.size(), &a), &a);
    ASSERT_EQ(ZUVE_LoadPNGFromMemory(interlaced.data(), interlaced.size(), &b), &b);
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 9; ++x)
            ASSERT_EQ(pixelAt(&b, x, y), pixelAt(&a, x, y)) << x << "," << y;
    EXPECT_EQ(pixelAt(&b, 8, 8), ZUVE_RGBA(160, 160, 16, 247));
}

TEST(PngLoad, MissingNonPngTruncatedAndDamagedFilesGiveNull)
{
    EXPECT_EQ(ZUVE_LoadPNG("/nonexistent/zuve/none.png"), nullptr);
    EXPECT_EQ(ZUVE_LoadPNG(nullptr), nullptr);
    const std::vector<unsigned char> text = {'h', 'e', 'l', 'l', 'o', ' ', 'p', 'n', 'g', '!'};
    EXPECT_EQ(loadFile(text), nullptr);

    PngSpec spec;
    spec.width = spec.height = 32;
    spec.rows.assign(32, std::vector<png_byte>(96, 0x5a));
    const std::vector<unsigned char> whole = encode(spec);
    for (size_t cut : {size_t(8), size_t(30), whole.size() / 2, whole.size() - 13}) {
        std::vector<unsigned char> truncated(whole.begin(), whole.begin() + cut);
        EXPECT_EQ(ZUVE_LoadPNGFromMemory(truncated.data(), truncated.size()), nullptr) << cut;
    }
    std::vector<unsigned char> damaged = whole;
    damaged[whole.size() / 2] ^= 0xff;  // inside the image data: checksum fails
    EXPECT_EQ(ZUVE_LoadPNGFromMemory(damaged.data(), damaged.size()), nullptr);
}

}  // namespace
