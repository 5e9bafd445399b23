#include "live2d/cubism/CubismEyeBlink.h"

#include <algorithm>

#include "live2d/cubism/CubismModel.h"
#include "live2d/cubism/CubismModelSettingJson.h"

namespace live2d::cubism {

CubismEyeBlink::CubismEyeBlink(const CubismModelSettingJson* setting) {
  if (!setting) return;
  for (int i = 0; i < setting->getEyeBlinkParameterCount(); ++i) m_parameterIds.push_back(setting->getEyeBlinkParameterId(i));
}

void CubismEyeBlink::setBlinkingSettings(float closingSeconds, float closedSeconds, float openingSeconds) {
  m_closingSeconds = closingSeconds;
  m_closedSeconds = closedSeconds;
  m_openingSeconds = openingSeconds;
}

float CubismEyeBlink::nextBlinkTime() {
  const float r = std::uniform_real_distribution<float>(0.0f, 1.0f)(m_random);
  return m_userTimeSeconds + r * std::max(0.0f, 2.0f * m_intervalSeconds - 1.0f);
}

void CubismEyeBlink::updateParameters(CubismModel* model, float deltaTimeSeconds) {
  m_userTimeSeconds += deltaTimeSeconds;
  float value = 1.0f;
  const auto progress = [&](float duration) {
    return duration > 0.0f ? (m_userTimeSeconds - m_stateStartSeconds) / duration : 1.0f;
  };
  switch (m_state) {
    case State::Closing: {
      const float t = progress(m_closingSeconds);
      if (t >= 1.0f) {
        m_state = State::Closed;
        m_stateStartSeconds = m_userTimeSeconds;
        value = 0.0f;
      } else {
        value = 1.0f - t;
      }
      break;
    }
    case State::Closed: {
      value = 0.0f;
      if (progress(m_closedSeconds) >= 1.0f) {
        m_state = State::Opening;
        m_stateStartSeconds = m_userTimeSeconds;
      }
      break;
    }
    case State::Opening: {
      const float t = progress(m_openingSeconds);
      if (t >= 1.0f) {
        m_state = State::Interval;
        m_nextBlinkSeconds = nextBlinkTime();
        value = 1.0f;
      } else {
        value = t;
      }
      break;
    }
    case State::Interval:
      if (m_nextBlinkSeconds < m_userTimeSeconds) {
        m_state = State::Closing;
        m_stateStartSeconds = m_userTimeSeconds;
      }
      break;
    case State::First:
      m_state = State::Interval;
      m_nextBlinkSeconds = nextBlinkTime();
      break;
  }
  for (CubismIdHandle id : m_parameterIds) model->setParameterValue(id, value);
}

}  // namespace live2d::cubism
