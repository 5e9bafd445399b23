// Physics settings (physics3.json), stepped on a model.
#include "fuzz/FuzzInput.h"
#include "fuzz/Live2dFuzzSupport.h"
#include "live2d/cubism/CubismPhysics.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace live2d::cubism;
  const std::unique_ptr<CubismModel> model = fuzz::freshSampleModel();
  const std::unique_ptr<CubismPhysics> physics = CubismPhysics::create(fuzz::bytes(data, size));
  if (!physics) return 0;
  for (std::size_t i = 0; i < physics->getSettingCount(); ++i) (void)physics->getParticlePositions(i);
  if (!model) return 0;
  for (float step : {0.0f, 1.0f / 60, 1.0f / 60, 0.5f, 10.0f}) physics->evaluate(model.get(), step);
  return 0;
}
