#pragma once

// Starts the built-in engine once per test process, with the value classes defined as the player's hooks
// define them, and evaluates script snippets for the tests.

#include <string>

#include "engine/ScriptApi.h"

namespace bindings::test {

engine::ScriptApi& api();

// Evaluates `code` at top level and returns the result's to_s, or "<ErrorClass>: <message>" when it
// raises.
std::string run(const std::string& code);

}  // namespace bindings::test
