#pragma once

// The record behind an `L2D` script object: a scene object that covers the whole screen with the picture of one
// Live2D model. Every frame the model is animated and drawn into a screen-sized frame, with its own offset and zoom
// applied there; the scene then draws that frame as the object's texture, at the object's depth and with its
// opacity, blend type, colour, tone and effect, like any sprite at (0, 0).
//
// Every live L2D is in the L2D list, in creation order, from construction to disposal; the frame pass walks it.

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "live2d/ModelPlacement.h"
#include "live2d/cubism/CubismId.h"
#include "scene/Sprite.h"

namespace gfx {
class Device;
class Texture;
}  // namespace gfx

namespace live2d {

class LAppModel;

class L2D final : public scene::Sprite {
 public:
  // The base defaults and the L2D's own, in the L2D list, without a model and in no draw list.
  L2D();
  // Disposes a live object.
  ~L2D() override;

  // The L2D's own fields only: zoom 1, offset and look point 0.
  void resetDefaults() override;
  // The sprite part, then the model (its frame and textures with it); leaves the L2D list.
  void dispose() override;
  // The model's picture of the last frame; null before the first frame and without a model.
  gfx::Texture* texture() override;

  // Makes the model from dir + fileName (no separator is added) and sizes the picture to the screen.
  void load(const std::string& dir, const std::string& fileName, int screenWidth, int screenHeight);
  LAppModel* model() const { return m_model.get(); }
  // A model whose setting and model file were read.
  bool modelLoaded() const;

  // The framework's id of a parameter name, resolved once per object.
  cubism::CubismIdHandle parameterId(std::string_view name);
  std::size_t cachedParameterIds() const { return m_parameterIds.size(); }

  ModelPlacement placement(int screenWidth, int screenHeight) const;

  // One frame: the model advances by `elapsedSeconds`; unless the picture would not be shown, it is drawn into the
  // model's frame, which becomes the object's texture.
  void renderFrame(gfx::Device& device, int screenWidth, int screenHeight, float elapsedSeconds);
  void releaseDeviceResources();
  void restoreDeviceResources();

  float modelZoomX = 1.0f;
  float modelZoomY = 1.0f;
  std::int32_t modelX = 0;
  std::int32_t modelY = 0;
  std::int32_t lookX = 0;
  std::int32_t lookY = 0;

 private:
  std::unique_ptr<LAppModel> m_model;
  std::map<std::string, cubism::CubismIdHandle, std::less<>> m_parameterIds;
  // The model's frame with straight alpha, as the scene draws textures.
  std::unique_ptr<gfx::Texture> m_picture;
};

// Every live L2D, in creation order.
const std::vector<L2D*>& l2dList();

}  // namespace live2d
