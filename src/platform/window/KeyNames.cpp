#include "platform/window/KeyNames.h"

#include <SDL.h>

#include <string_view>

#include "platform/window/VirtualKeys.h"

namespace windowing {

namespace {

constexpr std::size_t kNameBufferBytes = 50;

}  // namespace

std::string keyNameOfVirtualKey(int virtualKey) {
  if (virtualKey <= 0 || virtualKey > 0xFF) {
    return {};
  }
  // The first physical key whose layout key has the code: left Shift before right, the arrows before the
  // keypad's digits (which have codes of their own), Return before the keypad's Enter.
  for (int scancode = SDL_SCANCODE_UNKNOWN + 1; scancode < SDL_NUM_SCANCODES; ++scancode) {
    SDL_Keycode keycode = SDL_GetKeyFromScancode(static_cast<SDL_Scancode>(scancode));
    if (keycode == SDLK_UNKNOWN || virtualKeyFromKeycode(keycode) != virtualKey) {
      continue;
    }
    std::string_view name = SDL_GetKeyName(keycode);
    // Windows names the generic Shift, Ctrl and Alt codes without a side.
    if (virtualKey >= 0x10 && virtualKey <= 0x12 && name.starts_with("Left ")) {
      name.remove_prefix(5);
    }
    return std::string(name.substr(0, kNameBufferBytes - 1));
  }
  return {};
}

}  // namespace windowing
