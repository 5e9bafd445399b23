// Screen points to model view units and the projection they invert, as tables.

#include <gtest/gtest.h>

#include <cmath>

#include "live2d/ModelPlacement.h"

namespace {

using live2d::ModelPlacement;

TEST(ModelPlacementTest, ScreenPointsBecomeViewPoints) {
  const struct {
    ModelPlacement placement;
    int px, py;
    float x, y;
  } cases[] = {
      {{544, 416, 0, 0, 1.0f, 1.0f}, 272, 208, 0.0f, 0.0f},
      {{544, 416, 0, 0, 1.0f, 1.0f}, 544, 0, 1.0f, 416.0f / 544.0f},
      {{544, 416, 0, 0, 1.0f, 1.0f}, 0, 416, -1.0f, -416.0f / 544.0f},
      {{544, 416, 60, 40, 1.0f, 1.0f}, 332, 248, 0.0f, 0.0f},
      {{544, 416, 0, 0, 0.5f, 0.5f}, 544, 0, 2.0f, 832.0f / 544.0f},
      {{640, 480, 0, 0, 2.0f, 1.0f}, 480, 120, 0.25f, 0.375f},
  };
  for (const auto& c : cases) {
    const live2d::ViewPoint point = live2d::screenToView(c.placement, c.px, c.py);
    EXPECT_NEAR(point.x, c.x, 1e-5f) << c.px << "," << c.py;
    EXPECT_NEAR(point.y, c.y, 1e-5f) << c.px << "," << c.py;
  }
}

// The projection takes a view point back to the clip position of the pixel it came from.
TEST(ModelPlacementTest, ProjectionInvertsTheConversion) {
  const ModelPlacement placements[] = {
      {544, 416, 0, 0, 1.0f, 1.0f}, {544, 416, -90, 33, 0.4f, 1.7f}, {800, 600, 120, -45, 2.5f, 0.75f}};
  for (const ModelPlacement& p : placements) {
    const live2d::cubism::CubismMatrix44 projection = live2d::modelProjection(p);
    for (int px : {0, 100, 399}) {
      for (int py : {0, 77, 300}) {
        const live2d::ViewPoint view = live2d::screenToView(p, px, py);
        EXPECT_NEAR(projection.transformX(view.x), px * 2.0f / p.screenWidth - 1.0f, 1e-4f);
        EXPECT_NEAR(projection.transformY(view.y), 1.0f - py * 2.0f / p.screenHeight, 1e-4f);
      }
    }
  }
}

TEST(ModelPlacementTest, ZoomsThatAreNotPositiveBecomeOne) {
  const struct {
    double given;
    float stored;
  } cases[] = {{0.5, 0.5f}, {3.0, 3.0f}, {0.0, 1.0f}, {-2.0, 1.0f}, {NAN, 1.0f}, {1e-60, 1.0f}};
  for (const auto& c : cases) EXPECT_EQ(live2d::storedZoom(c.given), c.stored) << c.given;
}

}  // namespace
