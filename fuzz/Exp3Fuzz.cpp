// Expressions (exp3.json), applied on a model through the expression manager.
#include "fuzz/FuzzInput.h"
#include "fuzz/Live2dFuzzSupport.h"
#include "live2d/cubism/CubismExpressionMotion.h"
#include "live2d/cubism/CubismExpressionMotionManager.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace live2d::cubism;
  const std::unique_ptr<CubismModel> model = fuzz::freshSampleModel();
  const std::shared_ptr<CubismExpressionMotion> expression = CubismExpressionMotion::create(fuzz::bytes(data, size));
  if (!expression || !model) return 0;
  CubismExpressionMotionManager manager;
  manager.startMotionPriority(expression, 3);
  for (float step : {0.0f, 0.3f, 0.3f, 5.0f}) manager.updateMotion(model.get(), step);
  return 0;
}
