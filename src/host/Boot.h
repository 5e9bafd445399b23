#pragma once

namespace host {

// Runs the player: `quillon [--game PATH] [WORDS...]`. Returns the process exit status.
int runPlayer(int argc, char** argv);

}  // namespace host
