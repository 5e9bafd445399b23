// The arithmetic of Geometry objects as tables: capacity growth, the matrix a script's numbers become, world mode's
// pixel projection and screen mode's divide by w.

#include <gtest/gtest.h>

#include <array>
#include <optional>

#include "scene/GeometryMath.h"

namespace {

using scene::grownTriangleCapacity;
using scene::kMaxGeometryTriangles;

TEST(GeometryMath, CapacityGrowsToTwicePlusOneUntilTheTriangleFits) {
  struct Case {
    std::int32_t capacity;
    std::int32_t triangle;
    std::optional<std::int32_t> expected;
  };
  const Case cases[] = {
      {0, 0, 1},
      {1, 0, 1},
      {1, 1, 3},
      {3, 2, 3},
      {3, 3, 7},
      {0, 6, 7},
      {0, 7, 15},
      {7, 100, 127},
      {0, kMaxGeometryTriangles - 1, kMaxGeometryTriangles},
      {0, kMaxGeometryTriangles, std::nullopt},
      {0, 2147483647, std::nullopt},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(grownTriangleCapacity(c.capacity, c.triangle), c.expected)
        << "capacity " << c.capacity << ", triangle " << c.triangle;
  }
}

TEST(GeometryMath, WorldModeStoresTheTransposeScreenModeTheMatrixItself) {
  std::array<float, 16> rows{};
  for (std::size_t i = 0; i < 16; ++i) rows[i] = static_cast<float>(i + 1);
  const gfx::Matrix4 world = scene::geometryMatrix(rows, true);
  const gfx::Matrix4 screen = scene::geometryMatrix(rows, false);
  EXPECT_EQ(screen.m[0][3], 4.0f);
  EXPECT_EQ(screen.m[3][0], 13.0f);
  EXPECT_EQ(world.m[0][3], 13.0f);
  EXPECT_EQ(world.m[3][0], 4.0f);
  // A translation written in the last column moves row-vector points in world mode.
  const std::array<float, 16> translate{1, 0, 0, 10, 0, 1, 0, 20, 0, 0, 1, 0, 0, 0, 0, 1};
  const gfx::Vector3 moved = scene::geometryMatrix(translate, true).transformPoint({1, 2, 0});
  EXPECT_FLOAT_EQ(moved.x, 11.0f);
  EXPECT_FLOAT_EQ(moved.y, 22.0f);
}

TEST(GeometryMath, PixelProjectionPutsTheOriginTopLeftAndTheScreenSizeBottomRight) {
  const gfx::Matrix4 projection = scene::pixelProjection(640, 480);
  const gfx::Vector3 topLeft = projection.transformPoint({0, 0, 0.25f});
  const gfx::Vector3 bottomRight = projection.transformPoint({640, 480, 0.75f});
  EXPECT_FLOAT_EQ(topLeft.x, -1.0f);
  EXPECT_FLOAT_EQ(topLeft.y, 1.0f);
  EXPECT_FLOAT_EQ(topLeft.z, 0.25f);
  EXPECT_FLOAT_EQ(bottomRight.x, 1.0f);
  EXPECT_FLOAT_EQ(bottomRight.y, -1.0f);
  EXPECT_FLOAT_EQ(bottomRight.z, 0.75f);
}

TEST(GeometryMath, ScreenTransformDividesByW) {
  const std::optional<scene::ScreenPoint> halved = scene::screenTransform(gfx::Matrix4::identity(), 100, 50, 0.5f, 2);
  ASSERT_TRUE(halved);
  EXPECT_FLOAT_EQ(halved->x, 50.0f);
  EXPECT_FLOAT_EQ(halved->y, 25.0f);
  EXPECT_FLOAT_EQ(halved->z, 0.25f);
  EXPECT_FLOAT_EQ(halved->rhw, 0.5f);

  // Column vectors: the last column translates, the last row feeds w.
  const gfx::Matrix4 m = scene::geometryMatrix({1, 0, 0, 10, 0, 1, 0, 20, 0, 0, 1, 0, 0, 0, 0.5f, 1}, false);
  const std::optional<scene::ScreenPoint> moved = scene::screenTransform(m, 2, 4, 2, 1);
  ASSERT_TRUE(moved);
  EXPECT_FLOAT_EQ(moved->x, 6.0f);
  EXPECT_FLOAT_EQ(moved->y, 12.0f);
  EXPECT_FLOAT_EQ(moved->rhw, 0.5f);

  EXPECT_FALSE(scene::screenTransform(gfx::Matrix4::identity(), 1, 2, 3, 0));
  EXPECT_FALSE(scene::screenTransform(gfx::Matrix4::identity(), 1e38f, 1e38f, 0, 1e-38f));
  const gfx::Matrix4 huge = scene::geometryMatrix({1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 3e38f}, false);
  EXPECT_FALSE(scene::screenTransform(huge, 1, 2, 3, 10)) << "w overflows to infinity";
}

TEST(GeometryMath, HomogeneousCornerKeepsThePixelWithAPositiveW) {
  for (float w : {2.0f, -4.0f, 0.5f}) {
    const scene::ScreenPoint point = *scene::screenTransform(gfx::Matrix4::identity(), 30, -12, 0.5f, w);
    const gfx::Vertex corner = scene::homogeneousCorner(point);
    EXPECT_GT(corner.w, 0.0f) << w;
    EXPECT_FLOAT_EQ(corner.x / corner.w, 30.0f / w);
    EXPECT_FLOAT_EQ(corner.y / corner.w, -12.0f / w);
    EXPECT_FLOAT_EQ(corner.z / corner.w, 0.5f / w);
  }
}

TEST(GeometryMath, TrianglesOnOneLineAreDegenerate) {
  const gfx::Vertex origin{0, 0, 0, 1, 0, 0, 0};
  const gfx::Vertex unset{0, 0, 0, 0, 0, 0, 0};
  EXPECT_TRUE(scene::degenerateInSpace(origin, origin, origin));
  EXPECT_TRUE(scene::degenerateInSpace({1, 1, 1, 1, 0, 0, 0}, {2, 2, 2, 1, 0, 0, 0}, {4, 4, 4, 1, 0, 0, 0}));
  // Flat on the screen from this side, but the world matrix may turn it: kept.
  EXPECT_FALSE(scene::degenerateInSpace({0, 0, 0, 1, 0, 0, 0}, {1, 0, 0, 1, 0, 0, 0}, {0, 0, 1, 1, 0, 0, 0}));
  EXPECT_FALSE(scene::degenerateInSpace(origin, {4, 0, 0.5f, 1, 0, 0, 0}, {0, 4, 0.5f, 1, 0, 0, 0}));
  EXPECT_TRUE(scene::degenerateOnScreen(unset, unset, unset));
  // (2, 2) with w 2 is the pixel (1, 1): on the line through (0, 0) and (3, 3).
  EXPECT_TRUE(scene::degenerateOnScreen(origin, {2, 2, 0, 2, 0, 0, 0}, {3, 3, 0.9f, 1, 0, 0, 0}));
  EXPECT_FALSE(scene::degenerateOnScreen(origin, {2, 0, 0, 2, 0, 0, 0}, {3, 3, 0, 1, 0, 0, 0}));
}

}  // namespace
