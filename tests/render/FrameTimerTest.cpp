#include <gtest/gtest.h>

#include "render/FrameTimer.h"

namespace {

// Milliseconds as ticks; sleeping advances time by the slice, yielding by 0.1 ms.
class FakeClock final : public render::FrameClock {
 public:
  std::int64_t now() override { return m_now; }
  std::int64_t frequency() const override { return 1'000'000; }
  void sleep(long seconds, long microseconds) override {
    ++sleeps;
    m_now += seconds * 1'000'000 + microseconds;
  }
  void yield() override {
    ++yields;
    m_now += 100;
  }
  void advance(std::int64_t microseconds) { m_now += microseconds; }

  int sleeps = 0;
  int yields = 0;

 private:
  std::int64_t m_now = 5'000'000;
};

TEST(FrameTimerTest, StartsAtSixtyWithATenthAsSpinThreshold) {
  FakeClock clock;
  render::FrameTimer timer(clock);
  EXPECT_EQ(timer.frameRate(), 60);
  EXPECT_DOUBLE_EQ(timer.ticksPerFrame(), 1'000'000.0 / 60);
  EXPECT_EQ(timer.spinThreshold(), 1666);
}

TEST(FrameTimerTest, TheFirstPacedFrameGoesAtOnceAndStartsThePeriod) {
  FakeClock clock;
  render::FrameTimer timer(clock);
  clock.advance(5'000);
  timer.pace();
  EXPECT_EQ(clock.sleeps + clock.yields, 0);
  EXPECT_EQ(timer.periodStart(), clock.now());
  const std::int64_t first = clock.now();
  timer.pace();
  EXPECT_GE(clock.now() - first, 16'666);  // the second waits a whole frame after the first
}

TEST(FrameTimerTest, WaitsSleepingThroughTheInterpreterThenYieldsTheLastTenth) {
  FakeClock clock;
  render::FrameTimer timer(clock);
  const std::int64_t start = timer.periodStart();
  timer.waitForFrame();
  EXPECT_GE(clock.now() - start, 16'666);
  EXPECT_LT(clock.now() - start, 16'666 + 1000);
  // Sleeping in 1 ms slices stops once a tenth of a frame (1.67 ms) or less remains.
  EXPECT_EQ(clock.sleeps, 15);
  EXPECT_GE(clock.yields, 1);
  EXPECT_EQ(timer.framesInPeriod(), 1);
}

TEST(FrameTimerTest, SmallDelaysAreMadeUpByTheNextFrame) {
  FakeClock clock;
  render::FrameTimer timer(clock);
  const std::int64_t start = timer.periodStart();
  clock.advance(10'000);
  timer.waitForFrame();
  clock.advance(20'000);  // frame 2 ends 3.3 ms late: less than a frame
  timer.waitForFrame();
  EXPECT_EQ(timer.framesInPeriod(), 2);
  timer.waitForFrame();
  EXPECT_EQ(timer.periodStart(), start);
  EXPECT_LT(clock.now() - start, 50'000 + 1000);  // frame 3 is on its slot, not 16.7 ms after frame 2
}

TEST(FrameTimerTest, AFrameTwentyMillisecondsLateRestartsThePeriod) {
  FakeClock clock;
  render::FrameTimer timer(clock);
  timer.waitForFrame();
  clock.advance(16'667 + 20'000);
  timer.waitForFrame();
  EXPECT_EQ(timer.framesInPeriod(), 0);
  EXPECT_EQ(timer.periodStart(), clock.now());
  const std::int64_t restart = clock.now();
  timer.waitForFrame();
  EXPECT_GE(clock.now() - restart, 16'666);  // the next frame is paced a whole frame later, not rushed
}

TEST(FrameTimerTest, SettingTheFrameRateRestartsThePeriodAtOnce) {
  FakeClock clock;
  render::FrameTimer timer(clock);
  timer.waitForFrame();
  timer.waitForFrame();
  clock.advance(5'000);
  timer.setFrameRate(30);
  EXPECT_EQ(timer.framesInPeriod(), 0);
  EXPECT_EQ(timer.periodStart(), clock.now());
  const std::int64_t restart = clock.now();
  timer.waitForFrame();
  timer.waitForFrame();
  EXPECT_GE(clock.now() - restart, 66'666);
  EXPECT_LT(clock.now() - restart, 66'666 + 1000);
}

TEST(FrameTimerTest, TitleRateIsFramesOverElapsedRounded) {
  FakeClock clock;
  render::FrameTimer timer(clock);
  EXPECT_FALSE(timer.titleDue());
  for (int i = 0; i < 59; ++i) timer.waitForFrame();
  clock.advance(20'000);
  EXPECT_TRUE(timer.titleDue());
  const int rate = timer.takeTitleRate();
  EXPECT_EQ(rate, 59);  // 59 frames in about 1.004 s: 58.8 rounds up
  EXPECT_FALSE(timer.titleDue());
  EXPECT_EQ(render::frameRateTitle("Game", true, rate), "Game - FPS: 59");
  EXPECT_EQ(render::frameRateTitle("Game", false, rate), "Game");
}

}  // namespace
