// The host's answers to the Windows functions scripts call: read from the window, the input state, the display
// and the desktop, never made up.

#include "engine/SystemServices.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstring>
#include <thread>
#include <vector>

#include "host/Installers.h"
#include "host/LaunchConfig.h"
#include "host/RendererControl.h"
#include "host/WindowProcedure.h"
#include "host/private/Session.h"
#ifdef QUILLON_HAS_INPUT
#include "input/Input.h"
#include "input/SystemKeys.h"
#endif
#include "platform/window/Clipboard.h"
#include "platform/window/Cursor.h"
#include "platform/window/GameWindow.h"
#include "platform/window/MessageBox.h"
#include "platform/window/Screen.h"
#include "platform/window/WindowMode.h"

extern char** environ;

namespace host {

namespace {

using engine::SystemRect;
using windowing::GameWindow;

GameWindow* gameWindow() { return session().window; }

SystemRect systemRect(const windowing::ScreenRect& rect) { return {rect.x, rect.y, rect.width, rect.height}; }

#ifdef QUILLON_HAS_INPUT
void keyboardState(std::uint8_t* states) {
  const auto& table = input::systemKeys().table();
  std::copy(table.begin(), table.end(), states);
}

std::int32_t keyState(int virtualKey) { return input::systemKeys().keyState(virtualKey); }

std::int32_t asyncKeyState(int virtualKey) { return input::systemKeys().asyncKeyState(virtualKey); }

bool held(int virtualKey) { return input::systemKeys().held(virtualKey); }
#else
bool held(int) { return false; }
#endif

// Key messages carry the generic code of a left- or right-hand Shift, Ctrl or Alt.
int messageKey(int virtualKey) {
  switch (virtualKey) {
    case 0xA0:
    case 0xA1:
      return windowing::kVkShift;
    case 0xA2:
    case 0xA3:
      return windowing::kVkControl;
    case 0xA4:
    case 0xA5:
      return windowing::kVkMenu;
    default:
      return virtualKey;
  }
}

// The message a real key makes, handed to the window procedure at once: Alt and keys pressed while Alt is held
// are system keys, so a synthesized Alt+Enter switches to full screen as the real one does.
void keyEvent(int virtualKey, bool down) {
  WindowProcedure* procedure = session().procedure;
  const int key = messageKey(virtualKey & 0xFF);
  if (procedure == nullptr || key == 0) {
    return;
  }
  windowing::Message message;
  message.shiftHeld = held(windowing::kVkShift);
  message.controlHeld = held(windowing::kVkControl);
  message.altHeld = held(windowing::kVkMenu) || (down && key == windowing::kVkMenu);
  const bool system = message.altHeld || key == windowing::kVkMenu || key == windowing::kVkF10;
  message.id = system ? (down ? windowing::kWmSysKeyDown : windowing::kWmSysKeyUp)
                      : (down ? windowing::kWmKeyDown : windowing::kWmKeyUp);
  message.wParam = static_cast<std::uintptr_t>(key);
  std::uint32_t bits = 1;
  if (message.altHeld) {
    bits |= 1u << 29;
  }
  if (!down || held(key)) {
    bits |= 1u << 30;
  }
  if (!down) {
    bits |= 1u << 31;
  }
  message.lParam = static_cast<std::intptr_t>(bits);
  procedure->dispatch(message);
}

bool pointerPosition(int* x, int* y) {
  GameWindow* window = gameWindow();
  return window != nullptr && windowing::pointerScreenPosition(*window, x, y);
}

unsigned long windowHandle() {
  GameWindow* window = gameWindow();
  return window != nullptr ? windowing::windowId(*window) : 0;
}

bool windowActive() {
#ifdef QUILLON_HAS_INPUT
  return gameWindow() != nullptr && input::windowActive();
#else
  return gameWindow() != nullptr;
#endif
}

bool windowRects(SystemRect* outer, SystemRect* client) {
  GameWindow* window = gameWindow();
  if (window == nullptr) {
    return false;
  }
  *outer = systemRect(windowing::outerRect(*window));
  *client = systemRect(windowing::clientRect(*window));
  return true;
}

// A new size goes through the renderer, which makes its back buffer match the client area; the position is
// placed afterwards, since a resize centres the window again.
bool moveWindow(const SystemRect& outer, bool move, bool resize) {
  GameWindow* window = gameWindow();
  if (window == nullptr) {
    return false;
  }
  if (resize) {
    windowing::FrameBorders borders = windowing::frameBorders(*window);
    const int width = outer.width - borders.left - borders.right;
    const int height = outer.height - borders.top - borders.bottom;
    RendererControl* renderer = currentRenderer();
    if (width > 0 && height > 0 && renderer != nullptr) {
      renderer->resizeWindow(width, height);
    }
  }
  if (move) {
    windowing::moveOuterTo(*window, outer.x, outer.y);
  }
  return true;
}

bool windowState(engine::SystemWindowState* state) {
  GameWindow* window = gameWindow();
  if (window == nullptr) {
    return false;
  }
  windowing::WindowState now = windowing::windowState(*window);
  *state = {now.visible, now.bordered, now.resizable, now.minimized, now.maximized, now.topmost};
  return true;
}

bool setWindowState(const engine::SystemWindowState& state) {
  GameWindow* window = gameWindow();
  if (window == nullptr) {
    return false;
  }
  windowing::applyWindowState(
      *window, {state.visible, state.bordered, state.resizable, state.minimized, state.maximized, state.topmost});
  return true;
}

std::optional<std::string> windowTitle() {
  GameWindow* window = gameWindow();
  return window != nullptr ? std::optional(window->title()) : std::nullopt;
}

// The frame-rate title builds on the title copy, so a script's title stays when it is shown.
bool setWindowTitle(const std::string& title) {
  GameWindow* window = gameWindow();
  if (window == nullptr) {
    return false;
  }
  windowing::g_titleCopy = title;
  window->setTitle(title);
  return true;
}

bool display(engine::SystemDisplay* display) {
  GameWindow* window = gameWindow();
  windowing::DisplayAreas areas;
  if (window == nullptr || !windowing::displayAreas(*window, &areas)) {
    return false;
  }
  display->display = systemRect(areas.display);
  display->workArea = systemRect(areas.workArea);
  display->virtualScreen = systemRect(areas.virtualScreen);
  display->displayCount = areas.displayCount;
  windowing::FrameBorders borders = windowing::frameBorders(*window);
  display->borderLeft = borders.left;
  display->borderTop = borders.top;
  display->borderRight = borders.right;
  display->borderBottom = borders.bottom;
  return true;
}

// Button sets of the MB_ type's low four bits, with the Windows IDs they answer.
constexpr int kIdOk = 1;
constexpr int kIdCancel = 2;
constexpr int kIdAbort = 3;
constexpr int kIdRetry = 4;
constexpr int kIdIgnore = 5;
constexpr int kIdYes = 6;
constexpr int kIdNo = 7;
constexpr int kIdTryAgain = 10;
constexpr int kIdContinue = 11;

std::vector<windowing::MessageBoxButton> messageBoxButtons(unsigned type) {
  switch (type & 0xF) {
    case 1:
      return {{kIdOk, "OK"}, {kIdCancel, "Cancel"}};
    case 2:
      return {{kIdAbort, "Abort"}, {kIdRetry, "Retry"}, {kIdIgnore, "Ignore"}};
    case 3:
      return {{kIdYes, "Yes"}, {kIdNo, "No"}, {kIdCancel, "Cancel"}};
    case 4:
      return {{kIdYes, "Yes"}, {kIdNo, "No"}};
    case 5:
      return {{kIdRetry, "Retry"}, {kIdCancel, "Cancel"}};
    case 6:
      return {{kIdCancel, "Cancel"}, {kIdTryAgain, "Try Again"}, {kIdContinue, "Continue"}};
    default:
      return {{kIdOk, "OK"}};
  }
}

int messageBox(const std::string& text, const std::string& caption, unsigned type) {
  std::vector<windowing::MessageBoxButton> buttons = messageBoxButtons(type);
  const unsigned iconBits = type & 0xF0;
  const windowing::MessageBoxIcon icon = iconBits == 0x10   ? windowing::MessageBoxIcon::Error
                                         : iconBits == 0x30 ? windowing::MessageBoxIcon::Warning
                                                            : windowing::MessageBoxIcon::Information;
  // Only sets with Cancel (or OK alone) can be closed without choosing.
  const int escape = (type & 0xF) == 0 ? kIdOk : kIdCancel;
  const int pressed = windowing::askMessageBox(caption, text, buttons, (type >> 8) & 0xF, escape, icon, gameWindow());
  if (gameWindow() != nullptr) {
    gameWindow()->bringToForeground();
  }
  return pressed;
}

// The browser runs on its own; a thread of ours only collects its exit status so no zombie is left.
bool openUrl(const std::string& url) {
  std::string program = "xdg-open";
  std::array<char*, 3> argv = {program.data(), const_cast<char*>(url.c_str()), nullptr};
  pid_t child = 0;
  const int error = posix_spawnp(&child, program.c_str(), nullptr, nullptr, argv.data(), environ);
  if (error != 0) {
    std::fprintf(stderr, "[host] cannot start xdg-open for %s: %s\n", url.c_str(), std::strerror(error));
    return false;
  }
  std::thread([child] {
    int status = 0;
    waitpid(child, &status, 0);
  }).detach();
  return true;
}

// The configuration file is the executable's path with its last three characters replaced by "ini".
std::string executablePath() {
  if (g_launchConfig == nullptr || g_launchConfig->configPath.size() < 3) {
    return "Game.exe";
  }
  const std::string& config = g_launchConfig->configPath;
  return config.substr(0, config.size() - 3) + "exe";
}

}  // namespace

void installSystemServices() {
  engine::SystemServices& services = engine::systemServices();
#ifdef QUILLON_HAS_INPUT
  services.keyboardState = keyboardState;
  services.keyState = keyState;
  services.asyncKeyState = asyncKeyState;
#endif
  services.keyEvent = keyEvent;
  services.pointerPosition = pointerPosition;
  services.windowHandle = windowHandle;
  services.windowActive = windowActive;
  services.windowRects = windowRects;
  services.moveWindow = moveWindow;
  services.windowState = windowState;
  services.setWindowState = setWindowState;
  services.windowTitle = windowTitle;
  services.setWindowTitle = setWindowTitle;
  services.display = display;
  services.clipboardText = windowing::clipboardText;
  services.setClipboardText = windowing::setClipboardText;
  services.messageBox = messageBox;
  services.openUrl = openUrl;
  services.executablePath = executablePath;
}

}  // namespace host
