#include "live2d/cubism/CubismBreath.h"

#include <cmath>
#include <numbers>

#include "live2d/cubism/CubismModel.h"

namespace live2d::cubism {

void CubismBreath::updateParameters(CubismModel* model, float deltaTimeSeconds) {
  m_currentTimeSeconds += deltaTimeSeconds;
  const float phase = m_currentTimeSeconds * 2.0f * std::numbers::pi_v<float>;
  for (const BreathParameterData& p : m_parameters) {
    if (p.cycle == 0.0f) continue;
    model->addParameterValue(p.parameterId, p.offset + p.peak * std::sin(phase / p.cycle), p.weight);
  }
}

}  // namespace live2d::cubism
