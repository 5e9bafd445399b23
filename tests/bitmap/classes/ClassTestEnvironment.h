#pragma once

// Starts the built-in engine and a headless graphics context once per test process, defines the value classes,
// Font and Bitmap as the player's hooks do, and evaluates script snippets.

#include <cstdint>
#include <string>
#include <vector>

#include "engine/ScriptApi.h"

namespace gfx {
class Texture;
}

namespace bitmap::test {

// False when no GL context could be made (the tests skip then).
bool haveGraphics();

// Evaluates `code` at top level and returns the result's to_s, or "<ErrorClass>: <message>" when it raises.
std::string run(const std::string& code);
engine::Value eval(const std::string& code);

// What the GPU holds for a managed texture: drawn unblended into a render target and read back.
std::vector<std::uint32_t> gpuPixels(const gfx::Texture& texture);

}  // namespace bitmap::test
