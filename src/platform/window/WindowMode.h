#pragma once

// Size and mode changes of the game window that the renderer makes: the client size of a window, desktop full
// screen and the display's size.

namespace windowing {

class GameWindow;

// Sets the client size (windowed mode).
void setClientSize(GameWindow& window, int width, int height);
// Desktop full screen on or off. False when the video driver refuses.
[[nodiscard]] bool setDesktopFullScreen(GameWindow& window, bool fullScreen);
// The size of the display the window is on; false when it cannot be read.
[[nodiscard]] bool displaySize(const GameWindow& window, int* width, int* height);
// A number that identifies the window for the life of the process (Graphics.window_hwnd).
unsigned long windowId(const GameWindow& window);

}  // namespace windowing
