#pragma once

// The flash every sprite and viewport shares: a colour stepped down to nothing over its duration, or, without a colour,
// the object hidden while it runs.

#include <array>
#include <cstdint>

#include "bindings/Color.h"

namespace scene {

struct FlashState {
  std::array<float, 4> colour{};  // red, green, blue, alpha in 0..1
  std::array<float, 4> step{};
  float hideProgress = 0.0f;
  float hideStep = 0.0f;
  std::int32_t framesLeft = 0;
};

// A flash of `colour` (null: hide) lasting `duration` frames. A duration of 0 or less is never stepped, so the colour
// stays until the next flash; its steps are 0 rather than infinite.
void startFlash(FlashState& state, const bindings::Color* colour, int duration);
// One frame of it.
void stepFlash(FlashState& state);
// True while a flash without colour runs: the object is not drawn.
bool hiddenByFlash(std::int32_t framesLeft, const std::array<float, 4>& colour);

}  // namespace scene
