#pragma once

// An exp3.json expression: parameter targets blended by Add, Multiply or Overwrite. Played through the
// expression manager, which blends all playing expressions together; played through a plain queue, it
// applies its own targets with its fade weight.

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "live2d/cubism/ACubismMotion.h"
#include "live2d/cubism/CubismId.h"

namespace live2d::cubism {

enum class ExpressionBlendType { Add, Multiply, Overwrite };

class CubismExpressionMotion : public ACubismMotion {
 public:
  struct ExpressionParameter {
    CubismIdHandle parameterId = nullptr;
    ExpressionBlendType blendType = ExpressionBlendType::Add;
    float value = 0.0f;
  };

  // Nothing (and one log line) when the bytes are not an expression.
  static std::shared_ptr<CubismExpressionMotion> create(std::span<const std::uint8_t> bytes);

  const std::vector<ExpressionParameter>& getExpressionParameters() const { return m_parameters; }

 protected:
  void doUpdateParameters(CubismModel* model, float userTimeSeconds, float fadeWeight,
                          CubismMotionQueueEntry* entry) override;

 private:
  CubismExpressionMotion() = default;
  std::vector<ExpressionParameter> m_parameters;
};

}  // namespace live2d::cubism
