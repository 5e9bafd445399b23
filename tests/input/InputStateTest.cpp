#include "input/InputState.h"

#include <gtest/gtest.h>

#include <vector>

namespace input {
namespace {

constexpr KeyCode kZ = 0x5A;
constexpr KeyCode kLeft = 0x25;
constexpr KeyCode kRight = 0x27;
constexpr KeyCode kUp = 0x26;
constexpr KeyCode kShift = 0x10;

TEST(InputRulesTest, RepeatReportsOnTheFirstUpdateThenEverySixthFrom24) {
  std::vector<int> reported;
  for (int count = 0; count <= 48; ++count) {
    if (isRepeat(count)) {
      reported.push_back(count);
    }
  }
  EXPECT_EQ(reported, (std::vector<int>{1, 24, 30, 36, 42, 48}));
}

struct DirectionCase {
  DirectionStrengths strengths;
  int dir4;
  int dir8;
};

TEST(InputRulesTest, DirectionsFromStrengths) {
  const DirectionCase cases[] = {
      {{0, 0, 0, 0}, 0, 0}, {{3, 0, 0, 0}, 2, 2}, {{0, 3, 0, 0}, 4, 4}, {{0, 0, 3, 0}, 6, 6},
      {{0, 0, 0, 3}, 8, 8}, {{0, 5, 0, 1}, 8, 7},  // Up pressed after Left: the more recent one wins
      {{0, 1, 0, 5}, 4, 7}, {{0, 2, 0, 2}, 8, 7},  // a tie goes to the vertical direction
      {{2, 0, 2, 0}, 2, 3}, {{0, 4, 4, 0}, 0, 0},  // opposites cancel
      {{4, 0, 0, 4}, 0, 0}, {{4, 4, 4, 1}, 0, 0}, {{0, 1, 1, 1}, 8, 8},
  };
  for (const DirectionCase& c : cases) {
    SCOPED_TRACE(testing::Message() << c.strengths.down << ' ' << c.strengths.left << ' ' << c.strengths.right << ' '
                                    << c.strengths.up);
    EXPECT_EQ(dir4(c.strengths), c.dir4);
    EXPECT_EQ(dir8(c.strengths), c.dir8);
  }
}

TEST(InputRulesTest, LegacyCodesAndUpperCasing) {
  EXPECT_EQ(legacyCodeName(13), "C");
  EXPECT_EQ(legacyCodeName(2), "DOWN");
  EXPECT_EQ(legacyCodeName(18), "R");
  EXPECT_EQ(legacyCodeName(21), "");
  EXPECT_EQ(legacyCodeName(-13), "");
  EXPECT_EQ(upperCaseName("shift"), "SHIFT");
  EXPECT_EQ(upperCaseName("f1\xc3\xa4"), "F1\xc3\xa4");  // bytes outside ASCII stay as they are
}

class InputStateTest : public ::testing::Test {
 protected:
  // The updates on which `query` answered true, over `updates` updates with Z held from the start.
  template <class Query>
  std::vector<int> whileHoldingZ(int updates, Query query) {
    std::vector<int> answered;
    state.keyDown(kZ);
    for (int update = 1; update <= updates; ++update) {
      state.keyDown(kZ);  // auto-repeat messages change nothing
      state.update();
      if (query()) {
        answered.push_back(update);
      }
    }
    return answered;
  }

