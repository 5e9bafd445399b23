// Part groups (pose3.json), faded on a model.
#include "fuzz/FuzzInput.h"
#include "fuzz/Live2dFuzzSupport.h"
#include "live2d/cubism/CubismPose.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace live2d::cubism;
  const std::unique_ptr<CubismModel> model = fuzz::freshSampleModel();
  const std::unique_ptr<CubismPose> pose = CubismPose::create(fuzz::bytes(data, size));
  if (!pose || !model) return 0;
  for (float step : {0.0f, 0.1f, 0.1f, 5.0f}) pose->updateParameters(model.get(), step);
  pose->reset(model.get());
  return 0;
}
