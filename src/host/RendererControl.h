#pragma once

// What the host does to the renderer: release it at teardown and pass on activation, the full-screen toggle
// and the frame-rate title command. The renderer publishes itself here; until one exists the boot publishes
// BlankRenderer, which only keeps the window black.

#include <memory>
#include <string>

namespace host {

class RendererControl {
 public:
  virtual ~RendererControl() = default;
  // Releases the device and resources; afterwards released() is true for good.
  virtual void release() = 0;
  virtual bool released() const = 0;
  virtual void setInactive(bool inactive) = 0;
  virtual void setFocusEventDone(bool done) = 0;
  // Alt+Enter: switch between window and full screen at the next update.
  virtual void requestFullScreenToggle() = 0;
  // F2: show or hide the frame rate in the title, updating the title at once.
  virtual void toggleFrameRateTitle() = 0;
  // A script resized the window: the client area and the windowed back buffer take the new size.
  virtual void resizeWindow(int /*width*/, int /*height*/) {}
  // Each pump step: the window timer of the frame-rate title.
  virtual void pumpTick() {}
  // Writes the picture last shown as a PNG file; false when there is none or it cannot be written.
  virtual bool saveScreenshot(const std::string& /*path*/) { return false; }
};

// The current renderer, or null. Published renderers are kept alive until the process ends, so a pump step
// can still read the released flag of the renderer it started with after a reset replaced it.
RendererControl* currentRenderer();
void publishRenderer(std::unique_ptr<RendererControl> renderer);
// Forgets the current renderer (teardown); it stays alive.
void clearCurrentRenderer();

}  // namespace host
