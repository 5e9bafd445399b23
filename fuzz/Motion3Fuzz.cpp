// Motions (motion3.json), played looping on a model through the motion manager.
#include "fuzz/FuzzInput.h"
#include "fuzz/Live2dFuzzSupport.h"
#include "live2d/cubism/CubismMotion.h"
#include "live2d/cubism/CubismMotionManager.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace live2d::cubism;
  const std::unique_ptr<CubismModel> model = fuzz::freshSampleModel();
  const std::shared_ptr<CubismMotion> motion = CubismMotion::create(fuzz::bytes(data, size));
  if (!motion) return 0;
  (void)motion->getFiredEvent(0.0f, 1e9f);
  if (!model) return 0;
  motion->setIsLoop(true);
  CubismMotionManager manager;
  manager.startMotionPriority(motion, 2);
  for (float step : {0.0f, 0.4f, 0.4f, 3.0f, 1000.0f}) manager.updateMotion(model.get(), step);
  return 0;
}
