#include "bitmap/core/Filters.h"

#include <gtest/gtest.h>

#include "tests/bitmap/PixelTestSupport.h"

namespace bitmap {
namespace {

using testing::makeBuffer;
using testing::makeRow;
using testing::rowOf;

struct HueCase {
  const char* name;
  Pixel in;
  int degrees;
  Pixel expected;
};

class HueChangeTest : public ::testing::TestWithParam<HueCase> {};

TEST_P(HueChangeTest, RotatesThroughHslInSinglePrecision) {
  const HueCase& c = GetParam();
  PixelBuffer pixels = makeRow({c.in, c.in, 0xFF000000});
  hueChange(pixels.view(), c.degrees);
  EXPECT_PIXEL(pixels.view().at(0, 0), c.expected) << c.name;
  EXPECT_PIXEL(pixels.view().at(1, 0), c.expected) << c.name << ", repeated pixel";
  EXPECT_PIXEL(pixels.view().at(2, 0), 0xFF000000) << "black has no hue";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HueChangeTest,
    ::testing::Values(
        // Pure red: l = 0.5, s = 1, C = 1, m = 0; the sector picks where C and X go.
        HueCase{"red to green", 0xFFFF0000, 120, 0xFF00FF00},
        HueCase{"red to blue", 0xFFFF0000, 240, 0xFF0000FF},
        HueCase{"full turn", 0xFFFF0000, 360, 0xFFFF0000},
        // fmod keeps the sign: H' = −120 falls into the last sector, (C, 0, X) with X = 0, so red stays red.
        HueCase{"negative rotation", 0xFFFF0000, -120, 0xFFFF0000},
        // Pink, H' = −10: (C, 0, X) with X = C·(1 − |fmod(−1/6, 2) − 1|) < 0, so blue drops below green's m·255
        // (a positive −10 would have put X on green). Single precision leaves red at 254.99… and m·255 at 127.99….
        HueCase{"negative rotation last sector", makePixel(255, 255, 128, 128), -10, makePixel(255, 254, 127, 106)},
        HueCase{"alpha kept", makePixel(100, 255, 0, 0), 120, makePixel(100, 0, 255, 0)},
        // Grey has no chroma: every channel is l·255 truncated.
        HueCase{"grey", makePixel(255, 128, 128, 128), 77, makePixel(255, 128, 128, 128)},
        // Orange: H = 60·fmod((128/255)/1, 6) = 30.1176…, H' = 90.1176…, X = 1 − |1.50196… − 1| = 0.49803…;
        // sector 60–120 gives (X, C, 0): red 0.49803…·255 = 126.99… → 127.
        HueCase{"orange", makePixel(255, 255, 128, 0), 60, makePixel(255, 127, 255, 0)},
        // H = 150, H' = 240 lands in the (X, 0, C) sector with X = 0; m = 0.156862… and m·255 = 39.99… → 39.
        HueCase{"truncated", makePixel(255, 40, 200, 120), 90, makePixel(255, 39, 39, 200)}),
    testing::CaseName());

TEST(HueChange, EachPixelKeepsItsOwnAlphaWhenColoursRepeat) {
  PixelBuffer pixels = makeRow({makePixel(100, 255, 0, 0), makePixel(200, 255, 0, 0), makePixel(0, 0, 255, 0),
                                makePixel(7, 255, 0, 0)});
  hueChange(pixels.view(), 120);
  EXPECT_EQ(rowOf(pixels), (std::vector<Pixel>{makePixel(100, 0, 255, 0), makePixel(200, 0, 255, 0),
                                               makePixel(0, 0, 0, 255), makePixel(7, 0, 255, 0)}));
}

TEST(Blur, WeighsTheCrossByAlphaWithTheCentreDoubled) {
  PixelBuffer pixels = makeBuffer(3, 3, 0xFF777777);
  auto at = [&](int x, int y) -> Pixel& { return pixels.view().at(x, y); };
  at(1, 0) = makePixel(255, 200, 0, 0);
  at(1, 2) = makePixel(255, 0, 100, 0);
  at(0, 1) = makePixel(255, 0, 0, 60);
  at(2, 1) = makePixel(255, 30, 30, 30);
  at(1, 1) = makePixel(255, 100, 100, 100);
  ASSERT_TRUE(blur(pixels.view()));
  // W = 6·255 = 1530; red (200 + 30 + 2·100)·255/1530 = 71, green (100 + 30 + 200)·255/1530 = 55,
  // blue (60 + 30 + 200)·255/1530 = 48, alpha 1530/6.
  EXPECT_PIXEL(at(1, 1), makePixel(255, 71, 55, 48));
  EXPECT_PIXEL(at(1, 0), makePixel(255, 200, 0, 0)) << "edges are kept";
  EXPECT_PIXEL(at(0, 0), 0xFF777777);
}

TEST(Blur, TransparentNeighboursDoNotColourTheResult) {
  PixelBuffer pixels = makeBuffer(3, 3, 0xFF000000);
  pixels.view().at(1, 0) = 0x00FFFFFF;
  pixels.view().at(1, 1) = makePixel(51, 255, 0, 0);
  ASSERT_TRUE(blur(pixels.view()));
  // W = 0 + 3·255 + 2·51 = 867; red 2·51·255/867 = 30; alpha 867/6 = 144.
  EXPECT_PIXEL(pixels.view().at(1, 1), makePixel(144, 30, 0, 0));
}

TEST(Blur, AllTransparentGivesTransparentBlack) {
  PixelBuffer pixels = makeBuffer(3, 3, 0x00FFFFFF);
  ASSERT_TRUE(blur(pixels.view()));
  EXPECT_PIXEL(pixels.view().at(1, 1), 0);
  EXPECT_PIXEL(pixels.view().at(0, 1), 0x00FFFFFF);
}

TEST(Blur, ReadsTheUnblurredPixelsAndKeepsTheBorder) {
  PixelBuffer pixels = makeBuffer(4, 3);
  pixels.view().at(1, 1) = 0xFFFFFFFF;
  ASSERT_TRUE(blur(pixels.view()));
  // (1, 1): W = 2·255, alpha 510/6 = 85. (2, 1) sees the original (1, 1) only: W = 255, alpha 42.
  EXPECT_PIXEL(pixels.view().at(1, 1), makePixel(85, 255, 255, 255));
  EXPECT_PIXEL(pixels.view().at(2, 1), makePixel(42, 255, 255, 255));
  for (int x = 0; x < 4; ++x) {
    EXPECT_EQ(pixels.view().at(x, 0), 0u);
    EXPECT_EQ(pixels.view().at(x, 2), 0u);
  }
  EXPECT_EQ(pixels.view().at(0, 1), 0u);
  EXPECT_EQ(pixels.view().at(3, 1), 0u);
}

TEST(Blur, TooSmallBitmapsAreAllBorder) {
  PixelBuffer pixels = makeRow({0xFFFFFFFF, 0, 0xFFFFFFFF});
  ASSERT_TRUE(blur(pixels.view()));
  EXPECT_EQ(rowOf(pixels), (std::vector<Pixel>{0xFFFFFFFF, 0, 0xFFFFFFFF}));
}

constexpr Pixel P0 = makePixel(255, 1, 2, 3);
constexpr Pixel P1 = makePixel(255, 30, 60, 90);
constexpr Pixel P2 = makePixel(10, 20, 30, 40);
constexpr Pixel P3 = makePixel(90, 90, 0, 30);

// On a 4 × 1 bitmap (centre 2, 0) a half-turn sweep with 3 samples reads the mirrored pixel twice and the pixel
// itself once; x = 0 mirrors outside; x = 2 is the centre.
TEST(RadialBlur, SamplesAlongTheArcInPlace) {
  PixelBuffer pixels = makeRow({P0, P1, P2, P3});
  radialBlur(pixels.view(), 360, 2);
  // x = 1: (2·P3 + P1)/3 = (145, 70, 20, 50). x = 3 reads the new x = 1: (2·(145, 70, 20, 50) + P3)/3.
  EXPECT_EQ(rowOf(pixels), (std::vector<Pixel>{P0, makePixel(145, 70, 20, 50), P2, makePixel(126, 76, 13, 43)}));
}

TEST(RadialBlur, AngleAndDivisionAreClamped) {
  PixelBuffer clamped = makeRow({P0, P1, P2, P3});
  radialBlur(clamped.view(), 720, 1);
  EXPECT_EQ(rowOf(clamped), (std::vector<Pixel>{P0, makePixel(145, 70, 20, 50), P2, makePixel(126, 76, 13, 43)}));
}

TEST(RadialBlur, ZeroAngleSamplesEachPixelItself) {
  PixelBuffer pixels = makeRow({P0, P1, P2, P3});
  radialBlur(pixels.view(), -30, 5);
  EXPECT_EQ(rowOf(pixels), (std::vector<Pixel>{P0, P1, P2, P3}));
}

// The samples are the pixel's offset from the centre turned by each sample's angle: with no angle every sample is
// the pixel itself, however far from the centre.
TEST(RadialBlur, ZeroAngleKeepsEveryPixelOfALargePicture) {
  PixelBuffer pixels = makeBuffer(200, 150);
  for (int y = 0; y < 150; ++y) {
    for (int x = 0; x < 200; ++x) pixels.view().at(x, y) = makePixel(255, x, y, (x * y) & 0xFF);
  }
  const PixelBuffer before = *copyPixels(pixels.view());
  radialBlur(pixels.view(), 0, 10);
  for (int y = 0; y < 150; ++y) ASSERT_EQ(rowOf(pixels, y), rowOf(before, y)) << "row " << y;
}

}  // namespace
}  // namespace bitmap
