#pragma once

// The Live2D side of every frame and of the device's life: before the scene is drawn, every L2D (in creation order,
// shown or not) advances its model and draws it into its frame; around a device reset, and when a renderer's
// context goes, the frames, model renderers and textures are dropped and later made again.

#include "render/FrameScene.h"

namespace render {
class Renderer;
}

namespace live2d {

// Starts the framework once per process (its log is the debug log), on the current renderer's device.
void startFramework();

// Every L2D advances by `seconds` and draws its model into its frame. Models whose device resources went with a
// context are first given new ones.
void renderL2DFrames(render::Renderer& renderer, double seconds);
void releaseL2DDeviceResources();
void restoreL2DDeviceResources();

// The renderer's frame scene with the L2D frame pass in front: each frame the wrapped scene prepares its objects,
// then the models are drawn into their frames; device resets reach both.
class L2DFrameScene final : public render::FrameScene {
 public:
  explicit L2DFrameScene(render::FrameScene& scene) : m_scene(scene) {}
  render::FrameScene& wrapped() const { return m_scene; }

  void prepareFrame(render::Renderer& renderer, double seconds) override;
  void renderViewports(render::Renderer& renderer) override { m_scene.renderViewports(renderer); }
  void drawScreen(render::Renderer& renderer) override { m_scene.drawScreen(renderer); }
  void releaseDeviceResources(render::Renderer& renderer) override;
  void restoreDeviceResources(render::Renderer& renderer) override;
  void screenResized(render::Renderer& renderer, int width, int height) override {
    m_scene.screenResized(renderer, width, height);
  }

 private:
  render::FrameScene& m_scene;  // the scene's own frame work; lives as long as the process
};

}  // namespace live2d
