// The pixel model: how copy, add, colour dodge, source alpha and weight combine.
#include <gtest/gtest.h>

#include "BitmapTestSupport.h"

namespace {

// Blends one source pixel onto one destination pixel and returns the result.
unsigned int blendOne(unsigned int dst, unsigned int src, float weight, int mode)
{
    ZUVE_MemBitmap d(1, 1), s(1, 1);
    fillBitmap(&d, dst);
    fillBitmap(&s, src);
    ZUVE_Blit(&d, &s, 0, 0, 0, 0, 1, 1, weight, mode);
    return pixelAt(&d, 0, 0);
}

TEST(BlendModes, PixelPacksAlphaRedGreenBlueFromTheLowestByte)
{
    const unsigned int pixel = ZUVE_RGBA(0x11, 0x22, 0x33, 0x44);
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(&pixel);
    EXPECT_EQ(bytes[0], 0x44);
    EXPECT_EQ(bytes[1], 0x11);
    EXPECT_EQ(bytes[2], 0x22);
    EXPECT_EQ(bytes[3], 0x33);
    EXPECT_EQ(pixel, 0x33221144u);
}

TEST(BlendModes, CopyAtFullWeightStoresTheSourceExactlyAlphaIncluded)
{
    EXPECT_EQ(blendOne(ZUVE_RGBA(1, 2, 3, 255), ZUVE_RGBA(200, 100, 50, 7), 1.f, ZUVE_BLIT_MODE_COPY),
              ZUVE_RGBA(200, 100, 50, 7));
}

TEST(BlendModes, CopyAtHalfWeightMixesEveryChannelEvenly)
{
    EXPECT_EQ(blendOne(ZUVE_RGBA(100, 100, 100, 255), ZUVE_RGBA(200, 0, 100, 255), 0.5f, ZUVE_BLIT_MODE_COPY),
              ZUVE_RGBA(150, 50, 100, 255));
}

TEST(BlendModes, AddSaturatesAt255)
{
    EXPECT_EQ(blendOne(ZUVE_RGBA(200, 10, 0, 100), ZUVE_RGBA(100, 20, 255, 200), 1.f, ZUVE_BLIT_MODE_ADD),
              ZUVE_RGBA(255, 30, 255, 255));
}

TEST(BlendModes, AddAtHalfWeightAddsHalfTheSource)
{
    EXPECT_EQ(blendOne(ZUVE_RGBA(10, 200, 0, 0), ZUVE_RGBA(100, 100, 255, 0), 0.5f, ZUVE_BLIT_MODE_ADD),
              ZUVE_RGBA(60, 250, 128, 0));
}

TEST(BlendModes, ColourDodgeBrightensByTheInverseOfTheSource)
{
    // 100 * 255 / (255 - 128) = 200; a white source gives white; black stays black.
    EXPECT_EQ(blendOne(ZUVE_RGBA(100, 100, 0, 255), ZUVE_RGBA(128, 255, 200, 0), 1.f, ZUVE_BLIT_MODE_DODGE),
              ZUVE_RGBA(200, 255, 0, 255));
}

TEST(BlendModes, SourceAlphaZeroLeavesTheDestination)
{
    const unsigned int dst = ZUVE_RGBA(1, 2, 3, 4);
    for (int mode : {ZUVE_BLIT_MODE_COPY, ZUVE_BLIT_MODE_ADD, ZUVE_BLIT_MODE_DODGE})
        EXPECT_EQ(blendOne(dst, ZUVE_RGBA(255, 255, 255, 0), 1.f, mode | ZUVE_BLIT_USE_ALPHA), dst) << mode;
}

TEST(BlendModes, SourceAlphaMixesColoursAndComposesAlphaOverTheDestination)
{
    // f = 128/255 of full weight (quantised to 128/256): colours mix halfway,
    // alpha goes halfway from the destination's alpha to opaque.
    EXPECT_EQ(blendOne(ZUVE_RGBA(0, 0, 0, 0), ZUVE_RGBA(200, 100, 255, 128), 1.f,
                       ZUVE_BLIT_MODE_COPY | ZUVE_BLIT_USE_ALPHA),
              ZUVE_RGBA(100, 50, 128, 128));
}

TEST(BlendModes, SourceAlphaAndWeightMultiply)
{
    // Opaque source at weight 0.5 and half-alpha source at weight 1 give the same colour.
    const unsigned int dst = ZUVE_RGBA(0, 0, 0, 255);
    const int mode = ZUVE_BLIT_MODE_COPY | ZUVE_BLIT_USE_ALPHA;
    EXPECT_EQ(blendOne(dst, ZUVE_RGBA(200, 200, 200, 255), 0.5f, mode), ZUVE_RGBA(100, 100, 100, 255));
    EXPECT_EQ(blendOne(dst, ZUVE_RGBA(200, 200, 200, 255), 0.25f, mode), ZUVE_RGBA(50, 50, 50, 255));
}

TEST(BlendModes, AddWithSourceAlphaWeightsTheColourByThatAlpha)
{
    EXPECT_EQ(blendOne(ZUVE_RGBA(10, 10, 10, 0), ZUVE_RGBA(200, 100, 0, 128), 1.f,
                       ZUVE_BLIT_MODE_ADD | ZUVE_BLIT_USE_ALPHA),
              ZUVE_RGBA(110, 60, 10, 128));
}

TEST(BlendModes, WeightZeroAndNegativeWeightDrawNothing)
{
    const unsigned int dst = ZUVE_RGBA(9, 8, 7, 6);
    EXPECT_EQ(blendOne(dst, ZUVE_RGBA(255, 255, 255, 255), 0.f, ZUVE_BLIT_MODE_COPY), dst);
    EXPECT_EQ(blendOne(dst, ZUVE_RGBA(255, 255, 255, 255), -1.f, ZUVE_BLIT_MODE_ADD), dst);
}

TEST(BlendModes, UnknownModeByteCopies)
{
    EXPECT_EQ(blendOne(0, ZUVE_RGBA(1, 2, 3, 4), 1.f, 7), ZUVE_RGBA(1, 2, 3, 4));
}

TEST(BlendModes, FillRectUsesTheColourAsSource)
{
    ZUVE_MemBitmap d(2, 1);
    fillBitmap(&d, ZUVE_RGBA(100, 100, 100, 255));
    ZUVE_FillRect(&d, 0, 0, 1, 1, ZUVE_RGBA(200, 0, 100, 255), 0.5f, ZUVE_BLIT_MODE_COPY);
    EXPECT_EQ(pixelAt(&d, 0, 0), ZUVE_RGBA(150, 50, 100, 255));
    EXPECT_EQ(pixelAt(&d, 1, 0), ZUVE_RGBA(100, 100, 100, 255));
}

}  // namespace
