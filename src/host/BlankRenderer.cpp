#include "host/BlankRenderer.h"

#include "platform/window/GameWindow.h"
#include "platform/window/Screen.h"

namespace host {

void BlankRenderer::release() {
  m_released = true;
  m_window = nullptr;
}

void BlankRenderer::toggleFrameRateTitle() {
  m_showFrameRate = !m_showFrameRate;
  if (m_window != nullptr) {
    m_window->setTitle(m_showFrameRate ? windowing::g_titleCopy + " - FPS: 0" : windowing::g_titleCopy);
  }
}

}  // namespace host
