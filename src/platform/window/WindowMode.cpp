#include "platform/window/WindowMode.h"

#include <SDL.h>

#include <cstdio>

#include "platform/window/GameWindow.h"

namespace windowing {

void setClientSize(GameWindow& window, int width, int height) {
  SDL_SetWindowSize(window.sdlWindow(), width, height);
}

bool setDesktopFullScreen(GameWindow& window, bool fullScreen) {
  if (SDL_SetWindowFullscreen(window.sdlWindow(), fullScreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0) != 0) {
    std::fprintf(stderr, "[window] full screen %s refused: %s\n", fullScreen ? "on" : "off", SDL_GetError());
    return false;
  }
  return true;
}

bool displaySize(const GameWindow& window, int* width, int* height) {
  const int index = SDL_GetWindowDisplayIndex(window.sdlWindow());
  SDL_DisplayMode mode{};
  if (SDL_GetDesktopDisplayMode(index < 0 ? 0 : index, &mode) != 0) {
    return false;
  }
  *width = mode.w;
  *height = mode.h;
  return true;
}

unsigned long windowId(const GameWindow& window) {
  return SDL_GetWindowID(window.sdlWindow());
}

}  // namespace windowing
