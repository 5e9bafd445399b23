#pragma once

// Automatic blinking of the setting's EyeBlink parameters: open for a random interval, then close over
// 0.1 s, stay closed 0.05 s and open over 0.15 s.

#include <random>
#include <vector>

#include "live2d/cubism/CubismId.h"

namespace live2d::cubism {

class CubismModel;
class CubismModelSettingJson;

class CubismEyeBlink {
 public:
  enum class State { First, Interval, Closing, Closed, Opening };

  // Nothing to blink when the setting lists no EyeBlink parameter.
  explicit CubismEyeBlink(const CubismModelSettingJson* setting = nullptr);

  // Mean seconds between blinks (the wait is random in [0, 2·interval − 1)).
  void setBlinkingInterval(float seconds) { m_intervalSeconds = seconds; }
  void setBlinkingSettings(float closingSeconds, float closedSeconds, float openingSeconds);
  void setParameterIds(const std::vector<CubismIdHandle>& ids) { m_parameterIds = ids; }
  const std::vector<CubismIdHandle>& getParameterIds() const { return m_parameterIds; }
  void setRandomSeed(unsigned seed) { m_random.seed(seed); }

  void updateParameters(CubismModel* model, float deltaTimeSeconds);
  State state() const { return m_state; }

 private:
  float nextBlinkTime();

  std::vector<CubismIdHandle> m_parameterIds;
  State m_state = State::First;
  float m_userTimeSeconds = 0.0f;
  float m_stateStartSeconds = 0.0f;
  float m_nextBlinkSeconds = 0.0f;
  float m_intervalSeconds = 4.0f;
  float m_closingSeconds = 0.1f;
  float m_closedSeconds = 0.05f;
  float m_openingSeconds = 0.15f;
  std::minstd_rand m_random{12345};
};

}  // namespace live2d::cubism
