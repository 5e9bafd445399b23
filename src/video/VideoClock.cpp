#include "video/VideoClock.h"

#include <chrono>

namespace video {

namespace {

constexpr std::int64_t kTicksPerSecond = 10'000'000;

std::int64_t steadyNow() {
  using Ticks = std::chrono::duration<std::int64_t, std::ratio<1, kTicksPerSecond>>;
  return std::chrono::duration_cast<Ticks>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

ClockSource g_source = steadyClock();

}  // namespace

ClockSource steadyClock() { return {&steadyNow, kTicksPerSecond}; }

void setClockSource(ClockSource source) {
  g_source = source.now != nullptr && source.frequency > 0 ? source : steadyClock();
}

ClockSource clockSource() { return g_source; }

ClockStep stepVideoClock(double time, std::int64_t elapsedTicks, std::int64_t frequency, std::int64_t frameDuration) {
  ClockStep step;
  step.time = time;
  if (frequency > 0)
    step.time +=
        static_cast<double>(elapsedTicks) * static_cast<double>(kTicksPerSecond) / static_cast<double>(frequency);
  if (static_cast<double>(frameDuration) <= step.time) {
    step.time -= static_cast<double>(frameDuration);
    step.frameDue = true;
  }
  return step;
}

}  // namespace video
