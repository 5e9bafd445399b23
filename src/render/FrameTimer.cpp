#include "render/FrameTimer.h"

#include <chrono>
#include <cmath>
#include <thread>

#include "engine/ScriptApi.h"

namespace render {

namespace {

class SteadyFrameClock final : public FrameClock {
 public:
  std::int64_t now() override {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
  }
  std::int64_t frequency() const override { return 1'000'000'000; }
  void sleep(long seconds, long microseconds) override {
    // Script threads run only while the main thread waits inside the interpreter.
    if (engine::g_scriptApi != nullptr && engine::g_scriptApi->thread_wait_for != nullptr) {
      engine::g_scriptApi->thread_wait_for(seconds, microseconds);
    } else {
      std::this_thread::sleep_for(std::chrono::seconds(seconds) + std::chrono::microseconds(microseconds));
    }
  }
  void yield() override { std::this_thread::yield(); }
};

}  // namespace

FrameClock& steadyFrameClock() {
  static SteadyFrameClock clock;
  return clock;
}

FrameTimer::FrameTimer(FrameClock& clock) : m_clock(clock), m_frequency(clock.frequency()) {
  m_counterAtLastTitle = m_clock.now();
  setFrameRate(60);
  // The first paced frame starts the period: a new renderer's first frame is shown as soon as it is drawn, not
  // a frame's time after the renderer was made.
  m_started = false;
}

void FrameTimer::setFrameRate(int framesPerSecond) {
  m_frameRate = framesPerSecond > 0 ? framesPerSecond : 1;
  m_ticksPerFrame = static_cast<double>(m_frequency) / m_frameRate;
  m_sleepSeconds = 0;
  m_sleepMicroseconds = 1000;
  m_spinThreshold = static_cast<std::int64_t>(m_ticksPerFrame * 0.1);
  restartPeriod();
}

void FrameTimer::restartPeriod() {
  m_started = true;
  m_framesInPeriod = 0;
  m_periodStart = m_clock.now();
}

void FrameTimer::pace() {
  if (m_started) {
    waitForFrame();
  } else {
    restartPeriod();
  }
}

void FrameTimer::waitForFrame() {
  ++m_framesInPeriod;
  ++m_framesTotal;
  const auto target = static_cast<std::int64_t>(m_framesInPeriod * m_ticksPerFrame);
  std::int64_t now = m_clock.now();
  while (now - m_periodStart < target) {
    if (target - (now - m_periodStart) > m_spinThreshold) {
      m_clock.sleep(m_sleepSeconds, m_sleepMicroseconds);
    } else {
      m_clock.yield();
    }
    now = m_clock.now();
  }
  if (now - m_periodStart - target > static_cast<std::int64_t>(m_ticksPerFrame)) {
    m_started = true;
    m_framesInPeriod = 0;
    m_periodStart = now;
  }
}

bool FrameTimer::titleDue(std::int64_t intervalMs) const {
  return (m_clock.now() - m_counterAtLastTitle) * 1000 >= intervalMs * m_frequency;
}

int FrameTimer::takeTitleRate() {
  const std::int64_t now = m_clock.now();
  const double elapsed = static_cast<double>(now - m_counterAtLastTitle) / static_cast<double>(m_frequency);
  const int frames = m_framesTotal - m_framesAtLastTitle;
  m_counterAtLastTitle = now;
  m_framesAtLastTitle = m_framesTotal;
  m_lastTitleRate = elapsed > 0.0 ? static_cast<int>(std::floor(frames / elapsed + 0.5)) : 0;
  return m_lastTitleRate;
}

std::string frameRateTitle(const std::string& title, bool showFrameRate, int framesPerSecond) {
  if (!showFrameRate) {
    return title;
  }
  return title + " - FPS: " + std::to_string(framesPerSecond);
}

}  // namespace render
