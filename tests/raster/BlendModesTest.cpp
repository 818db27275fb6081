// The pixel model: how copy, add, colour dodge, source alpha and weight combine.
#include <gtest/gtest.h>

#include <vector>

#include "BitmapTestSupport.h"

namespace {

constexpr unsigned int rgba(int r, int g, int b, int a) { return ZUVE_RGBA(r, g, b, a); }

unsigned int blendOne(unsigned int dst, unsigned int src, float weight, int mode)
{
    FilledBitmap d(1, 1, dst), s(1, 1, src);
    ZUVE_Blit(&d, &s, 0, 0, 0, 0, 1, 1, weight, mode);
    return pixelAt(&d, 0, 0);
}

TEST(BlendModes, PixelsPackAlphaRedGreenBlueFromTheLowestByteAndEachModeWeightAndSourceAlphaCombineAsDocumented)
{
    const unsigned int pixel = rgba(0x11, 0x22, 0x33, 0x44);
    EXPECT_EQ(std::vector<unsigned char>((unsigned char*)&pixel, (unsigned char*)&pixel + 4),
        (std::vector<unsigned char>{0x44, 0x11, 0x22, 0x33}));
    const int copy = ZUVE_BLIT_MODE_COPY, add = ZUVE_BLIT_MODE_ADD, dodge = ZUVE_BLIT_MODE_DODGE;
    const int alpha = ZUVE_BLIT_USE_ALPHA;
    const struct {
        const char* what;
        unsigned int dst, src;
        float weight;
        int mode;
        unsigned int expected;
    } cases[] = {
        {"copy keeps source alpha", rgba(1, 2, 3, 255), rgba(200, 100, 50, 7), 1.f, copy, rgba(200, 100, 50, 7)},
        {"copy at half weight", rgba(100, 100, 100, 255), rgba(200, 0, 100, 255), 0.5f, copy, rgba(150, 50, 100, 255)},
        {"add saturates", rgba(200, 10, 0, 100), rgba(100, 20, 255, 200), 1.f, add, rgba(255, 30, 255, 255)},
        {"add at half weight", rgba(10, 200, 0, 0), rgba(100, 100, 255, 0), 0.5f, add, rgba(60, 250, 128, 0)},
        // 100 * 255 / (255 - 128) = 200; a white source gives white; black stays black.
        {"dodge", rgba(100, 100, 0, 255), rgba(128, 255, 200, 0), 1.f, dodge, rgba(200, 255, 0, 255)},
        // 128/255 quantised to 128/256: colours mix halfway, alpha goes halfway to opaque.
        {"source alpha", rgba(0, 0, 0, 0), rgba(200, 100, 255, 128), 1.f, copy | alpha, rgba(100, 50, 128, 128)},
        {"alpha x 0.5", rgba(0, 0, 0, 255), rgba(200, 200, 200, 255), 0.5f, copy | alpha, rgba(100, 100, 100, 255)},
        {"alpha x 0.25", rgba(0, 0, 0, 255), rgba(200, 200, 200, 255), 0.25f, copy | alpha, rgba(50, 50, 50, 255)},
        {"add with alpha", rgba(10, 10, 10, 0), rgba(200, 100, 0, 128), 1.f, add | alpha, rgba(110, 60, 10, 128)},
        {"weight zero", rgba(9, 8, 7, 6), rgba(255, 255, 255, 255), 0.f, copy, rgba(9, 8, 7, 6)},
        {"negative weight", rgba(9, 8, 7, 6), rgba(255, 255, 255, 255), -1.f, add, rgba(9, 8, 7, 6)},
        {"unknown mode copies", 0, rgba(1, 2, 3, 4), 1.f, 7, rgba(1, 2, 3, 4)},
        {"alpha 0 copy", rgba(1, 2, 3, 4), rgba(255, 255, 255, 0), 1.f, copy | alpha, rgba(1, 2, 3, 4)},
        {"alpha 0 add", rgba(1, 2, 3, 4), rgba(255, 255, 255, 0), 1.f, add | alpha, rgba(1, 2, 3, 4)},
        {"alpha 0 dodge", rgba(1, 2, 3, 4), rgba(255, 255, 255, 0), 1.f, dodge | alpha, rgba(1, 2, 3, 4)},
    };
    for (const auto& c : cases)
        EXPECT_EQ(blendOne(c.dst, c.src, c.weight, c.mode), c.expected) << c.what;
}

// Rows take runs of transparent and opaque pixels four at a time; every mode
// and weight still gives what blending each pixel alone gives.
TEST(BlendModes, RowBlitsMatchPixelByPixelBlendingAcrossRunsOfAnyAlpha)
{
    const int alphas[] = {0, 0, 0, 0, 255, 255, 255, 255, 0, 255, 0, 0, 128, 1, 254, 255, 255, 255, 255, 255, 0, 7, 0};
    const int n = int(std::size(alphas));
    ZUVE_MemBitmap src(n, 1);
    paint(&src, [&](int x, int) { return rgba(x * 11, 200 - x * 3, x * x % 256, alphas[x]); });
    const int alpha = ZUVE_BLIT_USE_ALPHA;
    for (int mode : {alpha, alpha | ZUVE_BLIT_MODE_ADD, alpha | ZUVE_BLIT_MODE_DODGE, int(ZUVE_BLIT_MODE_COPY)})
        for (float weight : {1.f, 0.5f}) {
            FilledBitmap row(n, 1, rgba(90, 30, 60, 200)), each(n, 1, rgba(90, 30, 60, 200));
            ZUVE_Blit(&row, &src, 0, 0, 0, 0, n, 1, weight, mode);
            for (int x = 0; x < n; ++x)
                ZUVE_PutPixel(&each, x, 0, pixelAt(&src, x, 0), weight, mode);
            EXPECT_EQ(pixels(&row), pixels(&each)) << mode << " " << weight;
        }
}

}  // namespace
