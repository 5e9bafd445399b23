#pragma once

namespace host {

// Runs the player: `quillon [--game PATH] [WORDS...]`, or one of its other commands (host/LaunchConfig.h).
// Returns the process exit status: a script's exit(n) status, else 0 when the game ends; 1 for every start-up
// failure (no game folder, no Game.ini, no scripts file, an engine library or runtime package problem, a
// failed --install-rtp); 2 for a command line it does not understand.
int runPlayer(int argc, char** argv);

}  // namespace host
