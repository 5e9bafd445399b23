#pragma once

// Plays expressions with priorities like the motion manager, but blends every playing expression into
// one result per parameter: each expression pulls the Add, Multiply and Overwrite accumulators toward its
// targets by its fade weight, and the result (overwrite + add) × multiply is mixed in with the summed
// weight. Once the newest expression has fully faded in, the older ones are dropped.

#include <vector>

#include "live2d/cubism/CubismId.h"
#include "live2d/cubism/CubismMotionManager.h"

namespace live2d::cubism {

class CubismExpressionMotionManager : public CubismMotionManager {
 public:
  bool updateMotion(CubismModel* model, float deltaTimeSeconds) override;

 private:
  struct Accumulator {
    CubismIdHandle parameterId = nullptr;
    float additive = 0.0f;
    float multiply = 1.0f;
    float overwrite = 0.0f;
  };
  std::vector<Accumulator> m_accumulators;
};

}  // namespace live2d::cubism
