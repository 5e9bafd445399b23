#pragma once

// The game window over SDL2: created with an OpenGL surface so the renderer can put its context on it, centred
// on the display's usable area, and the source of the window procedure's messages. Until the renderer takes
// the surface over, the window keeps a small GL context of its own that only clears it to black.

#include <chrono>
#include <memory>
#include <optional>
#include <string>

#include "platform/window/Messages.h"

struct SDL_Window;

namespace windowing {

struct Point {
  int x = 0;
  int y = 0;
};

// Centring of a window of the given outer size in a work area: halves truncated toward zero, so a window
// larger than the area gets a negative origin and hangs off both sides instead of being clamped.
constexpr Point centredOrigin(int workWidth, int workHeight, int outerWidth, int outerHeight) {
  return {(workWidth - outerWidth) / 2, (workHeight - outerHeight) / 2};
}

// Starts SDL's video and event subsystems: what registering the window class was. False, with the reason,
// when no video driver can start. They stay up until the process ends (see startVideo's note on GL).
[[nodiscard]] bool startVideo(std::string* error);

class GameWindow {
 public:
  // A hidden window with the given client size. Null, with the reason, when it cannot be created.
  static std::unique_ptr<GameWindow> create(const std::string& title, int clientWidth, int clientHeight,
                                            std::string* error);
  ~GameWindow();
  GameWindow(const GameWindow&) = delete;
  GameWindow& operator=(const GameWindow&) = delete;

  // Moves the window so that its outer frame is centred on the usable area of its display.
  void placeCentred();
  void show();
  void bringToForeground();
  void setTitle(const std::string& title);
  std::string title() const;
  Point position() const;
  void clientSize(int* width, int* height) const;

  // The SDL window, for the renderer's GL context.
  SDL_Window* sdlWindow() const { return m_window; }
  // Clears the window to black while it still has its own context.
  void clearToBlack();
  // Hands the window's own GL context (an SDL_GLContext, made with the renderer's attributes) to the caller,
  // who then deletes it; null once handed over or released.
  void* takeOwnContext();
  // Gives up the window's own GL context, so that the renderer's is the only one on the surface.
  void releaseOwnContext();

  // Takes the next waiting event that makes a message, waiting up to `waitMs` for one; false when none came.
  bool pollMessage(Message* message, int waitMs = 0);
  // Queues the quit message; pollMessage delivers it as kWmQuit.
  void postQuit();
  // Queues a close request, as the window's close button does.
  void requestClose();

 private:
  GameWindow() = default;

  SDL_Window* m_window = nullptr;
  void* m_ownContext = nullptr;  // SDL_GLContext
  std::uint32_t m_quitEventType = 0;
  // Test hook: once QUILLON_TEST_CLOSE_AFTER_MS=N is in the environment (a script may set it through ENV),
  // the window asks to be closed N ms after the first poll that sees it, so end-to-end tests can drive the
  // close path; scripts cannot raise window events themselves.
  bool m_closeArmed = false;
  std::optional<std::chrono::steady_clock::time_point> m_closeAt;
  // Test hook: QUILLON_TEST_KEYS=NAME,... (key names as SDL spells them: "F10", "PrintScreen") presses and
  // releases those keys at the next poll and is then removed from the environment.
  void pressTestKeys();
};

}  // namespace windowing
