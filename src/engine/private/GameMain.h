#pragma once

#include <string>

namespace engine {

// Loads the scripts file through the file layer and runs its sections in order. Returns when the game ends:
// after the last section, an uncaught error (reported in a message box) or `exit`.
void runScripts(const std::string& scriptsPath);

// Calls Graphics.__reset__, Audio.__reset__ and Input.__reset__ where the player defines them.
void resetSubsystems();

}  // namespace engine
