#include "platform/window/Cursor.h"

#include <SDL.h>
#include <SDL_image.h>

#include <limits>
#include <memory>

#include "platform/window/GameWindow.h"
#include "platform/window/MessageBox.h"

namespace windowing {

namespace {

struct CursorDeleter {
  void operator()(SDL_Cursor* cursor) const { SDL_FreeCursor(cursor); }
};
struct SurfaceDeleter {
  void operator()(SDL_Surface* surface) const { SDL_FreeSurface(surface); }
};

// The cursor made from a file, kept while it is the current one.
std::unique_ptr<SDL_Cursor, CursorDeleter> g_fileCursor;

std::uint16_t little16(std::span<const std::uint8_t> bytes, std::size_t at) {
  return static_cast<std::uint16_t>(bytes[at] | bytes[at + 1] << 8);
}

}  // namespace

std::optional<Hotspot> cursorFileHotspot(std::span<const std::uint8_t> bytes) {
  // A directory header (reserved 0, type 2, image count), then 16-byte entries holding the hotspot's x
  // and y at bytes 4 and 6.
  constexpr std::size_t kHeader = 6;
  constexpr std::size_t kEntry = 16;
  if (bytes.size() < kHeader + kEntry || little16(bytes, 0) != 0 || little16(bytes, 2) != 2 ||
      little16(bytes, 4) == 0) {
    return std::nullopt;
  }
  return Hotspot{little16(bytes, kHeader + 4), little16(bytes, kHeader + 6)};
}

bool pointerScreenPosition(const GameWindow& window, int* x, int* y) {
  SDL_Window* sdl = window.sdlWindow();
  if (sdl == nullptr) {
    return false;
  }
  // Over the window, its own motion events are the freshest answer; elsewhere only a desktop knows, and drivers
  // without one (offscreen) keep the last position seen over the window.
  if (SDL_GetMouseFocus() != sdl && hasDisplay()) {
    SDL_GetGlobalMouseState(x, y);
    return true;
  }
  int left = 0;
  int top = 0;
  SDL_GetMouseState(x, y);
  SDL_GetWindowPosition(sdl, &left, &top);
  *x += left;
  *y += top;
  return true;
}

bool warpPointer(GameWindow& window, int x, int y) {
  if (window.sdlWindow() == nullptr) {
    return false;
  }
  SDL_WarpMouseInWindow(window.sdlWindow(), x, y);
  return true;
}

bool confinePointer(GameWindow& window, const std::optional<PointerRect>& rect) {
  if (window.sdlWindow() == nullptr) {
    return false;
  }
  if (!rect) {
    return SDL_SetWindowMouseRect(window.sdlWindow(), nullptr) == 0;
  }
  if (rect->width <= 0 || rect->height <= 0) {
    return false;
  }
  SDL_Rect area{rect->x, rect->y, rect->width, rect->height};
  return SDL_SetWindowMouseRect(window.sdlWindow(), &area) == 0;
}

bool isDesktopFullScreen(const GameWindow& window) {
  return window.sdlWindow() != nullptr &&
         (SDL_GetWindowFlags(window.sdlWindow()) & SDL_WINDOW_FULLSCREEN_DESKTOP) == SDL_WINDOW_FULLSCREEN_DESKTOP;
}

void showPointer(bool shown) { SDL_ShowCursor(shown ? SDL_ENABLE : SDL_DISABLE); }

bool setCursorFromImage(std::span<const std::uint8_t> bytes) {
  if (bytes.empty() || bytes.size() > static_cast<std::size_t>(std::numeric_limits<int>::max())) {
    return false;
  }
  SDL_RWops* stream = SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size()));
  if (stream == nullptr) {
    return false;
  }
  std::unique_ptr<SDL_Surface, SurfaceDeleter> image(IMG_Load_RW(stream, 1));
  if (!image) {
    return false;
  }
  Hotspot hotspot = cursorFileHotspot(bytes).value_or(Hotspot{});
  if (hotspot.x >= image->w || hotspot.y >= image->h) {
    hotspot = {};
  }
  std::unique_ptr<SDL_Cursor, CursorDeleter> cursor(SDL_CreateColorCursor(image.get(), hotspot.x, hotspot.y));
  if (!cursor) {
    return false;
  }
  SDL_SetCursor(cursor.get());
  g_fileCursor = std::move(cursor);
  return true;
}

bool useSystemCursor() {
  SDL_Cursor* arrow = SDL_GetDefaultCursor();
  if (arrow == nullptr) {
    return false;
  }
  SDL_SetCursor(arrow);
  g_fileCursor.reset();
  return true;
}

}  // namespace windowing
