#include "PngWriter.h"

#include <png.h>

#include <cstdio>
#include <vector>

#include "zuve/zuve.h"

bool WriteBitmapPNG(const std::string& path, ZUVE_IBitmap* bitmap, bool keepAlpha)
{
    if (!bitmap || !bitmap->getBits() || bitmap->getWidth() <= 0 || bitmap->getHeight() <= 0)
        return false;
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    const int width = bitmap->getWidth();
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    const size_t channels = keepAlpha ? 4 : 3;
    std::vector<png_byte> row(static_cast<size_t>(width) * channels);
    volatile bool ok = false;
    if (png && info && setjmp(png_jmpbuf(png)) == 0) {
        png_init_io(png, file);
        png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(bitmap->getHeight()), 8,
                     keepAlpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                     PNG_FILTER_TYPE_DEFAULT);
        // The editor decodes every image at each start: flat pictures compress
        // well unfiltered, and unfiltered rows with zlib's fast matcher inflate
        // several times quicker than adaptive filters at the default level.
        png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
        png_set_compression_level(png, 3);
        png_write_info(png, info);
        for (int y = 0; y < bitmap->getHeight(); ++y) {
            const unsigned int* pixels = bitmap->getBits() + static_cast<size_t>(y) * bitmap->getRowSpan();
            for (int x = 0; x < width; ++x) {
                png_byte* out = &row[static_cast<size_t>(x) * channels];
                out[0] = static_cast<png_byte>(ZUVE_GETR(pixels[x]));
                out[1] = static_cast<png_byte>(ZUVE_GETG(pixels[x]));
                out[2] = static_cast<png_byte>(ZUVE_GETB(pixels[x]));
                if (keepAlpha)
                    out[3] = static_cast<png_byte>(ZUVE_GETA(pixels[x]));
            }
            png_write_row(png, row.data());
        }
        png_write_end(png, nullptr);
        ok = true;
    }
    png_destroy_write_struct(&png, &info);
    return std::fclose(file) == 0 && ok;
}
