#include "platform/window/private/EventTranslation.h"

#include <cmath>

#include "platform/window/VirtualKeys.h"

namespace windowing {

namespace {

void setModifiers(Message* message, std::uint16_t modifiers) {
  message->shiftHeld = (modifiers & KMOD_SHIFT) != 0;
  message->controlHeld = (modifiers & KMOD_CTRL) != 0;
  message->altHeld = (modifiers & KMOD_ALT) != 0;
}

std::optional<Message> keyMessage(const SDL_KeyboardEvent& key) {
  int virtualKey = virtualKeyFromKeycode(key.keysym.sym);
  if (virtualKey == 0) {
    return std::nullopt;
  }
  Message message;
  setModifiers(&message, key.keysym.mod);
  bool down = key.type == SDL_KEYDOWN;
  // Windows sends Alt, F10 and every key pressed while Alt is held as system keys.
  bool system = message.altHeld || virtualKey == kVkMenu || virtualKey == kVkF10;
  if (system) {
    message.id = down ? kWmSysKeyDown : kWmSysKeyUp;
  } else {
    message.id = down ? kWmKeyDown : kWmKeyUp;
  }
  message.wParam = static_cast<std::uintptr_t>(virtualKey);
  // Repeat count 1; bit 29 Alt held, bit 30 key was down before, bit 31 key is being released.
  std::uint32_t bits = 1;
  if (message.altHeld) {
    bits |= 1u << 29;
  }
  if (!down || key.repeat != 0) {
    bits |= 1u << 30;
  }
  if (!down) {
    bits |= 1u << 31;
  }
  message.lParam = static_cast<std::intptr_t>(bits);
  return message;
}

std::uintptr_t keyStateBits(std::uint32_t buttons, std::uint16_t modifiers) {
  std::uintptr_t bits = 0;
  if ((buttons & SDL_BUTTON_LMASK) != 0) {
    bits |= kMkLButton;
  }
  if ((buttons & SDL_BUTTON_RMASK) != 0) {
    bits |= kMkRButton;
  }
  if ((buttons & SDL_BUTTON_MMASK) != 0) {
    bits |= kMkMButton;
  }
  if ((buttons & SDL_BUTTON_X1MASK) != 0) {
    bits |= kMkXButton1;
  }
  if ((buttons & SDL_BUTTON_X2MASK) != 0) {
    bits |= kMkXButton2;
  }
  if ((modifiers & KMOD_SHIFT) != 0) {
    bits |= kMkShift;
  }
  if ((modifiers & KMOD_CTRL) != 0) {
    bits |= kMkControl;
  }
  return bits;
}

std::optional<Message> buttonMessage(const SDL_MouseButtonEvent& button, std::uint32_t heldBefore) {
  std::uint32_t down = 0;
  std::uint32_t up = 0;
  std::uint32_t doubleClick = 0;
  std::uintptr_t xButton = 0;
  switch (button.button) {
    case SDL_BUTTON_LEFT:
      down = kWmLButtonDown, up = kWmLButtonUp, doubleClick = kWmLButtonDblClk;
      break;
    case SDL_BUTTON_RIGHT:
      down = kWmRButtonDown, up = kWmRButtonUp, doubleClick = kWmRButtonDblClk;
      break;
    case SDL_BUTTON_MIDDLE:
      down = kWmMButtonDown, up = kWmMButtonUp, doubleClick = kWmMButtonDblClk;
      break;
    case SDL_BUTTON_X1:
    case SDL_BUTTON_X2:
      down = kWmXButtonDown, up = kWmXButtonUp, doubleClick = kWmXButtonDblClk;
      xButton = button.button == SDL_BUTTON_X1 ? 1 : 2;
      break;
    default:
      return std::nullopt;
  }
  bool pressed = button.type == SDL_MOUSEBUTTONDOWN;
  std::uint32_t held = pressed ? heldBefore | SDL_BUTTON(button.button) : heldBefore & ~SDL_BUTTON(button.button);
  Message message;
  setModifiers(&message, static_cast<std::uint16_t>(SDL_GetModState()));
  // Windows turns every second click of a quick series into a double-click message.
  message.id = !pressed ? up : (button.clicks % 2 == 0 ? doubleClick : down);
  message.wParam = keyStateBits(held, static_cast<std::uint16_t>(SDL_GetModState())) | (xButton << 16);
  message.lParam = makePointParam(button.x, button.y);
  return message;
}

std::optional<Message> wheelMessage(const SDL_MouseWheelEvent& wheel, std::uint32_t held) {
  float notches = wheel.preciseY;
  if (wheel.direction == SDL_MOUSEWHEEL_FLIPPED) {
    notches = -notches;
  }
  auto delta = static_cast<int>(std::lround(notches * kWheelDelta));
  if (delta == 0) {
    return std::nullopt;
  }
  Message message;
  auto modifiers = static_cast<std::uint16_t>(SDL_GetModState());
  setModifiers(&message, modifiers);
  message.id = kWmMouseWheel;
  message.wParam = keyStateBits(held, modifiers) |
                   (static_cast<std::uintptr_t>(static_cast<std::uint16_t>(static_cast<std::int16_t>(delta))) << 16);
  message.lParam = makePointParam(wheel.mouseX, wheel.mouseY);
  return message;
}

std::optional<Message> windowMessage(const SDL_WindowEvent& window, std::uint32_t windowId) {
  if (windowId != 0 && window.windowID != windowId) {
    return std::nullopt;
  }
  Message message;
  switch (window.event) {
    case SDL_WINDOWEVENT_FOCUS_GAINED:
      message.id = kWmActivateApp;
      message.wParam = 1;
      return message;
    case SDL_WINDOWEVENT_FOCUS_LOST:
      message.id = kWmActivateApp;
      message.wParam = 0;
      return message;
    case SDL_WINDOWEVENT_CLOSE:
      message.id = kWmDestroy;
      return message;
    default:
      return std::nullopt;
  }
}

}  // namespace

std::optional<Message> translateEvent(const SDL_Event& event, const TranslationContext& context) {
  if (context.quitEventType != 0 && event.type == context.quitEventType) {
    Message message;
    message.id = kWmQuit;
    return message;
  }
  switch (event.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP:
      return keyMessage(event.key);
    case SDL_MOUSEMOTION: {
      Message message;
      auto modifiers = static_cast<std::uint16_t>(SDL_GetModState());
      setModifiers(&message, modifiers);
      message.id = kWmMouseMove;
      message.wParam = keyStateBits(event.motion.state, modifiers);
      message.lParam = makePointParam(event.motion.x, event.motion.y);
      return message;
    }
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
      return buttonMessage(event.button, context.mouseButtons);
    case SDL_MOUSEWHEEL:
      return wheelMessage(event.wheel, context.mouseButtons);
    case SDL_WINDOWEVENT:
      return windowMessage(event.window, context.windowId);
    case SDL_QUIT: {
      // A quit request without a window close (a signal, the session ending) ends the game the same way.
      Message message;
      message.id = kWmDestroy;
      return message;
    }
    default:
      return std::nullopt;
  }
}

}  // namespace windowing
