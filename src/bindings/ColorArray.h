#pragma once

// ColorArray: the pixels of a locked bitmap handed to a process_color block. The array and every Color
// view taken from it stop touching the pixels once the block is over: they raise instead.

#include "bindings/Color.h"
#include "engine/ScriptApi.h"

namespace bindings {

// A new ColorArray over `count` packed pixels (index = y × width + x).
engine::Value newColorArray(Color* pixels, long count);
// Detaches the array and its views from the pixels; using any of them afterwards raises.
void releaseColorArray(engine::Value array);
// Yields a new ColorArray over the pixels to the current block under protection, then releases it, and
// returns the block's result. *state is nonzero when the block raised: clean up, then re-raise it with
// jump_tag(*state).
engine::Value yieldColorArray(Color* pixels, long count, int* state);

}  // namespace bindings
