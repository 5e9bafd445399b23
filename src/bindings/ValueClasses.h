#pragma once

// The value classes' initialisers and the engine table's element accessors, called from the engine hooks.

#include "engine/ScriptApi.h"

namespace bindings {

void defineColor();
void defineTone();
// D3DError (under the engine's error class), then ColorArray; both kept in ScriptApi.
void defineErrorClasses();

// Table#[] and Table#[]=: out-of-range reads give nil, writes store the low 16 bits and mark the table
// as modified (dimension count negated) for the tilemap.
engine::Value tableElementGet(int argc, const engine::Value* argv, engine::Value self);
engine::Value tableElementSet(int argc, const engine::Value* argv, engine::Value self);

}  // namespace bindings
