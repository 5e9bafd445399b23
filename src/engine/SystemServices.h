#pragma once

// The Windows services that scripts reach through Win32API and DL and that only the player can answer from real
// state: the keyboard as the window procedure saw it, the pointer, the game window, the display, the clipboard,
// message boxes and the browser. The host fills the slots at boot; a function whose slot is empty answers what
// Windows answers when it fails. Everything is in screen pixels and UTF-8.

#include <cstdint>
#include <optional>
#include <string>

namespace engine {

struct SystemRect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
};

// What the window's style bits stand for.
struct SystemWindowState {
  bool visible = true;
  bool bordered = true;
  bool resizable = false;
  bool minimized = false;
  bool maximized = false;
  bool topmost = false;
};

struct SystemDisplay {
  SystemRect display;
  SystemRect workArea;
  SystemRect virtualScreen;
  int displayCount = 1;
  // The window frame's sizes, for the metrics of captions and borders.
  int borderLeft = 0;
  int borderTop = 0;
  int borderRight = 0;
  int borderBottom = 0;
};

struct SystemServices {
  // 256 bytes of key state by virtual-key code: bit 7 held, bit 0 toggled.
  void (*keyboardState)(std::uint8_t* states) = nullptr;
  // GetKeyState and GetAsyncKeyState (which clears the key's pressed-since bit), sign-extended.
  std::int32_t (*keyState)(int virtualKey) = nullptr;
  std::int32_t (*asyncKeyState)(int virtualKey) = nullptr;
  // A synthesized press or release, delivered as the window delivers a real one.
  void (*keyEvent)(int virtualKey, bool down) = nullptr;

  bool (*pointerPosition)(int* x, int* y) = nullptr;

  // The game window's handle, 0 while there is none.
  unsigned long (*windowHandle)() = nullptr;
  bool (*windowActive)() = nullptr;
  bool (*windowRects)(SystemRect* outer, SystemRect* client) = nullptr;
  // Places the outer frame; `move` and `resize` say which parts of `outer` apply.
  bool (*moveWindow)(const SystemRect& outer, bool move, bool resize) = nullptr;
  bool (*windowState)(SystemWindowState* state) = nullptr;
  bool (*setWindowState)(const SystemWindowState& state) = nullptr;
  std::optional<std::string> (*windowTitle)() = nullptr;
  bool (*setWindowTitle)(const std::string& title) = nullptr;

  bool (*display)(SystemDisplay* display) = nullptr;

  std::optional<std::string> (*clipboardText)() = nullptr;
  bool (*setClipboardText)(const std::string& text) = nullptr;

  // MessageBox: `type` holds the Windows MB_ bits; answers the Windows ID of the button pressed.
  int (*messageBox)(const std::string& text, const std::string& caption, unsigned type) = nullptr;
  // Opens an http or https address in the user's browser; false when that cannot be started.
  bool (*openUrl)(const std::string& url) = nullptr;
  // The game's notional executable (the game folder's Game.exe).
  std::string (*executablePath)() = nullptr;
};

SystemServices& systemServices();

}  // namespace engine
