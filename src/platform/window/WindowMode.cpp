#include "platform/window/WindowMode.h"

#include <SDL.h>

#include <algorithm>
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

FrameBorders frameBorders(const GameWindow& window) {
  FrameBorders borders;
  if (SDL_GetWindowBordersSize(window.sdlWindow(), &borders.top, &borders.left, &borders.bottom, &borders.right) != 0) {
    return {};
  }
  return borders;
}

ScreenRect clientRect(const GameWindow& window) {
  ScreenRect rect;
  SDL_GetWindowPosition(window.sdlWindow(), &rect.x, &rect.y);
  SDL_GetWindowSize(window.sdlWindow(), &rect.width, &rect.height);
  return rect;
}

ScreenRect outerRect(const GameWindow& window) {
  ScreenRect client = clientRect(window);
  FrameBorders borders = frameBorders(window);
  return {client.x - borders.left, client.y - borders.top, client.width + borders.left + borders.right,
          client.height + borders.top + borders.bottom};
}

void moveOuterTo(GameWindow& window, int x, int y) {
  FrameBorders borders = frameBorders(window);
  // SDL places the client area; the frame hangs above and to the left of it.
  SDL_SetWindowPosition(window.sdlWindow(), x + borders.left, y + borders.top);
}

bool displayAreas(const GameWindow& window, DisplayAreas* areas) {
  const int index = std::max(SDL_GetWindowDisplayIndex(window.sdlWindow()), 0);
  SDL_Rect display{};
  SDL_Rect work{};
  if (SDL_GetDisplayBounds(index, &display) != 0) {
    return false;
  }
  if (SDL_GetDisplayUsableBounds(index, &work) != 0) {
    work = display;
  }
  areas->display = {display.x, display.y, display.w, display.h};
  areas->workArea = {work.x, work.y, work.w, work.h};
  areas->displayCount = std::max(SDL_GetNumVideoDisplays(), 1);
  SDL_Rect all = display;
  for (int other = 0; other < areas->displayCount; ++other) {
    SDL_Rect bounds{};
    if (SDL_GetDisplayBounds(other, &bounds) == 0) {
      SDL_UnionRect(&all, &bounds, &all);
    }
  }
  areas->virtualScreen = {all.x, all.y, all.w, all.h};
  return true;
}

WindowState windowState(const GameWindow& window) {
  const Uint32 flags = SDL_GetWindowFlags(window.sdlWindow());
  WindowState state;
  state.visible = (flags & SDL_WINDOW_SHOWN) != 0 && (flags & SDL_WINDOW_HIDDEN) == 0;
  state.bordered = (flags & SDL_WINDOW_BORDERLESS) == 0;
  state.resizable = (flags & SDL_WINDOW_RESIZABLE) != 0;
  state.minimized = (flags & SDL_WINDOW_MINIMIZED) != 0;
  state.maximized = (flags & SDL_WINDOW_MAXIMIZED) != 0;
  state.topmost = (flags & SDL_WINDOW_ALWAYS_ON_TOP) != 0;
  return state;
}

void applyWindowState(GameWindow& window, const WindowState& state) {
  SDL_Window* sdl = window.sdlWindow();
  const WindowState now = windowState(window);
  if (state.bordered != now.bordered) {
    SDL_SetWindowBordered(sdl, state.bordered ? SDL_TRUE : SDL_FALSE);
  }
  if (state.resizable != now.resizable) {
    SDL_SetWindowResizable(sdl, state.resizable ? SDL_TRUE : SDL_FALSE);
  }
  if (state.topmost != now.topmost) {
    SDL_SetWindowAlwaysOnTop(sdl, state.topmost ? SDL_TRUE : SDL_FALSE);
  }
  if (state.visible != now.visible) {
    if (state.visible) {
      SDL_ShowWindow(sdl);
    } else {
      SDL_HideWindow(sdl);
    }
  }
  if (state.minimized && !now.minimized) {
    SDL_MinimizeWindow(sdl);
  } else if (state.maximized && !now.maximized) {
    SDL_MaximizeWindow(sdl);
  } else if (!state.minimized && !state.maximized && (now.minimized || now.maximized)) {
    SDL_RestoreWindow(sdl);
  }
}

}  // namespace windowing
