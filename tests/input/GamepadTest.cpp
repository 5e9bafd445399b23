#include "input/Gamepad.h"

#include <gtest/gtest.h>

#include "input/ControllerTable.h"

namespace input {
namespace {

struct DeadZoneCase {
  Stick raw;
  int deadZone;
  Stick expected;
};

TEST(GamepadTest, DeadZoneLosesItsLengthAndKeepsFullDeflection) {
  const DeadZoneCase cases[] = {
      {{20000, 0}, kLeftStickDeadZone, {15978, 0}},  // 12151 * 32767 / 24918
      {{7849, 0}, kLeftStickDeadZone, {0, 0}},
      {{7850, 0}, kLeftStickDeadZone, {2, 0}},  // the low quotient, in single precision, falls to 7848
      {{0, -7849}, kLeftStickDeadZone, {0, 0}},
      {{32767, 0}, kLeftStickDeadZone, {32767, 0}},
      {{-32768, 0}, kLeftStickDeadZone, {-32768, 0}},
      {{0, 32767}, kRightStickDeadZone, {0, 32767}},
      {{8689, 0}, kRightStickDeadZone, {0, 0}},
      {{20000, 0}, kRightStickDeadZone, {15392, 0}},  // 11311 * 32767 / 24078
      {{-20000, 0}, kLeftStickDeadZone, {-15978, 0}},
      {{6000, 6000}, kLeftStickDeadZone, {591, 591}},  // 450 * 23169 / 17619
      // A corner overshoots 32767 in the formula; it is held at the end of the range instead of wrapping.
      {{32767, 32767}, kLeftStickDeadZone, {32767, 32767}},
      {{-32768, -32768}, kRightStickDeadZone, {-32768, -32768}},
  };
  for (const DeadZoneCase& c : cases) {
    SCOPED_TRACE(testing::Message() << c.raw.x << ", " << c.raw.y << " D " << c.deadZone);
    EXPECT_EQ(applyDeadZone(c.raw, c.deadZone), c.expected);
  }
}

struct DirectionCase {
  Stick stick;
  int dir4;
  int dir8;
};

TEST(GamepadTest, StickDirectionsFromTheSinglePrecisionAngle) {
  const DirectionCase cases[] = {
      {{0, 0}, 0, 0},         {{1000, 0}, 6, 6},      {{-1000, 0}, 4, 4},    {{0, 1000}, 8, 8},
      {{0, -1000}, 2, 2},     {{1000, 1000}, 8, 9},                           // just above a quarter of pi once rounded
      {{-1000, 1000}, 4, 7},  {{-1000, -1000}, 4, 1}, {{1000, -1000}, 2, 3},  // just below minus a quarter of pi
      {{32767, 32767}, 8, 9}, {{1000, 300}, 6, 6},    {{1000, 500}, 6, 9},   {{-1000, -1}, 4, 4},
  };
  for (const DirectionCase& c : cases) {
    SCOPED_TRACE(testing::Message() << c.stick.x << ", " << c.stick.y);
    EXPECT_EQ(stickDir4(c.stick), c.dir4);
    EXPECT_EQ(stickDir8(c.stick), c.dir8);
  }
}

TEST(GamepadTest, ButtonNamesAreExactAndCaseSensitive) {
  EXPECT_EQ(buttonIndex("DPAD_UP"), 0);
  EXPECT_EQ(buttonIndex("RIGHT_SHOULDER"), 9);
  EXPECT_EQ(buttonIndex("A"), 12);
  EXPECT_EQ(buttonIndex("Y"), 15);
  EXPECT_EQ(buttonIndex("a"), -1);
  EXPECT_EQ(buttonIndex("GUIDE"), -1);
  EXPECT_EQ(buttonIndex(""), -1);
}

// A pad that answers from a script of readings, or fails while `plugged` is false.
class ControllerTableTest : public ::testing::Test {
 protected:
  ControllerTable table{[this](int pad, GamepadValues* values) {
    ++asks[static_cast<std::size_t>(pad)];
    if (pad != 0 || !plugged) {
      return false;
    }
    *values = reading;
    return true;
  }};
  bool plugged = true;
  GamepadValues reading;
  std::array<int, kPadCount> asks{};
};

TEST_F(ControllerTableTest, ButtonsTriggerOnceAndRepeatOnTheDefinedPolls) {
  reading.buttons = 1 << 12;
  std::vector<int> triggered;
  std::vector<int> repeated;
  for (int poll = 1; poll <= 31; ++poll) {
    table.poll();
    if (table.pad(0).trigger(12)) triggered.push_back(poll);
    if (table.pad(0).repeat(12)) repeated.push_back(poll);
  }
  EXPECT_EQ(triggered, (std::vector<int>{1}));
  EXPECT_EQ(repeated, (std::vector<int>{1, 24, 30}));
  EXPECT_TRUE(table.pad(0).press(12));
  EXPECT_FALSE(table.pad(0).press(13));
  reading.buttons = 0;
  table.poll();
  EXPECT_EQ(table.pad(0).holdCounts[12], 0);
}

TEST_F(ControllerTableTest, SticksArriveAfterTheDeadZone) {
  reading.thumbLeftX = 20000;
  reading.thumbRightX = 20000;
  reading.leftTrigger = 200;
  table.poll();
  EXPECT_TRUE(table.pad(0).connected);
  EXPECT_EQ(table.pad(0).current.thumbLeftX, 15978);
  EXPECT_EQ(table.pad(0).current.thumbRightX, 15392);
  EXPECT_EQ(table.pad(0).current.leftTrigger, 200);
}

TEST_F(ControllerTableTest, AMissingPadIsAskedAgainAfterSixtyPolls) {
  plugged = false;
  table.poll();
  EXPECT_FALSE(table.pad(0).connected);
  EXPECT_EQ(asks[0], 1);
  plugged = true;
  for (int poll = 0; poll < kRetryPolls; ++poll) {
    table.poll();
  }
  EXPECT_EQ(asks[0], 1);
  EXPECT_FALSE(table.pad(0).connected);
  table.poll();
  EXPECT_EQ(asks[0], 2);
  EXPECT_TRUE(table.pad(0).connected);
  EXPECT_EQ(asks[1], 2);  // pad 1 has never answered: asked on the first poll and 61 polls later
}

TEST_F(ControllerTableTest, UnpluggingClearsTheRecordAndClearingKeepsCountdowns) {
  reading.buttons = 1;
  table.poll();
  table.poll();
  plugged = false;
  table.poll();
  EXPECT_EQ(table.pad(0).current, GamepadValues{});
  EXPECT_EQ(table.pad(0).holdCounts[0], 0);
  EXPECT_EQ(table.retryCountdown(0), kRetryPolls);
  table.clear();
  EXPECT_EQ(table.retryCountdown(0), kRetryPolls);
  plugged = true;
  ControllerTable fresh([](int, GamepadValues* values) {
    values->buttons = 1;
    return true;
  });
  fresh.poll();
  fresh.poll();
  fresh.clear();
  EXPECT_FALSE(fresh.pad(0).connected);
  EXPECT_FALSE(fresh.pad(0).press(0));
  fresh.poll();
  EXPECT_TRUE(fresh.pad(0).trigger(0));  // the snapshot before was cleared too
}

}  // namespace
}  // namespace input
