#pragma once

// The model renderer over the graphics layer: draws the frame's draw list into whatever render target the
// device has (normally a CubismOffscreenFrame_D3D9 between beginDraw and endDraw), under the model-view-
// projection matrix, following the drawing rules of CubismRenderer.
//
// Clipping masks are drawn first, each clipping context into one channel of a mask render target as large as
// the target (so mask edges are as sharp as the drawables they clip); the clipped drawables then read their
// context's channel at their own pixel. The device states, textures, targets and viewport in place before a
// draw are in place after it.
//
// Renderers draw on the device given to initializeConstantSettings or startFrame, and are deleted before it.

#include <memory>

#include "live2d/cubism/CubismRenderer.h"

namespace gfx {
class Device;
class Texture;
}  // namespace gfx

namespace live2d::cubism {

struct CubismImage;

class CubismRenderer_D3D9 : public CubismRenderer {
 public:
  // The device all renderers draw on. Vertex data is streamed per draw, so any buffer-set count works alike.
  static void initializeConstantSettings(int bufferSetCount, gfx::Device* device);
  // Brackets one frame's model draws. Within a frame, a renderer makes its mask targets at least the frame's
  // size, so it keeps them for any target up to that size instead of remaking them.
  static void startFrame(gfx::Device* device, int viewportWidth, int viewportHeight);
  static void endFrame(gfx::Device* device);
  // Renderers are deleted when the device goes; this forgets it until the next frame names one again.
  static void onDeviceLost();

  CubismRenderer_D3D9();
  ~CubismRenderer_D3D9() override;

  // Borrows `texture` (it must stay alive while bound) as model texture `index`. Its pixels are straight
  // unless the renderer is told they are premultiplied; straight ones are drawn from a premultiplied copy
  // made at the next draw, so filtering never mixes in the colour of transparent texels.
  void bindTexture(int index, const gfx::Texture* texture);
  // Uploads an R, G, B, A image as model texture `index`, premultiplied here unless the renderer is told its
  // textures are premultiplied already. Needs the device's context current.
  void bindImage(int index, const CubismImage& image);
  void unbindTextures();

  // Mask targets made for the last draw (0 when nothing was clipped), for tests and benchmarks.
  int maskTextureCount() const;

 protected:
  void doDrawModel(const CubismDrawList& list) override;

 private:
  struct Impl;
  std::unique_ptr<Impl> m_impl;
};

}  // namespace live2d::cubism
