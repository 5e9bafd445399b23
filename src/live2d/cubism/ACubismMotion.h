#pragma once

// The base of everything a motion queue plays: fade in/out, weight, start offset, events and the
// finished handler. A subclass writes its values through doUpdateParameters with the entry's fade weight.

#include <functional>
#include <string>
#include <vector>

namespace live2d::cubism {

class CubismModel;
class CubismMotionQueueEntry;

// 0 below 0, 1 above 1, a cosine ease between.
float easeSine(float value);

class ACubismMotion {
 public:
  using FinishedMotionCallback = std::function<void(ACubismMotion* motion)>;

  virtual ~ACubismMotion() = default;

  // Starts the entry on its first call, then writes this motion's values weighted by its fades.
  void updateParameters(CubismModel* model, CubismMotionQueueEntry* entry, float userTimeSeconds);
  // Records the start time and end time on the entry's first update; applies a pending fade-out request.
  void setupMotionQueueEntry(CubismMotionQueueEntry* entry, float userTimeSeconds);
  // weight × fade-in × fade-out at that time.
  float updateFadeWeight(CubismMotionQueueEntry* entry, float userTimeSeconds) const;

  void setFadeInTime(float seconds) { m_fadeInSeconds = seconds; }
  void setFadeOutTime(float seconds) { m_fadeOutSeconds = seconds; }
  float getFadeInTime() const { return m_fadeInSeconds; }
  float getFadeOutTime() const { return m_fadeOutSeconds; }
  void setWeight(float weight) { m_weight = weight; }
  float getWeight() const { return m_weight; }
  // Seconds into the motion at which playback starts.
  void setOffsetTime(float seconds) { m_offsetSeconds = seconds; }

  // Length in seconds; -1 when the motion has no end (looping, expressions).
  virtual float getDuration() const { return -1.0f; }
  virtual float getLoopDuration() const { return -1.0f; }

  // Event values whose time lies in (beforeSeconds, nowSeconds], in motion time.
  virtual const std::vector<std::string>& getFiredEvent(float beforeSeconds, float nowSeconds);

  void setFinishedMotionHandler(FinishedMotionCallback handler) { m_onFinished = std::move(handler); }
  const FinishedMotionCallback& getFinishedMotionHandler() const { return m_onFinished; }

 protected:
  virtual void doUpdateParameters(CubismModel* model, float userTimeSeconds, float fadeWeight,
                                  CubismMotionQueueEntry* entry) = 0;

  float m_fadeInSeconds = 1.0f;
  float m_fadeOutSeconds = 1.0f;
  float m_weight = 1.0f;
  float m_offsetSeconds = 0.0f;
  std::vector<std::string> m_firedEvents;
  FinishedMotionCallback m_onFinished;
};

}  // namespace live2d::cubism
