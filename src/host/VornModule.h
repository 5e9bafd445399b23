#pragma once

namespace host {

// Defines the module function VORN.console_input (arity 0) through the script interface: the text typed
// on the console since the last call, trimmed, or "" when nothing was typed.
void defineConsoleInput();

}  // namespace host
