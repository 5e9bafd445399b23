#include "host/RendererBridge.h"

#ifdef QUILLON_HAS_BITMAP
#include "bitmap/Bitmap.h"
#include "bitmap/core/ImageCodec.h"
#endif
#include "render/Graphics.h"
#include "render/Renderer.h"

namespace host {

namespace {

class RendererBridge final : public RendererControl {
 public:
  void release() override {
    if (render::Renderer* renderer = render::currentRenderer()) {
      renderer->release();
    }
  }
  bool released() const override {
    const render::Renderer* renderer = render::currentRenderer();
    return renderer == nullptr || renderer->released();
  }
  void setInactive(bool inactive) override {
    if (render::Renderer* renderer = render::currentRenderer()) {
      renderer->setInactive(inactive);
    }
  }
  void setFocusEventDone(bool done) override {
    if (render::Renderer* renderer = render::currentRenderer()) {
      renderer->setFocusEventDone(done);
    }
  }
  void requestFullScreenToggle() override {
    if (render::Renderer* renderer = render::currentRenderer()) {
      renderer->requestFullScreenToggle();
    }
  }
  void toggleFrameRateTitle() override {
    if (render::Renderer* renderer = render::currentRenderer()) {
      renderer->toggleFrameRateTitle();
    }
  }
  void resizeWindow(int width, int height) override {
    if (render::Renderer* renderer = render::currentRenderer()) {
      renderer->resizeWindow(width, height);
    }
  }
  void pumpTick() override {
    if (render::Renderer* renderer = render::currentRenderer()) {
      renderer->refreshTitleWhenDue();
    }
  }
#ifdef QUILLON_HAS_BITMAP
  bool saveScreenshot(const std::string& path) override {
    render::Renderer* renderer = render::currentRenderer();
    if (renderer == nullptr) {
      return false;
    }
    const std::vector<std::uint32_t> pixels = renderer->shownPicture();
    if (pixels.empty()) {
      return false;
    }
    const int width = renderer->screenWidth();
    return bitmap::savePng(bitmap::ConstPixelView(pixels.data(), width, renderer->screenHeight(), width), path);
  }
#endif
};

}  // namespace

std::unique_ptr<RendererControl> startRenderer(windowing::GameWindow& window) {
#ifdef QUILLON_HAS_BITMAP
  // Bitmaps keep their pixels and make their textures again on the renderer that Graphics.__reset__ makes.
  render::addContextReleaseHook(bitmap::releaseAllTextures);
#endif
  render::publishRenderer(render::createRendererOrExit(&window));
  return std::make_unique<RendererBridge>();
}

void defineGraphicsHook() {
  render::defineGraphicsModule();
}

}  // namespace host
