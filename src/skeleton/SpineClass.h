#pragma once

// The skeleton subsystem's script class: `Spine`, skeletal animations in the scene (Spine.h), with the class-level
// `mix_time` and the polling of animation events.

namespace skeleton {

// Defines `Spine`. Runs at boot, before the engine's class initialisers: Viewport arguments are checked against the
// class as it is when the methods run.
void defineSpineClass();

}  // namespace skeleton
