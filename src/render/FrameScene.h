#pragma once

// What the renderer asks of the scene each frame. The scene objects (windows, Live2D models, viewports and their
// draw lists) register one FrameScene; without one, frames draw an empty screen.

namespace render {

class Renderer;

class FrameScene {
 public:
  virtual ~FrameScene() = default;
  // Lays out windows, advances Live2D models by `seconds`, prepares every object and computes effective
  // properties. Runs before the scene is begun.
  virtual void prepareFrame(Renderer& renderer, double seconds) = 0;
  // Renders each viewport other than the screen's into its own texture (technique begun).
  virtual void renderViewports(Renderer& renderer) = 0;
  // Draws the screen's objects and the viewport textures in screen order (technique and batch begun, the
  // target cleared).
  virtual void drawScreen(Renderer& renderer) = 0;
  // Around a device reset: drop and recreate everything screen-sized (viewport targets, model frames).
  virtual void releaseDeviceResources(Renderer& renderer) = 0;
  virtual void restoreDeviceResources(Renderer& renderer) = 0;
  // The screen's size changed: the screen viewport becomes the whole screen.
  virtual void screenResized(Renderer& renderer, int width, int height) = 0;
};

// The scene every renderer draws, or null. The scene outlives every renderer it is set on.
void setFrameScene(FrameScene* scene);
FrameScene* frameScene();

}  // namespace render
