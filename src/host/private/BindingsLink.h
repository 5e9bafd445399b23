#pragma once

// The value classes and table accessors of the bindings layer, when the player is built with it.

#include "engine/ScriptApi.h"

namespace host {

void defineColorClass();
void defineToneClass();
// D3DError and ColorArray.
void defineErrorClasses();
engine::VariadicMethod tableElementReader();
engine::VariadicMethod tableElementWriter();

}  // namespace host
