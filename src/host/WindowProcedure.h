#pragma once

// The game window's procedure: what each Windows message does to the input state, the renderer and the
// process. It is the default processing until the engine reaches its window set-up and installs it.

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>

#include "host/LaunchConfig.h"
#include "platform/window/Messages.h"

namespace host {

inline constexpr int kCommandAbout = 104;            // F1
inline constexpr int kCommandFrameRate = 32771;      // F2
inline constexpr int kSystemCommandAbout = 103;      // the About item of the Windows system menu

// Accelerator table 109: F1 opens the About box, F2 toggles the frame rate in the title.
inline constexpr std::array<Accelerator, 2> kAcceleratorTable = {{
    {windowing::kVkF1, kCommandAbout},
    {windowing::kVkF2, kCommandFrameRate},
}};

// The command message an accelerator makes of a key-down message, if any. Accelerators here name no
// modifiers, so a key pressed with Shift, Ctrl or Alt matches none.
std::optional<windowing::Message> translateAccelerator(const windowing::Message& message,
                                                       std::span<const Accelerator> accelerators);

// F10 (a system key, as on Windows) or Print Screen going down; held keys repeating do not count.
bool isScreenshotKey(const windowing::Message& message);

class WindowProcedure {
 public:
  // What the procedure does outside the input state and the renderer.
  struct Actions {
    std::function<void()> teardown;
    std::function<void()> showAbout;
    // Asks the window to close, as the default processing of Alt+F4 does.
    std::function<void()> requestClose;
    // F10 or Print Screen: saves the picture on screen (the key still reaches the game).
    std::function<void()> screenshot;
    // Asks the game to start over (F12): the next frame raises RGSSReset in the script.
    std::function<void()> requestReset;
  };

  explicit WindowProcedure(Actions actions) : m_actions(std::move(actions)) {}

  void install() { m_installed = true; }
  bool installed() const { return m_installed; }
  // Handles one message: the procedure's table once installed, default processing before.
  std::intptr_t dispatch(const windowing::Message& message);

 private:
  std::intptr_t handle(const windowing::Message& message);
  std::intptr_t defaultProcessing(const windowing::Message& message);

  Actions m_actions;
  bool m_installed = false;
};

}  // namespace host
