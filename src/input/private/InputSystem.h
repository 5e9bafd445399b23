#pragma once

// Everything one run of the input initialiser builds, and the process-wide pointer to the current one.

#include <memory>

#include "input/ControllerTable.h"
#include "input/InputState.h"
#include "input/MouseState.h"

namespace windowing {
class GameWindow;
}

namespace input {

struct InputSystem {
  InputState keys;
  // Shared with the State objects handed to scripts, which keep showing their table after a re-run.
  std::shared_ptr<ControllerTable> controllers;
  MouseState mouse;
  bool pointerVisible = true;
};

// The state of the latest initialiser run; null before the first.
InputSystem* currentInput();
// Replaces the current state with a fresh one reading the process's game controllers.
InputSystem& resetInput();

// The attached game window, or null.
windowing::GameWindow* attachedWindow();
// How the attached window's client pixels map to game pixels now.
ScreenMapping currentScreenMapping();

}  // namespace input
