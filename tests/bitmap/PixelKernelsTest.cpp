#include "bitmap/core/PixelKernels.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

#include "bitmap/core/Filters.h"
#include "tests/bitmap/PixelTestSupport.h"

namespace bitmap {
namespace {

// The formulas as written, one pixel at a time: every kernel must give exactly these results.
Pixel referenceComposite(Pixel d, Pixel s, int opacity) {
  const int sa = alphaOf(s) * opacity / 255;
  const int da = (255 - sa) * alphaOf(d) / 255;
  const int a = sa + da;
  if (a == 0) return d;
  const auto mix = [&](int sc, int dc) { return (sa * sc + da * dc) / a; };
  return makePixel(a, mix(redOf(s), redOf(d)), mix(greenOf(s), greenOf(d)), mix(blueOf(s), blueOf(d)));
}

Pixel referenceHue(Pixel pixel, int degrees) {
  const float r = static_cast<float>(redOf(pixel)) / 255.0f;
  const float g = static_cast<float>(greenOf(pixel)) / 255.0f;
  const float b = static_cast<float>(blueOf(pixel)) / 255.0f;
  const float maximum = std::max({r, g, b}), minimum = std::min({r, g, b});
  const float chroma = maximum - minimum;
  const float lightness = (maximum + minimum) / 2.0f;
  float hue = 0.0f;
  if (chroma != 0.0f) {
    if (maximum == r) {
      hue = 60.0f * std::fmod((g - b) / chroma, 6.0f);
    } else if (maximum == g) {
      hue = 60.0f * ((b - r) / chroma + 2.0f);
    } else {
      hue = 60.0f * ((r - g) / chroma + 4.0f);
    }
  }
  const float spread = 1.0f - std::fabs(2.0f * lightness - 1.0f);
  const float saturation = chroma != 0.0f ? chroma / spread : 0.0f;
  const float rotated = std::fmod(static_cast<float>(degrees) + hue, 360.0f);
  const float c = spread * saturation;
  const float x = c * (1.0f - std::fabs(std::fmod(rotated / 60.0f, 2.0f) - 1.0f));
  const float m = lightness - c / 2.0f;
  float rgb[3] = {c, 0, x};
  if (rotated >= 0.0f && rotated < 60.0f) rgb[0] = c, rgb[1] = x, rgb[2] = 0;
  if (rotated >= 60.0f && rotated < 120.0f) rgb[0] = x, rgb[1] = c, rgb[2] = 0;
  if (rotated >= 120.0f && rotated < 180.0f) rgb[0] = 0, rgb[1] = c, rgb[2] = x;
  if (rotated >= 180.0f && rotated < 240.0f) rgb[0] = 0, rgb[1] = x, rgb[2] = c;
  if (rotated >= 240.0f && rotated < 300.0f) rgb[0] = x, rgb[1] = 0, rgb[2] = c;
  const auto channel = [&](float v) { return std::min(static_cast<int>(std::max(0.0f, m + v) * 255.0f), 255); };
  return makePixel(alphaOf(pixel), channel(rgb[0]), channel(rgb[1]), channel(rgb[2]));
}

// Rows that reach each shortcut: runs of opaque and of transparent sources, opaque destinations, and noise.
std::vector<Pixel> mixedRow(std::mt19937& random, int length, bool opaqueDestination) {
  std::vector<Pixel> row(static_cast<std::size_t>(length));
  const int kind = static_cast<int>(random() % 4);
  for (Pixel& p : row) {
    p = random();
    if (kind == 1 || opaqueDestination) p |= 0xFF000000;
    if (kind == 2) p &= 0x00FFFFFF;
  }
  return row;
}

class PixelKernelsTest : public ::testing::TestWithParam<const PixelKernels*> {};

TEST_P(PixelKernelsTest, CompositeRowMatchesTheFormula) {
  std::mt19937 random(7);
  for (int round = 0; round < 400; ++round) {
    const int length = static_cast<int>(random() % 40);
    const int opacity = round % 5 == 0 ? 255 : 1 + static_cast<int>(random() % 255);
    const std::vector<Pixel> source = mixedRow(random, length, false);
    std::vector<Pixel> destination = mixedRow(random, length, round % 2 == 0);
    std::vector<Pixel> expected(destination.size());
    for (std::size_t i = 0; i < expected.size(); ++i)
      expected[i] = referenceComposite(destination[i], source[i], opacity);
    GetParam()->compositeRow(destination.data(), source.data(), length, opacity);
    ASSERT_EQ(destination, expected) << "round " << round << ", opacity " << opacity;
  }
}

TEST_P(PixelKernelsTest, GatherRowReadsEachColumn) {
  std::mt19937 random(3);
  std::vector<Pixel> in(37);
  for (Pixel& p : in) p = random();
  // Enlarged, mirrored, shrunk, and reaching the last source pixel.
  for (const auto& columns : {std::vector<int>{0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6},
                              std::vector<int>{20, 20, 19, 18, 18, 17, 16, 16, 15, 14},
                              std::vector<int>{0, 3, 6, 9, 12, 15, 18, 21, 24, 27, 30, 33, 36},
                              std::vector<int>{30, 31, 31, 32, 33, 33, 34, 35, 35, 36, 36}}) {
    std::vector<Pixel> out(columns.size());
    GetParam()->gatherRow(out.data(), in.data(), static_cast<int>(in.size()), columns.data(),
                          static_cast<int>(columns.size()));
    for (std::size_t j = 0; j < columns.size(); ++j) ASSERT_EQ(out[j], in[static_cast<std::size_t>(columns[j])]);
  }
}

TEST_P(PixelKernelsTest, BlurRowMatchesTheFormula) {
  std::mt19937 random(5);
  constexpr int kWidth = 29;
  std::vector<Pixel> rows[3];
  std::vector<float> planes[3];
  PlanarRow planar[3];
  for (int r = 0; r < 3; ++r) rows[r] = mixedRow(random, kWidth, false);
  rows[0][4] = rows[2][4] = rows[1][3] = rows[1][4] = rows[1][5] = 0x00FFFFFF;  // (4, 1) sees only transparency
  for (int r = 0; r < 3; ++r) {
    planes[r].resize(4 * kWidth);
    float* base = planes[r].data();
    planar[r] = {base, base + kWidth, base + 2 * kWidth, base + 3 * kWidth};
    GetParam()->premultiplyRow(rows[r].data(), kWidth, planar[r]);
  }
  std::vector<Pixel> out(kWidth, 0x12345678);
  GetParam()->blurRow(out.data(), planar[0], planar[1], planar[2], 1, kWidth - 1);
  for (int x = 1; x < kWidth - 1; ++x) {
    const Pixel cross[5] = {rows[0][x], rows[2][x], rows[1][x - 1], rows[1][x + 1], rows[1][x]};
    int total = 0, red = 0, green = 0, blue = 0;
    for (int i = 0; i < 5; ++i) {
      const int w = (i == 4 ? 2 : 1) * alphaOf(cross[i]);
      total += w, red += w * redOf(cross[i]), green += w * greenOf(cross[i]), blue += w * blueOf(cross[i]);
    }
    const Pixel expected = total == 0 ? 0 : makePixel(total / 6, red / total, green / total, blue / total);
    ASSERT_EQ(testing::describe(out[x]), testing::describe(expected)) << "x = " << x;
  }
  EXPECT_EQ(out[0], 0x12345678u) << "columns outside first … last are not written";
  EXPECT_EQ(out[kWidth - 1], 0x12345678u);
}

TEST_P(PixelKernelsTest, HueRowMatchesTheFormula) {
  std::mt19937 random(11);
  std::vector<Pixel> colours(2000);
  for (Pixel& p : colours) p = random();
  for (int i = 0; i < 256; ++i) colours[static_cast<std::size_t>(i)] = makePixel(i, i, i, 255 - i);  // greys, edges
  for (const int degrees : {0, 1, 37, 90, 180, 359, 360, -1, -120, -360, 361, 725, -1000, 100000}) {
    std::vector<Pixel> pixels = colours;
    GetParam()->hueRow(pixels.data(), static_cast<int>(pixels.size()), degrees);
    int mismatches = 0;
    for (std::size_t i = 0; i < pixels.size(); ++i) mismatches += pixels[i] != referenceHue(colours[i], degrees);
    EXPECT_EQ(mismatches, 0) << degrees << " degrees";
  }
}

TEST_P(PixelKernelsTest, RadialSamplesMatchThePlainKernel) {
  std::mt19937 random(13);
  const PixelKernels& plain = *supportedPixelKernels().front();
  for (int round = 0; round < 50; ++round) {
    std::vector<float> cosines, sines;
    for (int k = 0; k < 1 + round % 12; ++k) {
      const double turn = static_cast<double>(random() % 6284) / 1000.0 - 3.142;
      cosines.push_back(static_cast<float>(std::cos(turn)));
      sines.push_back(static_cast<float>(std::sin(turn)));
    }
    const int width = 1 + static_cast<int>(random() % 300), height = 1 + static_cast<int>(random() % 300);
    const RadialSampling sampling{cosines.data(), sines.data(), static_cast<int>(cosines.size()),
                                  width / 2,      height / 2,   width,
                                  height,         width + 3};
    const int x = static_cast<int>(random() % static_cast<unsigned>(width));
    const int y = static_cast<int>(random() % static_cast<unsigned>(height));
    std::vector<int> expected(cosines.size() * kRadialBlock), actual(expected.size());
    plain.radialSamples(sampling, x, y, expected.data());
    GetParam()->radialSamples(sampling, x, y, actual.data());
    ASSERT_EQ(actual, expected) << "round " << round;
  }
}

INSTANTIATE_TEST_SUITE_P(Supported, PixelKernelsTest, ::testing::ValuesIn(supportedPixelKernels()),
                         [](const auto& info) { return std::string(info.param->name); });

// The whole filter, its row ring included, against the formula over a copy.
TEST(BlurPicture, MatchesTheFormulaOverTheUnblurredPicture) {
  std::mt19937 random(17);
  PixelBuffer pixels = testing::makeBuffer(45, 7);
  for (int y = 0; y < 7; ++y) {
    for (int x = 0; x < 45; ++x) pixels.view().at(x, y) = random() % 3 == 0 ? 0 : random();
  }
  const PixelBuffer before = *copyPixels(pixels.view());
  ASSERT_TRUE(blur(pixels.view()));
  const PixelKernels& plain = *supportedPixelKernels().front();
  std::vector<float> planes(12 * 45);
  for (int y = 1; y < 6; ++y) {
    PlanarRow rows[3];
    for (int r = 0; r < 3; ++r) {
      float* base = planes.data() + 4 * 45 * r;
      rows[r] = {base, base + 45, base + 90, base + 135};
      plain.premultiplyRow(before.view().row(y - 1 + r), 45, rows[r]);
    }
    std::vector<Pixel> expected(before.view().row(y), before.view().row(y) + 45);
    plain.blurRow(expected.data(), rows[0], rows[1], rows[2], 1, 44);
    EXPECT_EQ(testing::rowOf(pixels, y), expected) << "row " << y;
  }
}

}  // namespace
}  // namespace bitmap
