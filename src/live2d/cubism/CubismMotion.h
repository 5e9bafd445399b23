#pragma once

// A motion3.json animation: curves for parameters, part opacities and the model's eye blink, lip sync and
// opacity, with loop, fades and timed user-data events.

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "live2d/cubism/ACubismMotion.h"
#include "live2d/cubism/CubismId.h"

namespace live2d::cubism {

struct MotionCurveSet;
struct MotionCurve;

class CubismMotion : public ACubismMotion {
 public:
  // Nothing (and one log line) when the bytes are not a motion. Malformed curves are dropped or cut at
  // their first bad segment.
  static std::shared_ptr<CubismMotion> create(std::span<const std::uint8_t> bytes,
                                             FinishedMotionCallback onFinished = nullptr);
  ~CubismMotion() override;

  float getDuration() const override;
  float getLoopDuration() const override { return m_durationSeconds; }
  const std::vector<std::string>& getFiredEvent(float beforeSeconds, float nowSeconds) override;

  void setIsLoop(bool loop) { m_loop = loop; }
  bool isLoop() const { return m_loop; }
  // The file's own Loop flag, which playback does not follow by itself.
  bool isLoopAuthored() const { return m_loopAuthored; }
  // Parameters that the model's EyeBlink and LipSync curves drive.
  void setEffectIds(const std::vector<CubismIdHandle>& eyeBlinkIds, const std::vector<CubismIdHandle>& lipSyncIds);

  // The value of the curve for `id` and target kind at `timeSeconds` (motion time); nothing when absent.
  bool curveValue(const std::string& target, CubismIdHandle id, float timeSeconds, float* value) const;
  int getCurveCount() const;
  float getFps() const { return m_fps; }

 protected:
  void doUpdateParameters(CubismModel* model, float userTimeSeconds, float fadeWeight,
                          CubismMotionQueueEntry* entry) override;

 private:
  CubismMotion();
  float motionTime(float seconds) const;
  float evaluateCurve(const MotionCurve& curve, float timeSeconds) const;

  std::unique_ptr<MotionCurveSet> m_curves;
  std::vector<MotionCurve> m_curveList;
  struct Event {
    float timeSeconds = 0.0f;
    std::string value;
  };
  std::vector<Event> m_events;
  float m_durationSeconds = 0.0f;
  float m_fps = 30.0f;
  bool m_loop = false;
  bool m_loopAuthored = false;
  std::vector<CubismIdHandle> m_eyeBlinkIds;
  std::vector<CubismIdHandle> m_lipSyncIds;
  CubismIdHandle m_idEyeBlink = nullptr;
  CubismIdHandle m_idLipSync = nullptr;
  CubismIdHandle m_idOpacity = nullptr;
};

}  // namespace live2d::cubism
