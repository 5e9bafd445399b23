#include "scene/ViewportMath.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

using scene::LayerStep;

struct ClipCase {
  const char* name;
  engine::RectData rect;
  gfx::Viewport expected;
};

class ClipToScreen : public testing::TestWithParam<ClipCase> {};

TEST_P(ClipToScreen, KeepsTheVisiblePart) {
  const ClipCase& c = GetParam();
  const gfx::Viewport got = scene::clipToScreen(c.rect, 640, 480);
  EXPECT_EQ(got.x, c.expected.x);
  EXPECT_EQ(got.y, c.expected.y);
  EXPECT_EQ(got.width, c.expected.width);
  EXPECT_EQ(got.height, c.expected.height);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ClipToScreen,
    testing::Values(ClipCase{"Inside", {10, 20, 100, 50}, {10, 20, 100, 50}},
                    ClipCase{"LeftAndTopCut", {-30, -10, 100, 50}, {0, 0, 70, 40}},
                    ClipCase{"RightAndBottomCut", {600, 450, 100, 50}, {600, 450, 40, 30}},
                    ClipCase{"EntirelyOff", {700, 500, 10, 10}, {640, 480, 0, 0}},
                    ClipCase{"NegativeSize", {10, 10, -5, -5}, {10, 10, 0, 0}},
                    ClipCase{"NoWrapNearLimits", {INT_MAX - 5, -5, INT_MAX, INT_MAX}, {640, 0, 0, 480}}),
    [](const testing::TestParamInfo<ClipCase>& info) { return info.param.name; });

constexpr LayerStep alone{};
constexpr LayerStep begin(int pass) { return {false, true, pass, true}; }
constexpr LayerStep inGroup{false, false, 0, true};
constexpr LayerStep endsGroup{true, false, 0, false};

struct LayerCase {
  const char* name;
  std::vector<double> z;
  std::map<std::int32_t, std::int32_t> layers;
  std::vector<LayerStep> expected;
};

class FastLayers : public testing::TestWithParam<LayerCase> {};

TEST_P(FastLayers, GroupsRunsOfOneZ) {
  const LayerCase& c = GetParam();
  EXPECT_EQ(scene::planFastLayers(c.z, c.layers), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FastLayers,
    testing::Values(LayerCase{"NoLayers", {0, 1}, {}, {alone, alone}},
                    LayerCase{"OneGroup", {5, 5}, {{5, 1}}, {begin(1), inGroup}},
                    // The object that ends a group draws alone even when its own z is a layer.
                    LayerCase{"NextLayerStartsAfterTheBreakingObject",
                              {5, 5, 6, 6, 6},
                              {{5, 1}, {6, 2}},
                              {begin(1), inGroup, endsGroup, begin(2), inGroup}},
                    LayerCase{"OtherModesDrawNormally", {3}, {{3, 7}}, {begin(0)}},
                    LayerCase{"NegativeKeysWork", {-1, -1, 0}, {{-1, 2}}, {begin(2), inGroup, endsGroup}},
                    LayerCase{"FractionalZLeavesTheGroup", {4, 4.5}, {{4, 1}}, {begin(1), endsGroup}}),
    [](const testing::TestParamInfo<LayerCase>& info) { return info.param.name; });

TEST(FastLayersEnd, ReportsAnOpenGroup) {
  EXPECT_TRUE(scene::groupOpenAtEnd(scene::planFastLayers(std::vector<double>{2, 2}, {{2, 0}})));
  EXPECT_FALSE(scene::groupOpenAtEnd(scene::planFastLayers(std::vector<double>{2, 3}, {{2, 0}})));
}

TEST(CompositeAlpha, FadesInOverAFlashWithoutColour) {
  scene::FlashState flash;
  EXPECT_EQ(scene::compositeAlpha(flash), 255);
  scene::startFlash(flash, nullptr, 4);
  EXPECT_EQ(scene::compositeAlpha(flash), 0);
  scene::stepFlash(flash);
  EXPECT_EQ(scene::compositeAlpha(flash), 63);
  for (int i = 0; i < 3; ++i) scene::stepFlash(flash);
  EXPECT_EQ(scene::compositeAlpha(flash), 255);
}

// Only a viewport whose picture would be composited unchanged skips its own target.
TEST(DrawsOnScreen, OnlyWhenTheCompositeWouldChangeNothing) {
  scene::FlashState flash;
  EXPECT_TRUE(scene::drawsOnScreen(true, {}, false, flash));
  EXPECT_FALSE(scene::drawsOnScreen(false, {}, false, flash));
  EXPECT_FALSE(scene::drawsOnScreen(true, {0, 0, 0, 10}, false, flash));
  EXPECT_FALSE(scene::drawsOnScreen(true, {}, true, flash));
  const bindings::Color white{255, 255, 255, 255};
  scene::startFlash(flash, &white, 4);
  EXPECT_TRUE(scene::drawsOnScreen(true, {}, false, flash)) << "a coloured flash is laid over";
  scene::startFlash(flash, nullptr, 4);
  EXPECT_FALSE(scene::drawsOnScreen(true, {}, false, flash)) << "fading in over a flash without colour";
}

TEST(OverlayColour, DrawnForAColourOrAColouredFlashAndSaturates) {
  scene::FlashState flash;
  EXPECT_FALSE(scene::overlayColour({}, flash).drawn);
  const scene::OverlayColour tint = scene::overlayColour({0, 0, 200, 128}, flash);
  EXPECT_TRUE(tint.drawn);
  EXPECT_EQ(tint.colour, (bindings::Color{0, 0, 200, 255}));
  EXPECT_EQ(tint.opacity, 128);
  const bindings::Color white{255, 255, 255, 255};
  scene::startFlash(flash, &white, 10);
  const scene::OverlayColour flashed = scene::overlayColour({0, 0, 200, 128}, flash);
  EXPECT_TRUE(flashed.drawn);
  EXPECT_TRUE(scene::overlayColour({}, flash).drawn) << "a coloured flash over no colour";
  EXPECT_EQ(flashed.colour.red, 255);
  EXPECT_EQ(flashed.colour.green, 255);
  EXPECT_EQ(flashed.opacity, 255);
  scene::startFlash(flash, nullptr, 10);
  EXPECT_FALSE(scene::overlayColour({}, flash).drawn);
}

}  // namespace
