#include "live2d/cubism/CubismExpressionMotion.h"

#include <cmath>

#include "live2d/cubism/CubismFramework.h"
#include "live2d/cubism/CubismModel.h"
#include "live2d/cubism/private/Json.h"

namespace live2d::cubism {

std::shared_ptr<CubismExpressionMotion> CubismExpressionMotion::create(std::span<const std::uint8_t> bytes) {
  const nlohmann::json root = json::parse(bytes);
  if (root.is_discarded() || !root.is_object()) {
    CUBISM_LOG_ERROR("Invalid expression: not a JSON object.\n");
    return nullptr;
  }
  std::shared_ptr<CubismExpressionMotion> expression(new CubismExpressionMotion());
  const float fadeIn = json::number(root, "FadeInTime", 1.0f);
  const float fadeOut = json::number(root, "FadeOutTime", 1.0f);
  expression->setFadeInTime(fadeIn >= 0.0f && std::isfinite(fadeIn) ? fadeIn : 1.0f);
  expression->setFadeOutTime(fadeOut >= 0.0f && std::isfinite(fadeOut) ? fadeOut : 1.0f);
  CubismIdManager* ids = CubismFramework::getIdManager();
  for (const nlohmann::json& p : json::array(root, "Parameters")) {
    const std::string id = json::string(p, "Id");
    const auto value = json::number(p, "Value");
    if (id.empty() || !value || !std::isfinite(*value)) continue;
    ExpressionParameter parameter;
    parameter.parameterId = ids->getId(id);
    parameter.value = *value;
    const std::string blend = json::string(p, "Blend");
    parameter.blendType = blend == "Multiply"    ? ExpressionBlendType::Multiply
                          : blend == "Overwrite" ? ExpressionBlendType::Overwrite
                                                 : ExpressionBlendType::Add;
    expression->m_parameters.push_back(parameter);
  }
  return expression;
}

void CubismExpressionMotion::doUpdateParameters(CubismModel* model, float, float fadeWeight, CubismMotionQueueEntry*) {
  for (const ExpressionParameter& p : m_parameters) {
    switch (p.blendType) {
      case ExpressionBlendType::Add: model->addParameterValue(p.parameterId, p.value, fadeWeight); break;
      case ExpressionBlendType::Multiply: model->multiplyParameterValue(p.parameterId, p.value, fadeWeight); break;
      case ExpressionBlendType::Overwrite: model->setParameterValue(p.parameterId, p.value, fadeWeight); break;
    }
  }
}

}  // namespace live2d::cubism
