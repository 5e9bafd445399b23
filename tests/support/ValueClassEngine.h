#pragma once

// Starts the built-in engine in this process with the value classes (Color, Tone, the table accessors and the
// error classes) defined as the player's hooks define them, `api` being the script interface they use. For tests
// and fuzz targets of the value classes.

#include "engine/ScriptApi.h"

namespace test {

void startEngineWithValueClasses(engine::ScriptApi& api);

}  // namespace test
