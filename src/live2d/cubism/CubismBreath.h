#pragma once

// Idle breathing: each entry adds offset + peak·sin(2π·t/cycle) to its parameter with its weight.

#include <vector>

#include "live2d/cubism/CubismId.h"

namespace live2d::cubism {

class CubismModel;

class CubismBreath {
 public:
  struct BreathParameterData {
    CubismIdHandle parameterId = nullptr;
    float offset = 0.0f;
    float peak = 0.0f;
    float cycle = 1.0f;  // seconds
    float weight = 0.0f;
  };

  void setParameters(const std::vector<BreathParameterData>& parameters) { m_parameters = parameters; }
  const std::vector<BreathParameterData>& getParameters() const { return m_parameters; }
  void updateParameters(CubismModel* model, float deltaTimeSeconds);

 private:
  std::vector<BreathParameterData> m_parameters;
  float m_currentTimeSeconds = 0.0f;
};

}  // namespace live2d::cubism