  InputState state;
};

TEST_F(InputStateTest, HeldKeyTriggersOnceAndRepeatsOnTheDefinedUpdates) {
  EXPECT_EQ(whileHoldingZ(31, [&] { return state.trigger("C"); }), (std::vector<int>{1}));
  InputState fresh;
  state = fresh;
  EXPECT_EQ(whileHoldingZ(31, [&] { return state.repeat("C"); }), (std::vector<int>{1, 24, 30}));
  state = fresh;
  EXPECT_EQ(whileHoldingZ(5, [&] { return state.press("C"); }).size(), 5u);
}

TEST_F(InputStateTest, PressLastsUntilAnUpdateProcessesTheKeyUp) {
  state.keyDown(kZ);
  state.update();
  state.keyUp(kZ);
  EXPECT_TRUE(state.press("C"));
  state.update();
  EXPECT_FALSE(state.press("C"));
  EXPECT_EQ(state.holdCount(kZ), 0);
}

TEST_F(InputStateTest, KeyDownAndUpBetweenUpdatesIsSeenOnlyByRecentTriggered) {
  state.keyDown(kZ);
  state.keyUp(kZ);
  EXPECT_EQ(state.recentPressed(), 0u);
  state.update();
  EXPECT_FALSE(state.press("C"));
  EXPECT_FALSE(state.trigger("C"));
  EXPECT_EQ(state.recentTriggered(), kZ);
  state.update();
  EXPECT_EQ(state.recentTriggered(), 0u);
}

TEST_F(InputStateTest, RecentKeysFollowMessagesAndUpdates) {
  state.keyDown(kZ);
  state.keyDown(kLeft);
  EXPECT_EQ(state.recentPressed(), kLeft);
  state.keyUp(kZ);  // not the recent one: stays
  EXPECT_EQ(state.recentPressed(), kLeft);
  state.update();
  EXPECT_EQ(state.recentTriggered(), kLeft);  // the smallest new code
  state.keyDown(kZ);
  state.update();
  EXPECT_EQ(state.recentTriggered(), kZ);
  state.keyUp(kZ);
  EXPECT_EQ(state.recentPressed(), 0u);
}

TEST_F(InputStateTest, FixedKeysStandBesideTheTable) {
  state.keyDown(kShift);
  state.update();
  EXPECT_TRUE(state.press("SHIFT"));
  EXPECT_TRUE(state.press("A"));
  EXPECT_EQ(state.keysOf("SHIFT"), (std::vector<KeyCode>{kShift}));
  EXPECT_EQ(state.keysOf("C"), (std::vector<KeyCode>{13, 32, 67, 90}));
  EXPECT_EQ(state.keysOf("B"), (std::vector<KeyCode>{0x1B, 0x58}));
  EXPECT_EQ(state.keysOf("F12"), (std::vector<KeyCode>{0x7B}));
  EXPECT_TRUE(state.keysOf("c").empty());  // callers upper-case first
}

TEST_F(InputStateTest, SetKeysMovesCodesBetweenNames) {
  state.setKeys("A", {kZ});
  EXPECT_EQ(state.keysOf("A"), (std::vector<KeyCode>{kZ}));  // Shift no longer stands for A
  state.keyDown(kZ);
  state.update();
  EXPECT_TRUE(state.press("A"));
  EXPECT_FALSE(state.press("C"));
  state.setKeys("C", {});
  EXPECT_TRUE(state.keysOf("C").empty());
  state.setKeys("SHIFT", {});
  EXPECT_EQ(state.keysOf("SHIFT"), (std::vector<KeyCode>{kShift}));
}

TEST_F(InputStateTest, CodesAboveTheKeyRangeAreNeverHeld) {
  state.setKeys("BIG", {300, kZ});
  state.keyDown(300);
  state.keyDown(kHighestKey);
  state.update();
  EXPECT_EQ(state.holdCount(300), 0);
  EXPECT_EQ(state.holdCount(kHighestKey), 1);
  EXPECT_FALSE(state.press("BIG"));
}

TEST_F(InputStateTest, DirectionsFromHeldKeys) {
  state.keyDown(kLeft);
  state.update();
  EXPECT_EQ(dir4(state.directionStrengths()), 4);
  state.keyDown(kUp);
  EXPECT_EQ(dir4(state.directionStrengths()), 4);  // Up counts from the next update
  state.update();
  EXPECT_EQ(dir4(state.directionStrengths()), 8);
  EXPECT_EQ(dir8(state.directionStrengths()), 7);
  state.keyDown(kRight);
  state.update();
  EXPECT_EQ(dir4(state.directionStrengths()), 8);
  EXPECT_EQ(dir8(state.directionStrengths()), 8);
}

TEST_F(InputStateTest, KeysHeldForTheStrengthLimitNoLongerGiveADirection) {
  state.keyDown(kLeft);
  for (int update = 1; update < 65535; ++update) state.update();
  EXPECT_EQ(dir4(state.directionStrengths()), 4);
  state.update();
  EXPECT_EQ(dir4(state.directionStrengths()), 0);
  EXPECT_TRUE(state.press("LEFT"));
}

TEST_F(InputStateTest, DeactivationReleasesEverythingUntilKeysGoDownAgain) {
  state.keyDown(kZ);
  state.update();
  state.setActive(false);
  EXPECT_FALSE(state.press("C"));
  state.keyDown(kLeft);  // arrives while inactive: the update drops it
  EXPECT_FALSE(state.update());
  EXPECT_FALSE(state.press("LEFT"));
  state.setActive(true);
  state.update();
  EXPECT_FALSE(state.press("C"));
  EXPECT_FALSE(state.press("LEFT"));
  state.keyDown(kZ);
  state.update();
  EXPECT_TRUE(state.trigger("C"));
}

}  // namespace
}  // namespace input
