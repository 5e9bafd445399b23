#pragma once

// The host's view of the real renderer: whatever renderer is current in the render subsystem (Graphics.__reset__
// replaces it), so the window procedure and the pump always reach the one that draws.

#include <memory>

#include "host/RendererControl.h"

namespace windowing {
class GameWindow;
}

namespace host {

// Makes the renderer for the window (ending the process when no device can be made) and returns the control
// the host publishes.
std::unique_ptr<RendererControl> startRenderer(windowing::GameWindow& window);

// The engine's Graphics slot.
void defineGraphicsHook();

}  // namespace host
