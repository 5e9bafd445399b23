#pragma once

// The clock that paces a movie on a sprite: a tick counter with its frequency (the steady clock in 100-ns ticks
// unless a test installs its own), and the step each Sprite#update takes with it.

#include <cstdint>

namespace video {

struct ClockSource {
  std::int64_t (*now)() = nullptr;
  std::int64_t frequency = 0;  // ticks per second
};

// The steady clock in 100-nanosecond ticks.
ClockSource steadyClock();
// Replaces the clock of every movie started afterwards; a source without a function or frequency restores the
// steady clock.
void setClockSource(ClockSource source);
ClockSource clockSource();

struct ClockStep {
  double time = 0.0;  // 100-ns units
  bool frameDue = false;
};

// One update: the clock gains the elapsed ticks in 100-ns units; once it reaches the frame duration a frame is
// due and one duration is taken off, the remainder kept. So at most one frame is due per update, and a movie
// whose frames come faster than the updates falls behind real time instead of skipping frames.
ClockStep stepVideoClock(double time, std::int64_t elapsedTicks, std::int64_t frequency, std::int64_t frameDuration);

}  // namespace video
