#pragma once

// The parts of the input initialiser, run by defineInput in this order after the Input module.

#include "engine/ScriptApi.h"

namespace input {

// Input::Controller and Input::Controller::State.
void defineControllerModule(engine::Value inputModule);
void defineMouseModule();

}  // namespace input
