// A model's setting file (model3.json): every list it gives, read back entry by entry.
#include <map>

#include "fuzz/FuzzInput.h"
#include "live2d/cubism/CubismFramework.h"
#include "live2d/cubism/CubismModelSettingJson.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace live2d::cubism;
  CubismFramework::setLogFunction(nullptr);
  const CubismModelSettingJson setting(fuzz::bytes(data, size));
  (void)setting.getTextureDirectory();
  for (int i = 0; i < setting.getTextureCount(); ++i) (void)setting.getTextureFileName(i);
  for (int i = 0; i < setting.getHitAreasCount(); ++i) {
    (void)setting.getHitAreaId(i);
    (void)setting.getHitAreaName(i);
  }
  for (int i = 0; i < setting.getExpressionCount(); ++i) {
    (void)setting.getExpressionName(i);
    (void)setting.getExpressionFileName(i);
  }
  for (int g = 0; g < setting.getMotionGroupCount(); ++g) {
    const std::string& group = setting.getMotionGroupName(g);
    for (int i = 0; i < setting.getMotionCount(group); ++i) {
      (void)setting.getMotionFileName(group, i);
      (void)setting.getMotionSoundFileName(group, i);
      (void)setting.getMotionFadeInTimeValue(group, i);
      (void)setting.getMotionFadeOutTimeValue(group, i);
    }
  }
  for (int i = 0; i < setting.getEyeBlinkParameterCount(); ++i) (void)setting.getEyeBlinkParameterId(i);
  for (int i = 0; i < setting.getLipSyncParameterCount(); ++i) (void)setting.getLipSyncParameterId(i);
  std::map<std::string, float> layout;
  (void)setting.getLayoutMap(layout);
  return 0;
}
