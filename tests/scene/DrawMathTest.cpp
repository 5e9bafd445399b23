#include "scene/DrawMath.h"

#include <gtest/gtest.h>

#include <numbers>

namespace {

using scene::TransformInput;

gfx::Vector3 apply(const gfx::Matrix4& m, float x, float y) { return m.transformPoint({x, y, 0.0f}); }

struct PointCase {
  const char* name;
  TransformInput input;
  gfx::Vector2 texel;   // a point of the source rectangle, relative to its corner
  gfx::Vector2 screen;  // where it lands
};

class SpriteTransform : public testing::TestWithParam<PointCase> {};

TEST_P(SpriteTransform, PlacesTexels) {
  const PointCase& c = GetParam();
  const gfx::Vector3 p = apply(scene::spriteTransform(c.input), c.texel.x, c.texel.y);
  EXPECT_NEAR(p.x, c.screen.x, 1e-4);
  EXPECT_NEAR(p.y, c.screen.y, 1e-4);
}

TransformInput at(int x, int y) {
  TransformInput in;
  in.effectiveX = x;
  in.effectiveY = y;
  in.sourceWidth = 32;
  in.sourceHeight = 16;
  return in;
}

TransformInput with(TransformInput in, auto change) {
  change(in);
  return in;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SpriteTransform,
    testing::Values(
        PointCase{"Plain", at(10, 20), {4, 3}, {14, 23}},
        PointCase{"OriginLandsOnPosition", with(at(100, 50), [](auto& i) { i.ox = 8, i.oy = 4; }), {8, 4}, {100, 50}},
        PointCase{"ZoomAboutOrigin",
                  with(at(100, 50), [](auto& i) { i.ox = 8, i.oy = 4, i.zoomX = 2, i.zoomY = 3; }),
                  {0, 0},
                  {84, 38}},
        PointCase{"MirrorKeepsLeftEdge", with(at(10, 0), [](auto& i) { i.mirror = true; }), {32, 0}, {10, 0}},
        PointCase{"MirrorFlipsRightEdgeToLeft", with(at(10, 0), [](auto& i) { i.mirror = true; }), {0, 5}, {42, 5}},
        PointCase{"MirrorWithOriginPutsFlippedOriginOnPosition",
                  with(at(10, 0), [](auto& i) { i.mirror = true, i.ox = 8; }),
                  {24, 0},
                  {10, 0}},
        PointCase{
            "MirrorOfEmptySourceUsesBitmapWidth",
            with(at(0, 0), [](auto& i) { i.mirror = true, i.sourceWidth = 0, i.sourceHeight = 0, i.bitmapWidth = 20; }),
            {20, 0},
            {0, 0}},
        PointCase{"MirrorOfSourceWithAHeightKeepsItsWidth",
                  with(at(0, 0), [](auto& i) { i.mirror = true, i.sourceWidth = 0, i.bitmapWidth = 20; }),
                  {0, 0},
                  {0, 0}},
        PointCase{"PositiveAngleTurnsCounterClockwise",
                  with(at(50, 50), [](auto& i) { i.angleDegrees = 90; }),
                  {10, 0},
                  {50, 40}},
        PointCase{"RotationAboutOrigin",
                  with(at(50, 50), [](auto& i) { i.angleDegrees = 180, i.ox = 16, i.oy = 8; }),
                  {32, 8},
                  {34, 50}},
        PointCase{"ViewportOffset",
                  with(at(0, 0), [](auto& i) { i.viewportOffsetX = 80, i.viewportOffsetY = -5; }),
                  {0, 0},
                  {80, -5}},
        PointCase{"ShearXMovesLowerRowsRight", with(at(0, 0), [](auto& i) { i.shearX = 0.5f; }), {0, 10}, {5, 10}},
        PointCase{"ShearYMovesRightColumnsDown", with(at(0, 0), [](auto& i) { i.shearY = 0.25f; }), {8, 0}, {8, 2}},
        PointCase{"ShearPivotsOnOrigin",
                  with(at(0, 0), [](auto& i) { i.shearX = 0.5f, i.ox = 4, i.oy = 4; }),
                  {4, 14},
                  {5, 10}}),
    [](const testing::TestParamInfo<PointCase>& info) { return info.param.name; });

TEST(Transformation2D, ScalesAboutItsCentreAndRotatesAboutItsOwn) {
  const gfx::Matrix4 scale = scene::transformation2D({10, 0}, 0, {2, 2}, {0, 0}, 0, {0, 0});
  EXPECT_NEAR(apply(scale, 10, 0).x, 10, 1e-5);
  EXPECT_NEAR(apply(scale, 20, 0).x, 30, 1e-5);
  const gfx::Matrix4 turn =
      scene::transformation2D({0, 0}, 0, {1, 1}, {5, 5}, static_cast<float>(std::numbers::pi), {1, 2});
  EXPECT_NEAR(apply(turn, 5, 0).x, 6, 1e-5);
  EXPECT_NEAR(apply(turn, 5, 0).y, 12, 1e-5);
}

TEST(PassForBlendType, OnlyAddAndSubtractHaveTheirOwnPass) {
  const std::pair<int, int> table[] = {{0, 0}, {1, 1}, {2, 2}, {3, 0}, {5, 0}, {7, 0}, {-1, 0}};
  for (const auto& [blend, pass] : table) EXPECT_EQ(scene::passForBlendType(blend), pass) << blend;
}

constexpr float kLower[4] = {0, 0, 0, 0};
constexpr float kUpper[4] = {1, 1, 1, 1};

bindings::Color rgba(int r, int g, int b, int a) {
  return {static_cast<std::uint8_t>(b), static_cast<std::uint8_t>(g), static_cast<std::uint8_t>(r),
          static_cast<std::uint8_t>(a)};
}

struct BlendCase {
  const char* name;
  bindings::Color colour;
  std::array<float, 4> flash;
  std::array<float, 4> expected;
};

class BlendColor : public testing::TestWithParam<BlendCase> {};

TEST_P(BlendColor, MixesColourAndFlash) {
  const BlendCase& c = GetParam();
  const std::array<float, 4> got = scene::blendColor(c.colour, c.flash, kLower, kUpper);
  for (int i = 0; i < 4; ++i) EXPECT_NEAR(got[i], c.expected[i], 1e-5) << i;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BlendColor,
    testing::Values(BlendCase{"NothingIsZero", rgba(255, 255, 255, 0), {1, 1, 1, 0}, {0, 0, 0, 0}},
                    BlendCase{"OpaqueColour", rgba(255, 0, 0, 255), {}, {1, 0, 0, 1}},
                    BlendCase{"HalfColourKeepsItsHue", rgba(255, 0, 0, 128), {}, {1, 0, 0, 128 / 255.0f}},
                    BlendCase{"FullFlashCoversColour", rgba(255, 0, 0, 255), {1, 1, 1, 1}, {1, 1, 1, 1}},
                    BlendCase{"HalfFlashAlone", rgba(0, 0, 0, 0), {0, 0, 1, 0.5f}, {0, 0, 1, 0.5f}},
                    BlendCase{"HalfFlashOverOpaque", rgba(255, 0, 0, 255), {0, 0, 1, 0.5f}, {0.5f, 0, 0.5f, 1}},
                    BlendCase{"SteppedPastZeroIsNothing", rgba(0, 0, 0, 0), {0.2f, 0, 0, -1e-7f}, {0, 0, 0, 0}},
                    BlendCase{"NoDivisionByZero", rgba(255, 0, 0, 1), {0, 0, 0, -1.0f}, {0, 0, 0, 0}}),
    [](const testing::TestParamInfo<BlendCase>& info) { return info.param.name; });

TEST(BlendColorBounds, HoldsEachComponentBetweenTheRenderersBounds) {
  const float lower[4] = {0.25f, 0, 0, 0.1f};
  const float upper[4] = {1, 0.5f, 1, 1};
  const auto got = scene::blendColor(rgba(0, 255, 0, 0), {0, 0, 0, 0}, lower, upper);
  EXPECT_FLOAT_EQ(got[0], 0.25f);
  EXPECT_FLOAT_EQ(got[3], 0.1f);
  const auto green = scene::blendColor(rgba(0, 255, 0, 255), {0, 0, 0, 0}, lower, upper);
  EXPECT_FLOAT_EQ(green[1], 0.5f);
}

TEST(Sampling, FromBitmapAndTexture) {
  const scene::SamplingParams bitmap = scene::samplingFromBitmap(64, 32, {0, 8, 64, 16});
  EXPECT_FLOAT_EQ(bitmap.sampWidth, 1.0f / 64);
  EXPECT_FLOAT_EQ(bitmap.sampHeight, 1.0f / 32);
  EXPECT_FLOAT_EQ(bitmap.texcoordYBottom, 0.75f);
  const scene::SamplingParams texture = scene::samplingFromTexture(128, 4);
  EXPECT_FLOAT_EQ(texture.sampHeight, 0.25f);
  EXPECT_FLOAT_EQ(texture.texcoordYBottom, 1.0f);
  // Degenerate sizes fall back to neutral values instead of infinities.
  EXPECT_FLOAT_EQ(scene::samplingFromBitmap(0, 0, {}).sampWidth, 1.0f);
}

TEST(SourceRectangle, RightAndBottomAreExclusiveEdges) {
  EXPECT_EQ(scene::sourceRectangle({4, 8, 16, 32}), (gfx::Rect{4, 8, 20, 40}));
  EXPECT_EQ(scene::sourceRectangle({-4, 0, 2, 2}), (gfx::Rect{-4, 0, -2, 2}));
}

TEST(SourceRectangle, EdgesPastTheInt32RangeStopAtItsEnd) {
  EXPECT_EQ(scene::sourceRectangle({INT32_MAX - 1, 0, 10, 4}), (gfx::Rect{INT32_MAX - 1, 0, INT32_MAX, 4}));
  EXPECT_EQ(scene::sourceRectangle({0, INT32_MIN, 4, -10}), (gfx::Rect{0, INT32_MIN, 4, INT32_MIN}));
}

TEST(SpriteTransformRange, ExtremeOriginsAndOffsetsDoNotOverflow) {
  TransformInput in = at(0, 0);
  in.ox = INT32_MIN;
  in.viewportOffsetY = static_cast<std::int64_t>(INT32_MAX) + 8;
  const gfx::Vector3 p = apply(scene::spriteTransform(in), 0, 0);
  // The origin lands on the position: texel (ox, 0) at x 0, so texel 0 at -ox = 2^31.
  EXPECT_FLOAT_EQ(p.x, 2147483648.0f);
  EXPECT_FLOAT_EQ(p.y, 2147483655.0f);
  in.mirror = true;
  const gfx::Vector3 mirrored = apply(scene::spriteTransform(in), 0, 0);
  // Mirrored in the same box [x - ox, x - ox + width]: texel 0 at its right edge.
  EXPECT_FLOAT_EQ(mirrored.x, 2147483648.0f + 32.0f);
}

TEST(Sampling, BottomPastTheInt32Range) {
  EXPECT_FLOAT_EQ(scene::samplingFromBitmap(64, 64, {0, INT32_MAX, 64, 64}).texcoordYBottom,
                  static_cast<float>((2147483647.0 + 64.0) / 64.0));
}

TEST(QuadColour, OpacityInTheAlphaByteOfWhite) {
  EXPECT_EQ(scene::quadColour(255.0f), 0xFFFFFFFFu);
  EXPECT_EQ(scene::quadColour(128.9f), 0x80FFFFFFu);
  EXPECT_EQ(scene::quadColour(0.0f), 0x00FFFFFFu);
  EXPECT_EQ(scene::quadColour(-3.0f), 0x00FFFFFFu);
  EXPECT_EQ(scene::quadColour(1000.0f), 0xFFFFFFFFu);
}

}  // namespace
