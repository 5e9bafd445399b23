#pragma once

// One Live2D model of an L2D object, over the framework's user model: loads a model setting file (model3.json) and
// everything it names, animates the model every frame (motions with priorities and an idle motion, eye blink,
// expressions, dragging, breath, physics, pose), answers hit tests by area name, and owns the offscreen frame the
// model is drawn into. Every file path is the model folder followed by a name, without a separator in between.

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "live2d/cubism/CubismModelSettingJson.h"
#include "live2d/cubism/CubismOffscreenFrame_D3D9.h"
#include "live2d/cubism/CubismUserModel.h"

namespace live2d {

namespace cubism {
class CubismRenderer_D3D9;
}

inline constexpr int kPriorityIdle = 1;
inline constexpr int kPriorityNormal = 2;
inline constexpr int kPriorityForce = 3;

// Claims `priority` for a motion about to start: the forced priority always wins, any other is refused while a
// motion of that or a higher priority plays or is reserved.
bool reserveMotionPriority(cubism::CubismMotionManager& manager, int priority);

class LAppModel : public cubism::CubismUserModel {
 public:
  LAppModel();
  ~LAppModel() override;

  // Reads dir + fileName and the files it names, builds the renderer and binds the textures (which needs the
  // graphics context current). Missing or broken files are logged and skipped; without a readable setting the
  // model stays unloaded.
  void loadAssets(const std::string& dir, const std::string& fileName);
  // A setting was read and its model file loaded.
  bool isLoaded() const { return m_modelSetting != nullptr && getModel() != nullptr; }
  const cubism::CubismModelSettingJson* setting() const { return m_modelSetting.get(); }

  // One frame of animation, `elapsedSeconds` after the previous one.
  void update(float elapsedSeconds);

  // The motion handle, or -1 when the index is outside the group or the priority is refused.
  cubism::CubismMotionQueueEntryHandle startMotion(const std::string& group, int index, int priority);
  void setExpression(const std::string& name);
  void setRandomExpression();
  // Whether the view point (x, y) lies in the hit area called `areaName`.
  virtual bool hitTest(const std::string& areaName, float x, float y);
  void motionEventFired(const std::string& eventValue) override;

  cubism::CubismRenderer_D3D9* renderer() const;
  cubism::CubismOffscreenFrame_D3D9& renderBuffer() { return m_renderBuffer; }
  const std::vector<std::uint64_t>& boundTextureIds() const { return m_boundTextureIds; }

  // Around a device reset: the frame, the renderer and the texture bindings go, then the renderer is made again
  // and the textures loaded again from their files (the texture manager has released them all in between).
  void releaseDeviceResources();
  void restoreDeviceResources();

 protected:
  std::unique_ptr<cubism::CubismModelSettingJson> m_modelSetting;

 private:
  void setupModel();
  void setupTextures();
  void preloadMotionGroup(const std::string& group);
  // The motion file of (group, index), with the setting's fades and the model's effect ids; null when unreadable.
  std::shared_ptr<cubism::CubismMotion> loadMotionFile(const std::string& group, int index, const std::string& name);
  void releaseTextures();

  std::string m_modelHomeDir;
  std::vector<cubism::CubismIdHandle> m_eyeBlinkIds;
  std::vector<cubism::CubismIdHandle> m_lipSyncIds;
  std::map<std::string, std::shared_ptr<cubism::CubismMotion>> m_motions;
  std::map<std::string, std::shared_ptr<cubism::CubismExpressionMotion>> m_expressions;
  cubism::CubismIdHandle m_idAngleX = nullptr;
  cubism::CubismIdHandle m_idAngleY = nullptr;
  cubism::CubismIdHandle m_idAngleZ = nullptr;
  cubism::CubismIdHandle m_idBodyAngleX = nullptr;
  cubism::CubismIdHandle m_idEyeBallX = nullptr;
  cubism::CubismIdHandle m_idEyeBallY = nullptr;
  std::vector<std::uint64_t> m_boundTextureIds;
  cubism::CubismOffscreenFrame_D3D9 m_renderBuffer;
};

}  // namespace live2d
