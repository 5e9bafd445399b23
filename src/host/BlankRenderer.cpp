#include "host/BlankRenderer.h"

#include "platform/window/GameWindow.h"
#include "platform/window/Screen.h"
#include "platform/window/WindowMode.h"

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

void BlankRenderer::resizeWindow(int width, int height) {
  if (m_window != nullptr) {
    windowing::g_windowWidth = width;
    windowing::g_windowHeight = height;
    windowing::setClientSize(*m_window, width, height);
  }
}

}  // namespace host
