#pragma once

// What the Live2D subsystem offers the player: the L2D script class, the frame pass that animates and draws every
// model, and the debug log its lines go to.

#include "live2d/LAppLog.h"

namespace live2d {

// Starts the framework (once per process) and defines L2D. At boot, once the renderer exists.
void defineLive2D();

// Puts the frame pass in front of the renderer's frame scene; run once the scene's frame is installed (again after
// another scene replaced it; otherwise it does nothing).
void installFramePass();

}  // namespace live2d
