#pragma once

// A render target a model is drawn into, later drawn into the scene as a texture. Between beginDraw and endDraw
// it is the device's only render target; endDraw puts back the targets and viewport that were there before.

#include <array>
#include <cstdint>
#include <memory>

#include "platform/gfx/Types.h"

namespace gfx {
class Device;
class Texture;
}  // namespace gfx

namespace live2d::cubism {

class CubismOffscreenFrame_D3D9 {
 public:
  CubismOffscreenFrame_D3D9();
  ~CubismOffscreenFrame_D3D9();
  CubismOffscreenFrame_D3D9(const CubismOffscreenFrame_D3D9&) = delete;
  CubismOffscreenFrame_D3D9& operator=(const CubismOffscreenFrame_D3D9&) = delete;

  // Makes a transparent width × height target on `device` (which must outlive the frame), or keeps the
  // current one when it already has that size. False, and no frame, for a size the device cannot make.
  bool createOffscreenFrame(gfx::Device& device, int width, int height);
  void destroyOffscreenFrame();

  // False (and nothing changes) without a frame or while already drawing.
  bool beginDraw();
  void endDraw();
  // The whole frame to one colour, channels 0 to 1 (premultiplied, as the frame is used).
  void clear(float r, float g, float b, float a);

  bool isValid() const { return m_texture != nullptr; }
  bool isDrawing() const { return m_drawing; }
  const gfx::Texture* getTexture() const { return m_texture.get(); }
  int getBufferWidth() const;
  int getBufferHeight() const;

 private:
  gfx::Device* m_device = nullptr;  // not owned; set while a frame exists
  std::unique_ptr<gfx::Texture> m_texture;
  bool m_drawing = false;
  std::array<gfx::Texture*, gfx::kRenderTargetCount> m_previousTargets{};
  gfx::Viewport m_previousViewport;
};

// Channels 0 to 1 to the layer's A8R8G8B8 word, rounded and clamped.
std::uint32_t argbFromFloats(float r, float g, float b, float a);

}  // namespace live2d::cubism
