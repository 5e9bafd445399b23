#include "input/private/InputSystem.h"

#include "input/Input.h"
#include "input/SystemKeys.h"
#include "platform/window/Controllers.h"
#include "platform/window/Cursor.h"
#include "platform/window/GameWindow.h"
#include "platform/window/Screen.h"

namespace input {

namespace {

std::unique_ptr<InputSystem> g_input;
WindowSource g_windowSource = nullptr;
bool g_windowActive = true;

// Opened once for the process: a re-run of the initialiser keeps the controllers SDL has open.
windowing::Gamepads& gamepads() {
  static windowing::Gamepads pads;
  return pads;
}

bool readGamepad(int pad, GamepadValues* values) {
  windowing::GamepadReading reading;
  if (!gamepads().read(pad, &reading)) {
    return false;
  }
  *values = GamepadValues{reading.buttons,    reading.leftTrigger, reading.rightTrigger, reading.thumbLeftX,
                          reading.thumbLeftY, reading.thumbRightX, reading.thumbRightY};
  return true;
}

}  // namespace

InputSystem* currentInput() { return g_input.get(); }

InputSystem& resetInput() {
  auto fresh = std::make_unique<InputSystem>();
  fresh->controllers = std::make_shared<ControllerTable>(readGamepad);
  g_input = std::move(fresh);
  windowing::showPointer(true);
  return *g_input;
}

windowing::GameWindow* attachedWindow() { return g_windowSource != nullptr ? g_windowSource() : nullptr; }

ScreenMapping currentScreenMapping() {
  ScreenMapping mapping;
  mapping.screenWidth = windowing::g_screenWidth;
  mapping.screenHeight = windowing::g_screenHeight;
  mapping.clientWidth = windowing::g_windowWidth;
  mapping.clientHeight = windowing::g_windowHeight;
  if (windowing::GameWindow* window = attachedWindow()) {
    // Desktop full screen: the client area is the display.
    window->clientSize(&mapping.clientWidth, &mapping.clientHeight);
    mapping.windowed = !windowing::isDesktopFullScreen(*window);
  }
  return mapping;
}

void setWindowSource(WindowSource source) { g_windowSource = source; }

SystemKeys& systemKeys() {
  static SystemKeys keys;
  return keys;
}

bool windowActive() { return g_windowActive; }

void feedMessage(const windowing::Message& message) {
  systemKeys().handle(message);
  if (g_input == nullptr) {
    return;
  }
  if (message.id == windowing::kWmMouseMove) {
    g_input->mouse.handle(message, currentScreenMapping());
  } else {
    g_input->mouse.handle(message, ScreenMapping{});
  }
}

void feedKeyDown(int virtualKey) {
  if (g_input != nullptr) {
    g_input->keys.keyDown(static_cast<KeyCode>(virtualKey));
  }
}

void feedKeyUp(int virtualKey) {
  if (g_input != nullptr) {
    g_input->keys.keyUp(static_cast<KeyCode>(virtualKey));
  }
}

void feedActivation(bool active) {
  g_windowActive = active;
  if (!active) {
    systemKeys().releaseAll();
  }
  if (g_input != nullptr) {
    g_input->keys.setActive(active);
  }
}

}  // namespace input
