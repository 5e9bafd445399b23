#pragma once

// The mouse pointer over the game window: moving and confining it, hiding it, and the window's cursor image.

#include <cstdint>
#include <optional>
#include <span>

namespace windowing {

class GameWindow;

struct PointerRect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
};

struct Hotspot {
  int x = 0;
  int y = 0;
  bool operator==(const Hotspot&) const = default;
};

// The hotspot a Windows cursor file (.cur) stores for its first image; empty for any other file.
std::optional<Hotspot> cursorFileHotspot(std::span<const std::uint8_t> bytes);

// Where the pointer is, in screen pixels: the window system's answer where it has a desktop, else the last
// position seen over the game window. False without a window.
[[nodiscard]] bool pointerScreenPosition(const GameWindow& window, int* x, int* y);
// Moves the pointer to a client position. False when the window cannot take it.
[[nodiscard]] bool warpPointer(GameWindow& window, int x, int y);
// Keeps the pointer inside a client rectangle, or lets it go with none. False when the system refuses.
[[nodiscard]] bool confinePointer(GameWindow& window, const std::optional<PointerRect>& rect);
// Whether the window covers its display (desktop full screen).
bool isDesktopFullScreen(const GameWindow& window);

// Whether the pointer is drawn over the window at all.
void showPointer(bool shown);
// Makes the image in a cursor file's bytes (.cur, or any image the image library reads) the window's
// cursor. False, leaving the cursor as it was, when they are no image or cannot be made a cursor.
[[nodiscard]] bool setCursorFromImage(std::span<const std::uint8_t> bytes);
// Back to the system's arrow.
[[nodiscard]] bool useSystemCursor();

}  // namespace windowing
