#pragma once

#include <span>

#include "host/LaunchConfig.h"

namespace windowing {
class GameWindow;
}

namespace host {

class WindowProcedure;

// One step of the message pump: takes at most one waiting message (waiting up to `waitMs` for one) and,
// unless it is the quit message, translates it through the accelerators and dispatches it. Returns the
// released flag of the renderer that was current when the step began (false when there was none).
bool pumpStep(windowing::GameWindow& window, WindowProcedure& procedure, std::span<const Accelerator> accelerators,
              int waitMs = 0);

}  // namespace host
