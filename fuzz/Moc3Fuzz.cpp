// Live2D model data (.moc3): whatever loads must also evaluate at extreme parameters and give a draw list.
#include "fuzz/FuzzInput.h"
#include "live2d/cubism/CubismDrawList.h"
#include "live2d/cubism/CubismFramework.h"
#include "live2d/cubism/CubismMoc.h"
#include "live2d/cubism/CubismModel.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace live2d::cubism;
  CubismFramework::setLogFunction(nullptr);
  const std::shared_ptr<CubismMoc> moc = CubismMoc::create(fuzz::bytes(data, size));
  if (!moc) return 0;
  const std::unique_ptr<CubismModel> model = moc->createModel();
  for (bool maximum : {false, true}) {
    for (int i = 0; i < model->getParameterCount(); ++i) {
      model->setParameterValue(i, maximum ? model->getParameterMaximumValue(i) : model->getParameterMinimumValue(i));
    }
    model->update();
    CubismDrawList list;
    list.build(*model, {}, true);
  }
  return 0;
}
