#pragma once

#include <cstdint>

namespace windowing {

// The Windows virtual-key code of an SDL keycode (SDL_Keycode), 0 for keys Windows has no code for. Left and
// right Shift, Ctrl and Alt report the generic code, as Windows does in key messages.
int virtualKeyFromKeycode(std::int32_t keycode);

}  // namespace windowing
