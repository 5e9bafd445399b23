#pragma once

// The renderer stand-in until the real renderer takes the window: it keeps the window black, tracks the
// flags the window procedure sets and shows the frame-rate title (no frames are drawn, so the rate is 0).

#include "host/RendererControl.h"

namespace windowing {
class GameWindow;
}

namespace host {

class BlankRenderer final : public RendererControl {
 public:
  // The window must outlive the renderer's use; teardown releases the renderer before the window goes.
  explicit BlankRenderer(windowing::GameWindow& window) : m_window(&window) {}

  void release() override;
  bool released() const override { return m_released; }
  void setInactive(bool inactive) override { m_inactive = inactive; }
  void setFocusEventDone(bool done) override { m_focusEventDone = done; }
  void requestFullScreenToggle() override { m_toggleRequested = true; }
  void toggleFrameRateTitle() override;
  void resizeWindow(int width, int height) override;

  bool inactive() const { return m_inactive; }
  bool focusEventDone() const { return m_focusEventDone; }
  bool toggleRequested() const { return m_toggleRequested; }
  bool showsFrameRate() const { return m_showFrameRate; }

 private:
  windowing::GameWindow* m_window = nullptr;  // not owned
  bool m_released = false;
  bool m_inactive = false;
  bool m_focusEventDone = false;
  bool m_toggleRequested = false;
  bool m_showFrameRate = false;
};

}  // namespace host
