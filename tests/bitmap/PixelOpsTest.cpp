#include "bitmap/core/PixelOps.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "tests/bitmap/PixelTestSupport.h"

namespace bitmap {
namespace {

using testing::makeBuffer;
using testing::makeRow;
using testing::rowOf;

// Each pixel of a position grid is unique, so a read tells which pixel it came from.
Pixel marker(int x, int y) { return makePixel(255, x, y, 7); }

PixelBuffer markedGrid(int width, int height) {
  PixelBuffer grid = makeBuffer(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) grid.view().at(x, y) = marker(x, y);
  }
  return grid;
}

struct ClampCase {
  int x, y;
  int expectedX, expectedY;
};

class PixelAccessTest : public ::testing::TestWithParam<ClampCase> {};

TEST_P(PixelAccessTest, GetPixelReadsTheNearestEdgePixel) {
  const ClampCase& c = GetParam();
  const PixelBuffer grid = markedGrid(32, 32);
  EXPECT_PIXEL(getPixel(grid.view(), c.x, c.y), marker(c.expectedX, c.expectedY));
}

TEST_P(PixelAccessTest, SetPixelWritesOnlyTheNearestEdgePixel) {
  const ClampCase& c = GetParam();
  PixelBuffer grid = markedGrid(32, 32);
  setPixel(grid.view(), c.x, c.y, 0x12345678);
  for (int y = 0; y < 32; ++y) {
    for (int x = 0; x < 32; ++x) {
      const bool target = x == c.expectedX && y == c.expectedY;
      EXPECT_EQ(grid.view().at(x, y), target ? 0x12345678u : marker(x, y)) << x << "," << y;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Positions, PixelAccessTest,
                         ::testing::Values(ClampCase{-5, 1000, 0, 31}, ClampCase{40, -3, 31, 0},
                                           ClampCase{5, 6, 5, 6}, ClampCase{31, 31, 31, 31},
                                           ClampCase{-2147483647 - 1, 2147483647, 0, 31}));

struct FillCase {
  PixelRect rect;
  PixelRect expected;  // the pixels that change, by hand
};

class FillRectTest : public ::testing::TestWithParam<FillCase> {};

TEST_P(FillRectTest, FillsOnlyTheIntersectionWithTheBitmap) {
  const FillCase& c = GetParam();
  PixelBuffer canvas = makeBuffer(100, 100, 0x01020304);
  fillRect(canvas.view(), c.rect, 0xFF00FF00);
  for (int y = 0; y < 100; ++y) {
    for (int x = 0; x < 100; ++x) {
      const bool inside = x >= c.expected.x && x < c.expected.x + c.expected.width && y >= c.expected.y &&
                          y < c.expected.y + c.expected.height;
      ASSERT_EQ(canvas.view().at(x, y), inside ? 0xFF00FF00u : 0x01020304u) << x << "," << y;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Rectangles, FillRectTest,
                         ::testing::Values(FillCase{{-10, 0, 20, 5}, {0, 0, 10, 5}},
                                           FillCase{{95, 97, 10, 10}, {95, 97, 5, 3}},
                                           FillCase{{10, 10, 0, 5}, {}}, FillCase{{10, 10, -5, 5}, {}},
                                           FillCase{{120, 0, 5, 5}, {}}, FillCase{{0, -30, 5, 20}, {}},
                                           FillCase{{-5, -5, 200, 200}, {0, 0, 100, 100}}));

TEST(Clear, ClearRectAndClearMakeTransparentBlack) {
  PixelBuffer canvas = makeBuffer(4, 2, 0xFFFFFFFF);
  clearRect(canvas.view(), {1, 0, 2, 1});
  EXPECT_EQ(rowOf(canvas, 0), (std::vector<Pixel>{0xFFFFFFFF, 0, 0, 0xFFFFFFFF}));
  EXPECT_EQ(rowOf(canvas, 1), (std::vector<Pixel>(4, 0xFFFFFFFF)));
  clear(canvas.view());
  EXPECT_EQ(rowOf(canvas, 1), (std::vector<Pixel>(4, 0)));
}

struct GradientCase {
  const char* name;
  PixelRect rect;
  Pixel first, last;
  bool vertical;
  std::vector<Pixel> expected;  // along the gradient's direction, from the bitmap's first pixel
};

class GradientTest : public ::testing::TestWithParam<GradientCase> {};

TEST_P(GradientTest, StepsPerChannelWithTruncation) {
  const GradientCase& c = GetParam();
  PixelBuffer canvas = makeBuffer(c.vertical ? 1 : 4, c.vertical ? 4 : 1, 0x11111111);
  gradientFillRect(canvas.view(), c.rect, c.first, c.last, c.vertical);
  std::vector<Pixel> actual;
  for (int i = 0; i < 4; ++i) actual.push_back(c.vertical ? canvas.view().at(0, i) : canvas.view().at(i, 0));
  EXPECT_EQ(actual, c.expected) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, GradientTest,
    ::testing::Values(
        GradientCase{"black to white", {0, 0, 4, 1}, 0xFF000000, 0xFFFFFFFF, false,
                     {0xFF000000, 0xFF3F3F3F, 0xFF7F7F7F, 0xFFBFBFBF}},
        GradientCase{"vertical", {0, 0, 1, 4}, 0xFF000000, 0xFFFFFFFF, true,
                     {0xFF000000, 0xFF3F3F3F, 0xFF7F7F7F, 0xFFBFBFBF}},
        // Alpha is a channel like the others.
        GradientCase{"alpha too", {0, 0, 4, 1}, 0x00000000, 0xFFFFFFFF, false,
                     {0x00000000, 0x3F3F3F3F, 0x7F7F7F7F, 0xBFBFBFBF}},
        // Columns left of the bitmap are counted, so the visible part starts mid-way.
        GradientCase{"counted left", {-2, 0, 4, 1}, 0xFF000000, 0xFFFFFFFF, false,
                     {0xFF7F7F7F, 0xFFBFBFBF, 0x11111111, 0x11111111}},
        // The width is cut at the right edge before the steps are counted.
        GradientCase{"cut right", {2, 0, 10, 1}, 0xFF000000, 0xFFFFFFFF, false,
                     {0x11111111, 0x11111111, 0xFF000000, 0xFF7F7F7F}},
        GradientCase{"empty", {0, 0, 0, 1}, 0xFF000000, 0xFFFFFFFF, false,
                     {0x11111111, 0x11111111, 0x11111111, 0x11111111}}),
    testing::CaseName());

struct CompositeCase {
  const char* name;
  Pixel source, destination;
  int opacity;
  Pixel expected;
};

class BlitCompositionTest : public ::testing::TestWithParam<CompositeCase> {};

TEST_P(BlitCompositionTest, MixesWithStraightAlpha) {
  const CompositeCase& c = GetParam();
  PixelBuffer destination = makeRow({c.destination});
  const PixelBuffer source = makeRow({c.source});
  blt(destination.view(), 0, 0, source.view(), {0, 0, 1, 1}, c.opacity);
  EXPECT_PIXEL(destination.view().at(0, 0), c.expected) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BlitCompositionTest,
    ::testing::Values(
        // sa = 255·128/255 = 128, da = 127·255/255 = 127: red 128·255/255, blue 127·255/255.
        CompositeCase{"half red over blue", 0xFFFF0000, 0xFF0000FF, 128, makePixel(255, 128, 0, 127)},
        CompositeCase{"transparent source", 0x00FF0000, 0x80123456, 255, 0x80123456},
        CompositeCase{"opaque replaces", 0xFF102030, 0x80405060, 255, 0xFF102030},
        // sa = 100, da = 155: red 100·255/255, blue 155·255/255.
        CompositeCase{"translucent source", makePixel(100, 255, 0, 0), 0xFF0000FF, 255, makePixel(255, 100, 0, 155)},
        // Onto nothing the source colour is kept exactly, not premultiplied.
        CompositeCase{"onto transparent", makePixel(128, 200, 100, 50), 0, 255, makePixel(128, 200, 100, 50)},
        // sa = 200, da = 55·100/255 = 21, a = 221: red 200·255/221 = 230, blue 21·255/221 = 24.
        CompositeCase{"both translucent", makePixel(200, 255, 0, 0), makePixel(100, 0, 0, 255), 255,
                      makePixel(221, 230, 0, 24)},
        CompositeCase{"opacity above 255 clamps", 0xFFFF0000, 0xFF0000FF, 300, 0xFFFF0000},
        CompositeCase{"negative opacity clamps", 0xFFFF0000, 0xFF0000FF, -5, 0xFF0000FF},
        // Both transparent: a = 0 leaves the destination's colour bytes alone.
        CompositeCase{"nothing onto nothing", 0x00FFFFFF, 0x00ABCDEF, 255, 0x00ABCDEF}),
    testing::CaseName());

constexpr Pixel A = 0xFFAA0000, B = 0xFF00BB00, C = 0xFF0000CC, D = 0xFFDDDDDD, Z = 0x00000000;

TEST(BlitGeometry, NegativeDestinationOriginSkipsTheHiddenSourceColumns) {
  PixelBuffer destination = makeBuffer(4, 1);
  const PixelBuffer source = makeRow({A, B, C, D});
  blt(destination.view(), -2, 0, source.view(), {0, 0, 4, 1});
  EXPECT_EQ(rowOf(destination), (std::vector<Pixel>{C, D, Z, Z}));
}

TEST(BlitGeometry, SourcePixelsOutsideTheSourceAreSkipped) {
  PixelBuffer destination = makeBuffer(4, 1);
  const PixelBuffer source = makeRow({A, B});
  blt(destination.view(), 0, 0, source.view(), {-1, 0, 4, 1});
  EXPECT_EQ(rowOf(destination), (std::vector<Pixel>{Z, A, B, Z}));
}

TEST(BlitGeometry, DestinationIsCutAtTheRightAndBottom) {
  PixelBuffer destination = makeBuffer(4, 2);
  PixelBuffer source = makeBuffer(2, 2, A);
  blt(destination.view(), 3, 1, source.view(), {0, 0, 2, 2});
  EXPECT_EQ(rowOf(destination, 0), (std::vector<Pixel>{Z, Z, Z, Z}));
  EXPECT_EQ(rowOf(destination, 1), (std::vector<Pixel>{Z, Z, Z, A}));
}

TEST(BlitGeometry, EmptyOrInvertedDestinationDrawsNothing) {
  PixelBuffer destination = makeBuffer(4, 1);
  const PixelBuffer source = makeRow({A, B});
  stretchBlt(destination.view(), {-3, 0, 0, 1}, source.view(), {0, 0, 2, 1});
  stretchBlt(destination.view(), {-3, -1, 5, 0}, source.view(), {0, 0, 2, 1});
  stretchBlt(destination.view(), {2, 0, -2, 1}, source.view(), {0, 0, 2, 1});
  EXPECT_EQ(rowOf(destination), (std::vector<Pixel>{Z, Z, Z, Z}));
}

TEST(StretchBlt, EnlargesByNearestNeighbour) {
  PixelBuffer destination = makeBuffer(4, 1);
  const PixelBuffer source = makeRow({A, B});
  stretchBlt(destination.view(), {0, 0, 4, 1}, source.view(), {0, 0, 2, 1});
  // column j takes source j·2/4: 0, 0, 1, 1
  EXPECT_EQ(rowOf(destination), (std::vector<Pixel>{A, A, B, B}));
}

TEST(StretchBlt, ShrinksByNearestNeighbour) {
  PixelBuffer destination = makeBuffer(2, 1);
  const PixelBuffer source = makeRow({A, B, C, D});
  stretchBlt(destination.view(), {0, 0, 2, 1}, source.view(), {0, 0, 4, 1});
  // column j takes source j·4/2: 0, 2
  EXPECT_EQ(rowOf(destination), (std::vector<Pixel>{A, C}));
}

TEST(StretchBlt, NegativeOriginMovesTheSourceStartByTheTruncatedScaledAmount) {
  PixelBuffer destination = makeBuffer(4, 1);
  const PixelBuffer source = makeRow({A, B});
  // sx1 −= 2·(−1)/4, which truncates to 0; then columns 0..2 take 0 + j·2/4: 0, 0, 1.
  stretchBlt(destination.view(), {-1, 0, 4, 1}, source.view(), {0, 0, 2, 1});
  EXPECT_EQ(rowOf(destination), (std::vector<Pixel>{A, A, B, Z}));
}

TEST(StretchBlt, NegativeRowOriginMovesTheSourceRow) {
  PixelBuffer destination = makeBuffer(1, 2);
  PixelBuffer source = makeBuffer(1, 2);
  source.view().at(0, 0) = A;
  source.view().at(0, 1) = B;
  // sy1 −= (−3)·2/4 = −1, so sy1 = 1; the one visible row (dy2 = 1) takes source row 1.
  stretchBlt(destination.view(), {0, -3, 1, 4}, source.view(), {0, 0, 1, 2});
  EXPECT_EQ(destination.view().at(0, 0), B);
  EXPECT_EQ(destination.view().at(0, 1), Z);
}

TEST(StretchBlt, OpacityAppliesWhenScaling) {
  PixelBuffer destination = makeBuffer(2, 1, 0xFF0000FF);
  const PixelBuffer source = makeRow({0xFFFF0000});
  stretchBlt(destination.view(), {0, 0, 2, 1}, source.view(), {0, 0, 1, 1}, 128);
  EXPECT_PIXEL(destination.view().at(1, 0), makePixel(255, 128, 0, 127));
}

TEST(BlitGeometry, BlitOntoItselfReadsTheOriginalPixels) {
  PixelBuffer pixels = makeRow({A, B, C, D});
  blt(pixels.view(), 1, 0, pixels.view(), {0, 0, 3, 1});
  EXPECT_EQ(rowOf(pixels), (std::vector<Pixel>{A, A, B, C}));
}

TEST(TiledBlt, RepeatsTheSourceFromTheClampedStart) {
  PixelBuffer destination = makeBuffer(5, 2);
  PixelBuffer source = makeBuffer(2, 1);
  source.view().at(0, 0) = A;
  source.view().at(1, 0) = B;
  tiledBlt(destination.view(), {-1, 0, 9, 2}, source.view(), {0, 0, 2, 1});
  EXPECT_EQ(rowOf(destination, 0), (std::vector<Pixel>{A, B, A, B, A}));
  EXPECT_EQ(rowOf(destination, 1), (std::vector<Pixel>{A, B, A, B, A}));
}

TEST(TiledBlt, CompositesOverTheDestination) {
  PixelBuffer destination = makeBuffer(2, 1, 0xFF0000FF);
  const PixelBuffer source = makeRow({makePixel(100, 255, 0, 0), 0});
  tiledBlt(destination.view(), {0, 0, 2, 1}, source.view(), {0, 0, 2, 1});
  EXPECT_PIXEL(destination.view().at(0, 0), makePixel(255, 100, 0, 155));
  EXPECT_PIXEL(destination.view().at(1, 0), 0xFF0000FF);
}

// Script integers reach these operations unchecked; the extremes must neither overflow nor write anywhere.
TEST(BlitGeometry, ExtremeRectanglesDrawNothingAndDoNotOverflow) {
  constexpr int kMax = 2147483647, kMin = -kMax - 1;
  PixelBuffer destination = makeBuffer(4, 2);
  const PixelBuffer source = makeRow({A, B});
  blt(destination.view(), kMax, kMax, source.view(), {0, 0, kMax, kMax});
  blt(destination.view(), 0, 0, source.view(), {kMax, kMax, kMax, kMax});
  stretchBlt(destination.view(), {kMin, kMin, kMax, kMax}, source.view(), {kMin, 0, kMax, 1});
  tiledBlt(destination.view(), {0, 0, 4, 2}, source.view(), {kMax, kMax, kMax, kMax});
  fillRect(destination.view(), {kMax, kMax, kMax, kMax}, A);
  gradientFillRect(destination.view(), {kMin, kMin, kMax, kMax}, A, B, false);
  EXPECT_EQ(rowOf(destination, 0), (std::vector<Pixel>{Z, Z, Z, Z}));
  EXPECT_EQ(rowOf(destination, 1), (std::vector<Pixel>{Z, Z, Z, Z}));
}

// Blit as its steps read, a division per pixel, for comparison with the stepped and clipped implementation.
void referenceBlit(PixelBuffer& destination, Corners to, const PixelBuffer& source, Corners from, int opacity) {
  const long long dw = to.x2 - to.x1, dh = to.y2 - to.y1, sw = from.x2 - from.x1, sh = from.y2 - from.y1;
  long long x0 = to.x1, y0 = to.y1, sx1 = from.x1, sy1 = from.y1;
  if (x0 < 0) sx1 -= sw * x0 / dw, x0 = 0;
  if (y0 < 0) sy1 -= y0 * sh / dh, y0 = 0;
  for (long long y = y0; y < std::min<long long>(to.y2, destination.height()); ++y) {
    for (long long x = x0; x < std::min<long long>(to.x2, destination.width()); ++x) {
      const long long sx = sx1 + (x - x0) * sw / dw, sy = sy1 + (y - y0) * sh / dh;
      if (sx < 0 || sy < 0 || sx >= source.width() || sy >= source.height()) continue;
      const Pixel s = source.view().at(static_cast<int>(sx), static_cast<int>(sy));
      Pixel& d = destination.view().at(static_cast<int>(x), static_cast<int>(y));
      const int sa = alphaOf(s) * opacity / 255, da = (255 - sa) * alphaOf(d) / 255, a = sa + da;
      if (a == 0) continue;
      const auto mix = [&](int sc, int dc) { return (sa * sc + da * dc) / a; };
      d = makePixel(a, mix(redOf(s), redOf(d)), mix(greenOf(s), greenOf(d)), mix(blueOf(s), blueOf(d)));
    }
  }
}

TEST(StretchBlt, RandomRectanglesMatchTheStepByStepRule) {
  std::mt19937 random(9);
  const auto between = [&](int low, int high) { return low + static_cast<int>(random() % (high - low + 1)); };
  PixelBuffer source = makeBuffer(23, 17);
  for (int y = 0; y < 17; ++y) {
    for (int x = 0; x < 23; ++x) source.view().at(x, y) = random() % 4 == 0 ? random() | 0xFF000000 : random();
  }
  for (int round = 0; round < 300; ++round) {
    PixelBuffer actual = makeBuffer(31, 19, 0x80402010), expected = makeBuffer(31, 19, 0x80402010);
    // Shrunk, enlarged and mirrored source widths; origins off every edge.
    const PixelRect to{between(-20, 30), between(-10, 18), between(1, 60), between(1, 30)};
    const PixelRect from{between(-8, 25), between(-5, 18), between(-30, 40), between(-20, 25)};
    const int opacity = round % 3 == 0 ? 255 : between(1, 255);
    stretchBlt(actual.view(), to, source.view(), from, opacity);
    referenceBlit(expected, {to.x, to.y, 0LL + to.x + to.width, 0LL + to.y + to.height}, source,
                  {from.x, from.y, 0LL + from.x + from.width, 0LL + from.y + from.height}, opacity);
    for (int y = 0; y < 19; ++y) ASSERT_EQ(rowOf(actual, y), rowOf(expected, y)) << "round " << round << ", row " << y;
  }
}

struct LockCase {
  PixelRect rect;
  PixelRect expected;
};

class LockRegionTest : public ::testing::TestWithParam<LockCase> {};

TEST_P(LockRegionTest, ClampsTheCornerAndKeepsAtLeastOnePixel) {
  EXPECT_EQ(lockRegion(GetParam().rect, 10, 10), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Rectangles, LockRegionTest,
                         ::testing::Values(LockCase{{-5, 3, 20, 2}, {0, 3, 10, 2}},
                                           LockCase{{12, 12, 3, 3}, {9, 9, 1, 1}},
                                           LockCase{{2, 2, 0, 0}, {2, 2, 1, 1}},
                                           LockCase{{2, 2, -5, 3}, {2, 2, 1, 3}},
                                           LockCase{{1, 1, 4, 4}, {1, 1, 4, 4}},
                                           LockCase{{2147483647, 5, 2147483647, 1}, {9, 5, 1, 1}}));

TEST(PixelBufferCreate, RefusesSizesThatCannotBeABitmap) {
  EXPECT_FALSE(PixelBuffer::create(0, 10));
  EXPECT_FALSE(PixelBuffer::create(10, -1));
  EXPECT_FALSE(PixelBuffer::create(100000, 100000));
  const auto buffer = PixelBuffer::create(3, 2);
  ASSERT_TRUE(buffer);
  EXPECT_EQ(rowOf(*buffer, 1), (std::vector<Pixel>{0, 0, 0}));
}

TEST(PixelBufferCopy, CopiesRowsOfAPaddedView) {
  Pixel padded[2][3] = {{A, B, 0xDEADBEEF}, {C, D, 0xDEADBEEF}};
  const auto copy = copyPixels(ConstPixelView(&padded[0][0], 2, 2, 3));
  ASSERT_TRUE(copy);
  EXPECT_EQ(rowOf(*copy, 0), (std::vector<Pixel>{A, B}));
  EXPECT_EQ(rowOf(*copy, 1), (std::vector<Pixel>{C, D}));
}

}  // namespace
}  // namespace bitmap
