#include <gtest/gtest.h>

#include <vector>

#include "render/FrameMath.h"

namespace {

using render::PresentPlacement;

struct PlacementCase {
  const char* name;
  bool fullScreen;
  int backWidth, backHeight, screenWidth, screenHeight;
  PresentPlacement expected;
};

class PlacementTest : public testing::TestWithParam<PlacementCase> {};

TEST_P(PlacementTest, ScalesTheScreenIntoTheBackBuffer) {
  const PlacementCase& c = GetParam();
  const PresentPlacement placement =
      c.fullScreen ? render::fullScreenPlacement(c.backWidth, c.backHeight, c.screenWidth, c.screenHeight)
                   : render::windowedPlacement(c.backWidth, c.backHeight, c.screenWidth, c.screenHeight);
  EXPECT_EQ(placement, c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Windows, PlacementTest,
    testing::Values(PlacementCase{"SameSize", false, 544, 416, 544, 416, {1, 1, 0, 0}},
                    PlacementCase{"DoubleBothWays", false, 1088, 832, 544, 416, {2, 2, 0, 0}},
                    PlacementCase{"WiderOnlyStretchesHorizontally", false, 800, 416, 544, 416, {800.0f / 544, 1, 0, 0}},
                    PlacementCase{"FullScreenPillarBox", true, 1920, 1080, 640, 480, {2.25f, 2.25f, 240, 0}},
                    PlacementCase{"FullScreenLetterBox", true, 1280, 1024, 640, 360, {2, 2, 0, 152}},
                    PlacementCase{"FullScreenExactFit", true, 1088, 832, 544, 416, {2, 2, 0, 0}},
                    PlacementCase{"EmptyScreenIsLeftAlone", false, 800, 600, 0, 0, {1, 1, 0, 0}}),
    [](const testing::TestParamInfo<PlacementCase>& info) { return std::string(info.param.name); });

TEST(FadeTest, TenFrameFadeOutStepsDownInTruncatedSteps) {
  render::FadeStep step{10, 255};
  std::vector<int> seen;
  for (int frame = 0; frame < 12; ++frame) {
    step = render::advanceFade(step.counter, 10, step.brightness);
    seen.push_back(step.brightness);
  }
  EXPECT_EQ(seen, (std::vector<int>{229, 204, 178, 153, 127, 102, 76, 51, 25, 0, 0, 0}));
  EXPECT_EQ(step.counter, 0);
}

TEST(FadeTest, FadeInCountsUpToFullBrightness) {
  render::FadeStep step{-4, 0};
  std::vector<int> seen;
  for (int frame = 0; frame < 5; ++frame) {
    step = render::advanceFade(step.counter, 4, step.brightness);
    seen.push_back(step.brightness);
  }
  EXPECT_EQ(seen, (std::vector<int>{64, 128, 192, 255, 255}));  // -191.25 truncates toward zero
}

TEST(FadeTest, NoFadeKeepsAScriptBrightnessAndHugeFadesDoNotOverflow) {
  EXPECT_EQ(render::advanceFade(0, 10, 300), (render::FadeStep{0, 300}));
  EXPECT_EQ(render::advanceFade(2'000'000'000, 2'000'000'000, 255).brightness, 254);
  EXPECT_EQ(render::advanceFade(-2'000'000'000, 2'000'000'000, 0).brightness, 1);
  EXPECT_EQ(render::advanceFade(5, 0, 255), (render::FadeStep{0, 0}));
  EXPECT_EQ(render::advanceFade(-5, 0, 0), (render::FadeStep{0, 255}));
}

TEST(BrightnessColourTest, OnlyTheLowByteCounts) {
  EXPECT_EQ(render::brightnessColour(255), 0xFFFFFFFFu);
  EXPECT_EQ(render::brightnessColour(300), 0x2C2C2C2Cu);
  EXPECT_EQ(render::brightnessColour(44), 0x2C2C2C2Cu);
  EXPECT_EQ(render::brightnessColour(-1), 0xFFFFFFFFu);
  EXPECT_EQ(render::brightnessColour(0), 0u);
}

struct PlainTransitionCase {
  int framesLeft, duration, brightness;
  std::uint32_t expected;
};

TEST(TransitionTest, PlainTransitionFadesTheFrozenPictureOut) {
  const PlainTransitionCase cases[] = {
      {10, 10, 255, 0xFFFFFFFF},  // all old picture
      {5, 10, 255, 0x7FFFFFFF},   // half: alpha 127, colour kept
      {0, 10, 255, 0x00FFFFFF},   // M = 0: colour 1, nothing drawn
      {0, 10, 0, 0xFF000000},     // dark screen: the old picture becomes black
      {5, 10, 0, 0xFF7F7F7F},     // M = 1: colour L
      {3, 0, 255, 0x00FFFFFF},    // zero duration cannot divide by zero
  };
  for (const PlainTransitionCase& c : cases) {
    EXPECT_EQ(render::plainTransitionColour(c.framesLeft, c.duration, c.brightness), c.expected)
        << c.framesLeft << "/" << c.duration << " at " << c.brightness;
  }
}

TEST(TransitionTest, ImageThresholdsWidenWithVagueness) {
  const render::TransitionThresholds start = render::imageTransitionThresholds(10, 10, 0);
  EXPECT_FLOAT_EQ(start.min, 0.0f);
  EXPECT_FLOAT_EQ(start.max, 0.0f);
  const render::TransitionThresholds end = render::imageTransitionThresholds(0, 10, 255);
  EXPECT_FLOAT_EQ(end.min, 2.0f);
  EXPECT_FLOAT_EQ(end.max, 1.0f);
  const render::TransitionThresholds middle = render::imageTransitionThresholds(5, 10, 51);
  EXPECT_FLOAT_EQ(middle.min, 1.0f - (0.6f - 0.2f));
  EXPECT_FLOAT_EQ(middle.max, 1.0f - 0.6f);
}

TEST(FilterTest, ClampsToPointOrLinear) {
  const int inputs[] = {-3, -1, 0, 1, 2, 5, 1 << 30};
  const int expected[] = {0, 0, 0, 1, 1, 1, 1};
  for (int i = 0; i < 7; ++i) {
    EXPECT_EQ(render::clampFilter(inputs[i]), expected[i]) << inputs[i];
  }
}

TEST(ClipTest, ViewportRectanglesStayOnScreen) {
  EXPECT_EQ(render::clipToScreen(10, 20, 30, 40, 544, 416), (render::ClippedRect{10, 20, 30, 40}));
  EXPECT_EQ(render::clipToScreen(-10, -20, 30, 40, 544, 416), (render::ClippedRect{0, 0, 20, 20}));
  EXPECT_EQ(render::clipToScreen(500, 400, 100, 100, 544, 416), (render::ClippedRect{500, 400, 44, 16}));
  EXPECT_EQ(render::clipToScreen(600, 500, 10, 10, 544, 416), (render::ClippedRect{544, 416, 0, 0}));
  EXPECT_EQ(render::clipToScreen(10, 20, -5, -5, 544, 416), (render::ClippedRect{10, 20, 0, 0}));
  EXPECT_EQ(render::clipToScreen(0, 0, -5, 2'147'483'647, 544, 416), (render::ClippedRect{0, 0, 0, 416}));
  EXPECT_EQ(render::clipToScreen(2'147'483'600, 0, 2'147'483'647, 1, 544, 416), (render::ClippedRect{544, 0, 0, 1}));
}

}  // namespace
