#include "live2d/cubism/ACubismMotion.h"

#include <cmath>
#include <numbers>

#include "live2d/cubism/CubismMotionQueueEntry.h"

namespace live2d::cubism {

float easeSine(float value) {
  if (value < 0.0f) return 0.0f;
  if (value > 1.0f) return 1.0f;
  return 0.5f - 0.5f * std::cos(value * std::numbers::pi_v<float>);
}

void ACubismMotion::setupMotionQueueEntry(CubismMotionQueueEntry* entry, float userTimeSeconds) {
  if (!entry->isStarted()) {
    entry->setIsStarted(true);
    entry->setStartTime(userTimeSeconds - m_offsetSeconds);
    entry->setFadeInStartTime(userTimeSeconds);
    // Just before now, so events at the very start fire on the first update.
    entry->setLastCheckEventTime(userTimeSeconds - 0.001f);
    const float duration = getDuration();
    if (entry->getEndTime() < 0.0f) {
      entry->setEndTime(duration <= 0.0f ? -1.0f : entry->getStartTime() + duration);
    }
  }
  if (entry->isTriggeredFadeOut()) entry->startFadeout(entry->getFadeOutSeconds(), userTimeSeconds);
}

float ACubismMotion::updateFadeWeight(CubismMotionQueueEntry* entry, float userTimeSeconds) const {
  const float fadeIn = m_fadeInSeconds <= 0.0f
                           ? 1.0f
                           : easeSine((userTimeSeconds - entry->getFadeInStartTime()) / m_fadeInSeconds);
  const float fadeOut = m_fadeOutSeconds <= 0.0f || entry->getEndTime() < 0.0f
                            ? 1.0f
                            : easeSine((entry->getEndTime() - userTimeSeconds) / m_fadeOutSeconds);
  return m_weight * fadeIn * fadeOut;
}

void ACubismMotion::updateParameters(CubismModel* model, CubismMotionQueueEntry* entry, float userTimeSeconds) {
  if (!entry || entry->isFinished()) return;
  setupMotionQueueEntry(entry, userTimeSeconds);
  doUpdateParameters(model, userTimeSeconds, updateFadeWeight(entry, userTimeSeconds), entry);
  if (entry->getEndTime() >= 0.0f && entry->getEndTime() < userTimeSeconds) entry->setIsFinished(true);
}

const std::vector<std::string>& ACubismMotion::getFiredEvent(float, float) {
  m_firedEvents.clear();
  return m_firedEvents;
}

}  // namespace live2d::cubism
