#pragma once

// Frame pacing and the frame-rate title. Frames are paced against the start of a pacing period rather than
// against the previous frame, so small delays are made up; a frame that comes more than a whole frame late
// restarts the period instead, so lost time is never made up by rushing the frames after it.

#include <cstdint>
#include <string>

namespace render {

// The time source and the two ways of waiting. The real one reads std::chrono::steady_clock and sleeps through
// the interpreter so that script threads run; tests drive a fake one.
class FrameClock {
 public:
  virtual ~FrameClock() = default;
  virtual std::int64_t now() = 0;
  virtual std::int64_t frequency() const = 0;
  // Lets other script threads run for the given time.
  virtual void sleep(long seconds, long microseconds) = 0;
  // Gives up the processor without a real sleep.
  virtual void yield() = 0;
};

// steady_clock in nanoseconds; sleeps through the interpreter's thread wait when a script interface exists.
FrameClock& steadyFrameClock();

class FrameTimer {
 public:
  // Starts at 60 frames per second, its period not yet started. The clock must outlive the timer.
  explicit FrameTimer(FrameClock& clock);

  // Restarts the pacing period; the rate must be positive (Graphics rejects the rest).
  void setFrameRate(int framesPerSecond);
  int frameRate() const { return m_frameRate; }

  // The pacing step of one update: waits for this frame's slot when a period runs, else starts one.
  void pace();
  void waitForFrame();
  void restartPeriod();
  bool started() const { return m_started; }
  double ticksPerFrame() const { return m_ticksPerFrame; }
  std::int64_t spinThreshold() const { return m_spinThreshold; }
  std::int64_t periodStart() const { return m_periodStart; }
  int framesInPeriod() const { return m_framesInPeriod; }
  int framesTotal() const { return m_framesTotal; }

  // Title bookkeeping: true once a second has passed since the last title, with the rate measured over it.
  [[nodiscard]] bool titleDue(std::int64_t intervalMs = 1000) const;
  int takeTitleRate();
  bool showFrameRate() const { return m_showFrameRate; }
  void setShowFrameRate(bool show) { m_showFrameRate = show; }
  int lastTitleRate() const { return m_lastTitleRate; }

 private:
  FrameClock& m_clock;
  std::int64_t m_frequency = 0;
  std::int64_t m_periodStart = 0;
  double m_ticksPerFrame = 0.0;
  std::int64_t m_spinThreshold = 0;
  bool m_started = false;
  int m_frameRate = 60;
  int m_framesInPeriod = 0;
  int m_framesTotal = 0;
  long m_sleepSeconds = 0;
  long m_sleepMicroseconds = 1000;
  bool m_showFrameRate = false;
  int m_framesAtLastTitle = 0;
  std::int64_t m_counterAtLastTitle = 0;
  int m_lastTitleRate = 0;
};

// "%s - FPS: %d" when the rate is shown, else the title alone.
std::string frameRateTitle(const std::string& title, bool showFrameRate, int framesPerSecond);

}  // namespace render
