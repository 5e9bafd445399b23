#pragma once

// One playing motion in a queue: its timing (start, fade-in start, end) and state.

#include <memory>

#include "live2d/cubism/ACubismMotion.h"

namespace live2d::cubism {

using CubismMotionQueueEntryHandle = int;
inline constexpr CubismMotionQueueEntryHandle kInvalidMotionQueueEntryHandle = -1;

class CubismMotionQueueEntry {
 public:
  CubismMotionQueueEntry(std::shared_ptr<ACubismMotion> motion, CubismMotionQueueEntryHandle handle)
      : m_motion(std::move(motion)), m_handle(handle) {}

  ACubismMotion* getCubismMotion() const { return m_motion.get(); }
  const std::shared_ptr<ACubismMotion>& motionPointer() const { return m_motion; }
  CubismMotionQueueEntryHandle getHandle() const { return m_handle; }

  bool isFinished() const { return m_finished; }
  void setIsFinished(bool finished) { m_finished = finished; }
  bool isStarted() const { return m_started; }
  void setIsStarted(bool started) { m_started = started; }
  float getStartTime() const { return m_startSeconds; }
  void setStartTime(float seconds) { m_startSeconds = seconds; }
  float getFadeInStartTime() const { return m_fadeInStartSeconds; }
  void setFadeInStartTime(float seconds) { m_fadeInStartSeconds = seconds; }
  // -1 while the motion has no end.
  float getEndTime() const { return m_endSeconds; }
  void setEndTime(float seconds) { m_endSeconds = seconds; }
  float getLastCheckEventTime() const { return m_lastEventCheckSeconds; }
  void setLastCheckEventTime(float seconds) { m_lastEventCheckSeconds = seconds; }

  // Asks the entry to fade out over `seconds` from its next update.
  void setFadeOut(float seconds) {
    m_fadeOutSeconds = seconds;
    m_fadeOutRequested = true;
  }
  bool isTriggeredFadeOut() const { return m_fadeOutRequested; }
  float getFadeOutSeconds() const { return m_fadeOutSeconds; }
  // Ends the entry `seconds` from now, unless it already ends sooner.
  void startFadeout(float seconds, float userTimeSeconds) {
    const float newEnd = userTimeSeconds + (seconds > 0.0f ? seconds : 0.0f);
    m_fadeOutRequested = false;
    m_fadingOut = true;
    if (m_endSeconds < 0.0f || newEnd < m_endSeconds) m_endSeconds = newEnd;
  }
  bool isFadingOut() const { return m_fadingOut; }

 private:
  std::shared_ptr<ACubismMotion> m_motion;
  CubismMotionQueueEntryHandle m_handle = kInvalidMotionQueueEntryHandle;
  bool m_finished = false;
  bool m_started = false;
  bool m_fadeOutRequested = false;
  bool m_fadingOut = false;
  float m_startSeconds = -1.0f;
  float m_fadeInStartSeconds = 0.0f;
  float m_endSeconds = -1.0f;
  float m_fadeOutSeconds = 0.0f;
  float m_lastEventCheckSeconds = 0.0f;
};

}  // namespace live2d::cubism
