// Model user data (userdata3.json).
#include "fuzz/FuzzInput.h"
#include "live2d/cubism/CubismFramework.h"
#include "live2d/cubism/CubismModelUserData.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace live2d::cubism;
  CubismFramework::setLogFunction(nullptr);
  if (const std::unique_ptr<CubismModelUserData> userData = CubismModelUserData::create(fuzz::bytes(data, size))) {
    (void)userData->getArtMeshUserDatas();
  }
  return 0;
}
