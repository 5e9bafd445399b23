#pragma once

// The scene's side of every frame: prepares and orders the draw lists, renders each viewport that needs it into its
// own target and draws the screen's objects and the viewports in one merged order.

#include <memory>
#include <vector>

#include "render/FrameScene.h"
#include "scene/DrawOrder.h"

namespace scene {

class Sprite;
class Viewport;

class SceneFrame final : public render::FrameScene {
 public:
  SceneFrame();
  ~SceneFrame() override;

  void prepareFrame(render::Renderer& renderer, double seconds) override;
  void renderViewports(render::Renderer& renderer) override;
  void drawScreen(render::Renderer& renderer) override;
  void releaseDeviceResources(render::Renderer& renderer) override;
  void restoreDeviceResources(render::Renderer& renderer) override;
  void screenResized(render::Renderer& renderer, int width, int height) override;

  // Draws one viewport's sorted list into its target (made at the screen's size when missing); the caller
  // has begun the technique and restores the render target. Also used for snapshots.
  static void renderViewport(render::Renderer& renderer, Viewport& viewport);

 private:
  void composite(render::Renderer& renderer, Viewport& viewport);

  std::unique_ptr<Sprite> m_overlay;  // a translucent rectangle over a viewport for its colour
  std::vector<Viewport*> m_sorted;
  std::vector<SortKey> m_viewportKeys;
};

// The scene every renderer draws: one per process, set on the renderer at first use.
SceneFrame& installSceneFrame();

}  // namespace scene
