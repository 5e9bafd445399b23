#pragma once

// The host's process-wide pieces that the engine's hook slots reach: they are called without arguments of
// ours, so they find the window, the window procedure and the fonts here.

#include "host/PrivateFonts.h"

namespace windowing {
class GameWindow;
}

namespace host {

class WindowProcedure;

struct Session {
  windowing::GameWindow* window = nullptr;      // owned by the boot
  WindowProcedure* procedure = nullptr;         // owned by the boot
  PrivateFonts fonts;
  // Set by F12, taken by the next frame, which raises RGSSReset.
  bool resetRequested = false;
};

Session& session();

}  // namespace host
