#include "platform/window/Controllers.h"

#include <SDL.h>

#include <array>
#include <cstdio>
#include <utility>

namespace windowing {

namespace {

// SDL's buttons by XInput bit position; the guide button has no XInput bit.
constexpr std::array<std::pair<SDL_GameControllerButton, int>, 14> kButtonBits = {{
    {SDL_CONTROLLER_BUTTON_DPAD_UP, 0},
    {SDL_CONTROLLER_BUTTON_DPAD_DOWN, 1},
    {SDL_CONTROLLER_BUTTON_DPAD_LEFT, 2},
    {SDL_CONTROLLER_BUTTON_DPAD_RIGHT, 3},
    {SDL_CONTROLLER_BUTTON_START, 4},
    {SDL_CONTROLLER_BUTTON_BACK, 5},
    {SDL_CONTROLLER_BUTTON_LEFTSTICK, 6},
    {SDL_CONTROLLER_BUTTON_RIGHTSTICK, 7},
    {SDL_CONTROLLER_BUTTON_LEFTSHOULDER, 8},
    {SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, 9},
    {SDL_CONTROLLER_BUTTON_A, 12},
    {SDL_CONTROLLER_BUTTON_B, 13},
    {SDL_CONTROLLER_BUTTON_X, 14},
    {SDL_CONTROLLER_BUTTON_Y, 15},
}};

}  // namespace

struct Gamepads::Impl {
  bool started = false;
  std::array<SDL_GameController*, kGamepadSlots> slots{};

  bool isOpen(SDL_JoystickID id) const {
    for (SDL_GameController* controller : slots) {
      if (controller != nullptr && SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(controller)) == id) {
        return true;
      }
    }
    return false;
  }

  SDL_GameController* openNext() {
    for (int device = 0; device < SDL_NumJoysticks(); ++device) {
      if (!SDL_IsGameController(device) || isOpen(SDL_JoystickGetDeviceInstanceID(device))) {
        continue;
      }
      if (SDL_GameController* controller = SDL_GameControllerOpen(device)) {
        return controller;
      }
    }
    return nullptr;
  }
};

Gamepads::Gamepads() : m_impl(std::make_unique<Impl>()) {
  // Pads keep reporting while the window is in the background; the input module decides what counts.
  SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
  m_impl->started = SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) == 0;
  if (!m_impl->started) {
    std::fprintf(stderr, "[input] game controllers unavailable: %s\n", SDL_GetError());
  }
}

Gamepads::~Gamepads() {
  // After SDL_Quit the controllers are gone already, closed by SDL itself.
  if (!m_impl->started || SDL_WasInit(SDL_INIT_GAMECONTROLLER) == 0) {
    return;
  }
  for (SDL_GameController*& controller : m_impl->slots) {
    if (controller != nullptr) {
      SDL_GameControllerClose(controller);
      controller = nullptr;
    }
  }
  SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
}

bool Gamepads::read(int pad, GamepadReading* reading) {
  if (!m_impl->started || pad < 0 || pad >= kGamepadSlots) {
    return false;
  }
  SDL_GameControllerUpdate();
  SDL_GameController*& controller = m_impl->slots[static_cast<std::size_t>(pad)];
  if (controller != nullptr && !SDL_GameControllerGetAttached(controller)) {
    SDL_GameControllerClose(controller);
    controller = nullptr;
  }
  if (controller == nullptr) {
    controller = m_impl->openNext();
    if (controller == nullptr) {
      return false;
    }
  }
  GamepadReading values;
  for (const auto& [button, bit] : kButtonBits) {
    if (SDL_GameControllerGetButton(controller, button) != 0) {
      values.buttons = static_cast<std::uint16_t>(values.buttons | (1u << bit));
    }
  }
  values.leftTrigger = triggerByte(SDL_GameControllerGetAxis(controller, SDL_CONTROLLER_AXIS_TRIGGERLEFT));
  values.rightTrigger = triggerByte(SDL_GameControllerGetAxis(controller, SDL_CONTROLLER_AXIS_TRIGGERRIGHT));
  values.thumbLeftX = SDL_GameControllerGetAxis(controller, SDL_CONTROLLER_AXIS_LEFTX);
  values.thumbLeftY = upwardAxis(SDL_GameControllerGetAxis(controller, SDL_CONTROLLER_AXIS_LEFTY));
  values.thumbRightX = SDL_GameControllerGetAxis(controller, SDL_CONTROLLER_AXIS_RIGHTX);
  values.thumbRightY = upwardAxis(SDL_GameControllerGetAxis(controller, SDL_CONTROLLER_AXIS_RIGHTY));
  *reading = values;
  return true;
}

}  // namespace windowing
