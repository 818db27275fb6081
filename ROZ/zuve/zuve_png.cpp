// PNG decoding on libpng: every image becomes bytes A, R, G, B per pixel.
#include "zuve/zuve_png.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "zuve/mem_bitmap.h"

namespace {

// Images beyond these limits are refused before any pixel memory is taken.
constexpr png_uint_32 kMaxSide = 16384;
constexpr unsigned long long kMaxPixels = 32ull * 1024 * 1024;

struct MemoryReader {
    const png_byte* data;
    size_t size;
    size_t offset;
};

void readFromMemory(png_structp png, png_bytep out, png_size_t count)
{
    auto* reader = static_cast<MemoryReader*>(png_get_io_ptr(png));
    if (count > reader->size - reader->offset)
        png_error(png, "truncated");
    std::copy(reader->data + reader->offset, reader->data + reader->offset + count, out);
    reader->offset += count;
}

void failQuietly(png_structp png, png_const_charp)
{
    png_longjmp(png, 1);
}

void ignoreWarning(png_structp, png_const_charp) {}

// 8-bit RGBA, the form of every image the editor ships, is read as it is and
// turned into A, R, G, B here: libpng's per-byte swap costs several times more.
bool isPlainRgba(png_structp png, png_infop info)
{
    return png_get_color_type(png, info) == PNG_COLOR_TYPE_RGB_ALPHA && png_get_bit_depth(png, info) == 8;
}

// Bytes R, G, B, A become A, R, G, B: one rotation of the little-endian word.
void rgbaToArgb(unsigned int* pixels, size_t count)
{
    static_assert(sizeof(unsigned int) == 4, "pixels are 32-bit words");
    size_t i = 0;
#if defined(__SSE2__)
    for (; i + 4 <= count; i += 4) {
        auto* at = reinterpret_cast<__m128i*>(pixels + i);
        const __m128i v = _mm_loadu_si128(at);
        _mm_storeu_si128(at, _mm_or_si128(_mm_slli_epi32(v, 8), _mm_srli_epi32(v, 24)));
    }
#endif
    for (; i < count; ++i)
        pixels[i] = (pixels[i] << 8) | (pixels[i] >> 24);
}

// Asks libpng for 8-bit A, R, G, B whatever the file holds.
void requestArgb(png_structp png, png_infop info)
{
    const int colorType = png_get_color_type(png, info);
    if (png_get_bit_depth(png, info) == 16)
        png_set_scale_16(png);
    png_set_expand(png);  // palette to RGB, low-depth grey to 8 bits, tRNS to alpha
    if (colorType == PNG_COLOR_TYPE_GRAY || colorType == PNG_COLOR_TYPE_GRAY_ALPHA)
        png_set_gray_to_rgb(png);
    if (!(colorType & PNG_COLOR_MASK_ALPHA) && !png_get_valid(png, info, PNG_INFO_tRNS))
        png_set_filler(png, 0xff, PNG_FILLER_BEFORE);
    else
        png_set_swap_alpha(png);
}

// Holds no object with a destructor: libpng leaves it by longjmp on errors.
// A bitmap of our own (own, the same object as into) is not zeroed first:
// every pixel is decoded into it, and it is deleted when decoding fails.
bool decode(png_structp png, png_infop info, ZUVE_IBitmap* into, ZUVE_MemBitmap* own)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_set_user_limits(png, kMaxSide, kMaxSide);
    // Every chunk's CRC is still checked, so damaged data fails all the same;
    // zlib's second checksum over the inflated pixels only added cost.
    png_set_option(png, PNG_IGNORE_ADLER32, PNG_OPTION_ON);
    png_read_info(png, info);
    const png_uint_32 width = png_get_image_width(png, info), height = png_get_image_height(png, info);
    if (width == 0 || height == 0 || (unsigned long long)width * height > kMaxPixels)
        return false;
    const bool plainRgba = isPlainRgba(png, info);
    if (!plainRgba)
        requestArgb(png, info);
    const int passes = png_set_interlace_handling(png);
    png_read_update_info(png, info);
    if (png_get_rowbytes(png, info) != size_t(width) * 4)
        return false;
    const bool sized = own ? own->resizeForOverwrite(int(width), int(height)) : into->resize(int(width), int(height));
    if (!sized || into->getRowSpan() < int(width))
        return false;
    unsigned int* bits = into->getBits();
    const size_t span = size_t(into->getRowSpan());
    for (int pass = 0; pass < passes; ++pass) {
        for (png_uint_32 y = 0; y < height; ++y) {
            png_read_row(png, reinterpret_cast<png_bytep>(bits + y * span), nullptr);
            // While the row is still in the cache; interlaced rows are whole only after the last pass.
            if (plainRgba && pass == passes - 1)
                rgbaToArgb(bits + y * span, width);
        }
    }
    png_read_end(png, nullptr);
    return true;
}

}  // namespace

ZUVE_IBitmap* ZUVE_LoadPNGFromMemory(const void* data, size_t size, ZUVE_IBitmap* into)
{
    if (!data || size < 8 || png_sig_cmp(static_cast<png_const_bytep>(data), 0, 8) != 0)
        return nullptr;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, failQuietly, ignoreWarning);
    if (!png)
        return nullptr;
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        return nullptr;
    }
    MemoryReader reader{static_cast<const png_byte*>(data), size, 0};
    png_set_read_fn(png, &reader, readFromMemory);

    ZUVE_MemBitmap* own = into ? nullptr : new ZUVE_MemBitmap(0, 0, 4);
    ZUVE_IBitmap* target = into ? into : own;
    const bool ok = decode(png, info, target, own);
    png_destroy_read_struct(&png, &info, nullptr);
    if (ok)
        return target;
    if (!into)
        delete target;
    return nullptr;
}

ZUVE_IBitmap* ZUVE_LoadPNG(const char* path, ZUVE_IBitmap* into)
{
    if (!path)
        return nullptr;
    FILE* file = std::fopen(path, "rb");
    if (!file)
        return nullptr;
    std::vector<unsigned char> bytes;
    unsigned char chunk[65536];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0)
        bytes.insert(bytes.end(), chunk, chunk + got);
    std::fclose(file);
    return ZUVE_LoadPNGFromMemory(bytes.data(), bytes.size(), into);
}
