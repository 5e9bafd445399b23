#pragma once

// Size and mode changes of the game window that the renderer makes (the client size of a window, desktop full
// screen and the display's size), and the frame, placement and state that scripts read and change through the
// Windows functions they call.

namespace windowing {

class GameWindow;

// A rectangle in screen (desktop) pixels.
struct ScreenRect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  bool operator==(const ScreenRect&) const = default;
};

// What the window's style bits stand for.
struct WindowState {
  bool visible = true;
  bool bordered = true;
  bool resizable = false;
  bool minimized = false;
  bool maximized = false;
  bool topmost = false;
  bool operator==(const WindowState&) const = default;
};

// The frame the window system draws around the client area; zeros where it draws none or will not say.
struct FrameBorders {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
};

// The whole display and the part of it not taken by panels and docks.
struct DisplayAreas {
  ScreenRect display;
  ScreenRect workArea;
  ScreenRect virtualScreen;  // every display together
  int displayCount = 1;
};

// Sets the client size (windowed mode).
void setClientSize(GameWindow& window, int width, int height);
// Desktop full screen on or off. False when the video driver refuses.
[[nodiscard]] bool setDesktopFullScreen(GameWindow& window, bool fullScreen);
// The size of the display the window is on; false when it cannot be read.
[[nodiscard]] bool displaySize(const GameWindow& window, int* width, int* height);
// A number that identifies the window for the life of the process (Graphics.window_hwnd).
unsigned long windowId(const GameWindow& window);

FrameBorders frameBorders(const GameWindow& window);
// The client area and the outer frame around it, in screen pixels.
ScreenRect clientRect(const GameWindow& window);
ScreenRect outerRect(const GameWindow& window);
// Moves the window so that its outer frame's top-left corner is at (x, y).
void moveOuterTo(GameWindow& window, int x, int y);
// The areas of the display the window is on; false when they cannot be read.
[[nodiscard]] bool displayAreas(const GameWindow& window, DisplayAreas* areas);

WindowState windowState(const GameWindow& window);
// Changes what differs from the current state.
void applyWindowState(GameWindow& window, const WindowState& state);

}  // namespace windowing
