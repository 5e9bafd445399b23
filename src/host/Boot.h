#pragma once

namespace host {

// Runs the player: `quillon [--game PATH] [WORDS...]`. Returns the process exit status: a script's exit(n)
// status, else 0 (start-up errors included, as the original ended); 1 when the game folder cannot be entered.
int runPlayer(int argc, char** argv);

}  // namespace host
