#include "scene/FlashMath.h"

namespace scene {

namespace {
bool isZero(const std::array<float, 4>& colour) {
  return colour[0] == 0.0f && colour[1] == 0.0f && colour[2] == 0.0f && colour[3] == 0.0f;
}
}  // namespace

void startFlash(FlashState& state, const bindings::Color* colour, int duration) {
  state.framesLeft = duration;
  if (colour != nullptr) {
    state.colour = {colour->red / 255.0f, colour->green / 255.0f, colour->blue / 255.0f, colour->alpha / 255.0f};
  } else {
    state.colour = {};
  }
  const float perFrame = duration > 0 ? 1.0f / static_cast<float>(duration) : 0.0f;
  if (!isZero(state.colour)) {
    for (int i = 0; i < 4; ++i) state.step[i] = state.colour[i] * perFrame;
  } else {
    state.hideProgress = 0.0f;
    state.hideStep = perFrame;
  }
}

void stepFlash(FlashState& state) {
  if (state.framesLeft <= 0) return;
  --state.framesLeft;
  if (!isZero(state.colour)) {
    for (int i = 0; i < 4; ++i) state.colour[i] -= state.step[i];
  } else {
    state.hideProgress += state.hideStep;
  }
}

bool hiddenByFlash(std::int32_t framesLeft, const std::array<float, 4>& colour) {
  return framesLeft > 0 && isZero(colour);
}

}  // namespace scene
