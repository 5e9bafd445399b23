#pragma once

// The engine's process-wide state behind `hooks()`, `globals()` and the message box, kept apart from the exported
// entry points so that the code those call (the game's main function, the classes) depends on the state alone.

#include <string>

#include "engine/Engine.h"
#include "engine/FontRegistry.h"

namespace engine {

// What RGSSInitialize3 fills in once the interpreter runs.
EngineGlobals& editableGlobals();
FontRegistry& fontRegistry();
// The caption of the engine's message boxes: the game's title once RGSSSetupRTP has read it.
void setGameTitle(std::string title);
// What `exitStatus()` reports: an uncaught error or `exit` sets it.
void setExitStatus(int status);

}  // namespace engine
