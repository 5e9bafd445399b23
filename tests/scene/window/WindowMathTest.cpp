// A window's pure decisions: the pause sign's frames, which arrows show and the sizes
// derived from extreme properties.

#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "scene/WindowMath.h"

namespace {

using scene::CursorBox;
using scene::InsideSize;
using scene::ScrollArrows;

TEST(WindowMath, PauseSignTurnsEverySixteenUpdatesThroughFourFrames) {
  scene::WindowAnimation animation;
  std::vector<int> frames;
  for (int update = 1; update <= 80; ++update) {
    scene::stepAnimation(animation);
    if (update % 16 == 0) frames.push_back(animation.pauseFrame);
    if (update == 15) {
      EXPECT_EQ(animation.pauseFrame, 0);
    }
  }
  EXPECT_EQ(frames, (std::vector<int>{1, 2, 3, 0, 1}));
  EXPECT_EQ(animation.pauseTick, 0);
  EXPECT_EQ(animation.cursorPhase, 0);  // 80 updates are two whole blinks
  scene::stepAnimation(animation);
  EXPECT_EQ(animation.cursorPhase, 1);
  EXPECT_EQ(animation.pauseTick, 1);
}

TEST(WindowMath, PauseSignFramesComeFromTheSkinsLowerRightQuarter) {
  const engine::RectData expected[] = {{96, 64, 16, 16}, {112, 64, 16, 16}, {96, 80, 16, 16}, {112, 80, 16, 16}};
  for (int frame = 0; frame < 4; ++frame) {
    const engine::RectData source = scene::pauseSignSource(frame);
    EXPECT_EQ(source.x, expected[frame].x) << frame;
    EXPECT_EQ(source.y, expected[frame].y) << frame;
    EXPECT_EQ(source.width, 16);
    EXPECT_EQ(source.height, 16);
  }
}

struct ArrowCase {
  const char* what;
  int ox, oy, insideWidth, insideHeight;
  bool hasContents;
  int contentsWidth, contentsHeight;
  ScrollArrows expected;
};

TEST(WindowMath, ArrowsShowWhereTheContentsCanScroll) {
  const ArrowCase cases[] = {
      {"contents fit exactly", 0, 0, 144, 80, true, 144, 80, {}},
      {"taller contents", 0, 0, 144, 80, true, 144, 81, {false, false, false, true}},
      {"wider contents", 0, 0, 144, 80, true, 145, 80, {false, false, true, false}},
      {"scrolled to the bottom", 0, 20, 144, 80, true, 144, 100, {true, false, false, false}},
      {"scrolled both ways midway", 10, 10, 144, 80, true, 300, 300, {true, true, true, true}},
      {"scrolled without contents", 5, 5, 144, 80, false, 0, 0, {true, true, false, false}},
      {"negative scroll", -5, -5, 144, 80, true, 144, 80, {false, false, true, true}},
      {"far scroll does not overflow",
       INT_MAX,
       INT_MAX,
       INT_MAX,
       INT_MAX,
       true,
       INT_MAX,
       INT_MAX,
       {true, true, false, false}},
  };
  for (const ArrowCase& c : cases) {
    const engine::RectData size{0, 0, c.contentsWidth, c.contentsHeight};
    EXPECT_EQ(scene::scrollArrows(c.ox, c.oy, c.insideWidth, c.insideHeight, c.hasContents ? &size : nullptr),
              c.expected)
        << c.what;
  }
}

TEST(WindowMath, InsideSizeNeverGoesNegative) {
  EXPECT_EQ(scene::insideSize(160, 96, 8, 8), (InsideSize{144, 80}));
  EXPECT_EQ(scene::insideSize(160, 96, 8, 24), (InsideSize{144, 64}));
  EXPECT_EQ(scene::insideSize(8, 8, 12, 12), (InsideSize{0, 0}));
  EXPECT_EQ(scene::insideSize(0, 0, 8, 8), (InsideSize{0, 0}));
  EXPECT_EQ(scene::insideSize(10, 10, -4, 0), (InsideSize{18, 14}));
  EXPECT_EQ(scene::insideSize(INT_MAX, INT_MAX, INT_MIN, INT_MIN), (InsideSize{INT_MAX, INT_MAX}));
  EXPECT_EQ(scene::insideSize(INT_MIN, INT_MIN, INT_MAX, INT_MAX), (InsideSize{0, 0}));
}

TEST(WindowMath, CursorBoxTakesEdgesFromTheRectangle) {
  const CursorBox box = scene::cursorBox({10, 20, 100, 24});
  EXPECT_EQ(box, (CursorBox{10, 20, 110, 44}));
  EXPECT_EQ(box.width(), 100);
  EXPECT_EQ(box.height(), 24);
  EXPECT_FALSE(box.empty());
  EXPECT_TRUE(scene::cursorBox({0, 0, 0, 0}).empty());
  EXPECT_FALSE(scene::cursorBox({0, 0, 0, 1}).empty());
  // The right edge wraps as a 32-bit sum would, without undefined overflow.
  const CursorBox far = scene::cursorBox({INT_MAX, 0, 1, 1});
  EXPECT_EQ(far.right, INT_MIN);
  EXPECT_EQ(scene::wrapAdd(INT_MAX, 1), INT_MIN);
  EXPECT_EQ(scene::wrapAdd(INT_MIN, -1, 0), INT_MAX);
}

}  // namespace
