#pragma once

// SIGTERM and SIGINT stop the game promptly. The interpreter's own handler raises the signal's exception in
// the script's main thread at its next instruction, which ends the game as closing its window does (status 0).
// On top of it, a watcher ends the process once `graceMs` have passed without the game ending (a script that
// rescues the exception, or a long call outside the interpreter), and a second signal ends it at once; then
// the status is 128 + the signal's number, as for a process the signal killed.

namespace host {

void installSignalStop(int graceMs);

}  // namespace host
