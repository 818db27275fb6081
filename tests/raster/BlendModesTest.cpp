// The pixel model: how copy, add, colour dodge, source alpha and weight combine.
#include <gtest/gtest.h>

#include <vector>

#include "BitmapTestSupport.h"

namespace {

// Blends one source pixel onto one destination pixel and returns the result.
unsigned int blendOne(unsigned int dst, unsigned int src, float weight, int mode)
{
    FilledBitmap d(1, 1, dst), s(1, 1, src);
    ZUVE_Blit(&d, &s, 0, 0, 0, 0, 1, 1, weight, mode);
    return pixelAt(&d, 0, 0);
}

TEST(BlendModes, PixelPacksAlphaRedGreenBlueFromTheLowestByte)
{
    const unsigned int pixel = ZUVE_RGBA(0x11, 0x22, 0x33, 0x44);
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(&pixel);
    EXPECT_EQ(std::vector<unsigned char>(bytes, bytes + 4), (std::vector<unsigned char>{0x44, 0x11, 0x22, 0x33}));
}

TEST(BlendModes, EachModeWeightAndSourceAlphaCombineAsDocumented)
{
    const int copy = ZUVE_BLIT_MODE_COPY, add = ZUVE_BLIT_MODE_ADD, alpha = ZUVE_BLIT_USE_ALPHA;
    struct Case {
        const char* what;
        unsigned int dst, src;
        float weight;
        int mode;
        unsigned int expected;
    };
    const Case cases[] = {
        {"copy stores the source, alpha included", ZUVE_RGBA(1, 2, 3, 255), ZUVE_RGBA(200, 100, 50, 7), 1.f, copy,
            ZUVE_RGBA(200, 100, 50, 7)},
        {"copy at half weight mixes evenly", ZUVE_RGBA(100, 100, 100, 255), ZUVE_RGBA(200, 0, 100, 255), 0.5f, copy,
            ZUVE_RGBA(150, 50, 100, 255)},
        {"add saturates at 255", ZUVE_RGBA(200, 10, 0, 100), ZUVE_RGBA(100, 20, 255, 200), 1.f, add,
            ZUVE_RGBA(255, 30, 255, 255)},
        {"add at half weight adds half", ZUVE_RGBA(10, 200, 0, 0), ZUVE_RGBA(100, 100, 255, 0), 0.5f, add,
            ZUVE_RGBA(60, 250, 128, 0)},
        // 100 * 255 / (255 - 128) = 200; a white source gives white; black stays black.
        {"dodge brightens by the inverse", ZUVE_RGBA(100, 100, 0, 255), ZUVE_RGBA(128, 255, 200, 0), 1.f,
            ZUVE_BLIT_MODE_DODGE, ZUVE_RGBA(200, 255, 0, 255)},
        // f = 128/255 of full weight (quantised to 128/256): colours mix halfway,
        // alpha goes halfway from the destination's alpha to opaque.
        {"source alpha mixes and composes alpha", ZUVE_RGBA(0, 0, 0, 0), ZUVE_RGBA(200, 100, 255, 128), 1.f,
            copy | alpha, ZUVE_RGBA(100, 50, 128, 128)},
        {"source alpha and weight multiply (0.5)", ZUVE_RGBA(0, 0, 0, 255), ZUVE_RGBA(200, 200, 200, 255), 0.5f,
            copy | alpha, ZUVE_RGBA(100, 100, 100, 255)},
        {"source alpha and weight multiply (0.25)", ZUVE_RGBA(0, 0, 0, 255), ZUVE_RGBA(200, 200, 200, 255), 0.25f,
            copy | alpha, ZUVE_RGBA(50, 50, 50, 255)},
        {"add weights the colour by source alpha", ZUVE_RGBA(10, 10, 10, 0), ZUVE_RGBA(200, 100, 0, 128), 1.f,
            add | alpha, ZUVE_RGBA(110, 60, 10, 128)},
        {"weight zero draws nothing", ZUVE_RGBA(9, 8, 7, 6), ZUVE_RGBA(255, 255, 255, 255), 0.f, copy,
            ZUVE_RGBA(9, 8, 7, 6)},
        {"negative weight draws nothing", ZUVE_RGBA(9, 8, 7, 6), ZUVE_RGBA(255, 255, 255, 255), -1.f, add,
            ZUVE_RGBA(9, 8, 7, 6)},
        {"unknown mode byte copies", 0, ZUVE_RGBA(1, 2, 3, 4), 1.f, 7, ZUVE_RGBA(1, 2, 3, 4)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(blendOne(c.dst, c.src, c.weight, c.mode), c.expected);
    }
    for (int mode : {copy, add, int(ZUVE_BLIT_MODE_DODGE)})
        EXPECT_EQ(blendOne(ZUVE_RGBA(1, 2, 3, 4), ZUVE_RGBA(255, 255, 255, 0), 1.f, mode | alpha),
            ZUVE_RGBA(1, 2, 3, 4)) << "source alpha zero leaves the destination, mode " << mode;
}

// Rows take runs of transparent and opaque pixels four at a time; every mode
// and weight still gives what blending each pixel alone gives.
TEST(BlendModes, RowBlitsMatchPixelByPixelBlendingAcrossRunsOfAnyAlpha)
{
    const int alphas[] = {0, 0, 0, 0, 255, 255, 255, 255, 0, 255, 0, 0, 128, 1, 254, 255, 255, 255, 255, 255, 0, 7, 0};
    const int n = int(sizeof alphas / sizeof alphas[0]);
    ZUVE_MemBitmap src(n, 1);
    for (int x = 0; x < n; ++x)
        ZUVE_PutPixel(&src, x, 0, ZUVE_RGBA(x * 11, 200 - x * 3, x * x % 256, alphas[x]), 1.f, 0);
    for (int mode : {ZUVE_BLIT_USE_ALPHA, ZUVE_BLIT_USE_ALPHA | ZUVE_BLIT_MODE_ADD, ZUVE_BLIT_USE_ALPHA | ZUVE_BLIT_MODE_DODGE,
             ZUVE_BLIT_MODE_COPY}) {
        for (float weight : {1.f, 0.5f}) {
            FilledBitmap row(n, 1, ZUVE_RGBA(90, 30, 60, 200)), each(n, 1, ZUVE_RGBA(90, 30, 60, 200));
            ZUVE_Blit(&row, &src, 0, 0, 0, 0, n, 1, weight, mode);
            for (int x = 0; x < n; ++x)
                ZUVE_PutPixel(&each, x, 0, pixelAt(&src, x, 0), weight, mode);
            for (int x = 0; x < n; ++x)
                EXPECT_EQ(pixelAt(&row, x, 0), pixelAt(&each, x, 0)) << "mode " << mode << " weight " << weight << " x " << x;
        }
    }
}

}  // namespace
