#include "platform/window/Clipboard.h"

#include <SDL.h>

#include <cstdio>

namespace windowing {

std::optional<std::string> clipboardText() {
  if (SDL_HasClipboardText() != SDL_TRUE) {
    return std::nullopt;
  }
  char* text = SDL_GetClipboardText();
  if (text == nullptr) {
    return std::nullopt;
  }
  std::string copy(text);
  SDL_free(text);
  return copy;
}

bool setClipboardText(const std::string& text) {
  if (SDL_SetClipboardText(text.c_str()) != 0) {
    std::fprintf(stderr, "[window] clipboard refused the text: %s\n", SDL_GetError());
    return false;
  }
  return true;
}

}  // namespace windowing
