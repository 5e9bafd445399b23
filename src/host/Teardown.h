#pragma once

namespace host {

// Releases the renderer and forgets it, removes the private fonts and posts the quit message. Runs at most
// once, whichever comes first: the window's destruction, the end of the game or a failed start.
void teardown();
bool tornDown();

}  // namespace host
