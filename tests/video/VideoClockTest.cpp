// The video clock's step: when frames fall due, what is kept, and the source tests install.

#include <gtest/gtest.h>

#include "video/VideoClock.h"

namespace {

constexpr std::int64_t kHz = 10'000'000;
constexpr std::int64_t kThirtyFps = 333'333;
// A clock ticking sixty times a second, one tick per update: exactly a sixtieth of a second each.
constexpr std::int64_t kSixtyHz = 60;

// How many of `updates` steps of `elapsed` ticks each find a frame due.
int framesDue(int updates, std::int64_t elapsed, std::int64_t frequency, std::int64_t duration, double* time) {
  int due = 0;
  for (int i = 0; i < updates; ++i) {
    const video::ClockStep step = video::stepVideoClock(*time, elapsed, frequency, duration);
    *time = step.time;
    due += step.frameDue ? 1 : 0;
  }
  return due;
}

TEST(VideoClock, ThirtyFramesOnSixtyUpdatesIsEverySecondUpdate) {
  double time = 0.0;
  const auto first = video::stepVideoClock(time, 1, kSixtyHz, kThirtyFps);
  EXPECT_FALSE(first.frameDue);
  const auto second = video::stepVideoClock(first.time, 1, kSixtyHz, kThirtyFps);
  EXPECT_TRUE(second.frameDue);
  time = second.time;
  for (int i = 0; i < 600; ++i) {
    const auto odd = video::stepVideoClock(time, 1, kSixtyHz, kThirtyFps);
    const auto even = video::stepVideoClock(odd.time, 1, kSixtyHz, kThirtyFps);
    ASSERT_FALSE(odd.frameDue) << i;
    ASSERT_TRUE(even.frameDue) << i;
    time = even.time;
  }
}

TEST(VideoClock, ZeroDurationMakesEveryUpdateDecode) {
  double time = 0.0;
  EXPECT_EQ(framesDue(10, 0, kHz, 0, &time), 10);
  EXPECT_EQ(framesDue(10, 1, kSixtyHz, 0, &time), 10);
}

TEST(VideoClock, SlowUpdatesKeepTheRemainderAndDecodeOneFrameEach) {
  // Updates a whole second apart: each owes thirty frames but decodes one, so the clock keeps the debt.
  double time = 0.0;
  EXPECT_EQ(framesDue(3, kHz, kHz, kThirtyFps, &time), 3);
  EXPECT_NEAR(time, 3.0 * kHz - 3.0 * kThirtyFps, 1e-3);
}

TEST(VideoClock, TicksOfAnyFrequencyAreCountedIn100Nanoseconds) {
  const auto step = video::stepVideoClock(0.0, 500, 1000, kThirtyFps);  // half a second of millisecond ticks
  EXPECT_TRUE(step.frameDue);
  EXPECT_NEAR(step.time, 5'000'000.0 - kThirtyFps, 1e-6);
}

}  // namespace
