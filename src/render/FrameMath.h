#pragma once

// The arithmetic of a frame, free of the device: how the screen is scaled into the back buffer, how fades and
// transitions turn into colours and thresholds, and the script-facing clamps. The renderer draws with these and
// the tests check them as tables.

#include <cstdint>

namespace render {

// Where the screen lands in the back buffer: scaled by (scaleX, scaleY), then moved by (offsetX, offsetY).
struct PresentPlacement {
  float scaleX = 1.0f;
  float scaleY = 1.0f;
  float offsetX = 0.0f;
  float offsetY = 0.0f;
  bool operator==(const PresentPlacement&) const = default;
};

// Full screen keeps the aspect ratio and centres the picture between black bars; a window stretches the
// screen to its client size on each axis independently.
PresentPlacement fullScreenPlacement(int displayWidth, int displayHeight, int screenWidth, int screenHeight);
PresentPlacement windowedPlacement(int windowWidth, int windowHeight, int screenWidth, int screenHeight);

// One rendered frame of a fade: a negative counter (fade-in) counts up, a positive one (fade-out) down, and the
// brightness follows with truncating integer division. A zero counter leaves the brightness alone. A zero
// duration with a running counter cannot come from the scripts' fade calls (they set both together), but a
// corrupt state must not divide by zero: the fade then ends at its final brightness.
struct FadeStep {
  int counter = 0;
  int brightness = 255;
  bool operator==(const FadeStep&) const = default;
};
FadeStep advanceFade(int counter, int duration, int brightness);

// The composite colour for a brightness: only its low byte counts, as grey with the same alpha.
constexpr std::uint32_t brightnessColour(int brightness) {
  return (static_cast<std::uint32_t>(brightness) & 0xFFu) * 0x01010101u;
}

// A transition without an image: the frozen picture is drawn over the new scene with this colour (A8R8G8B8).
// `framesLeft` counts the frames still to come after this one.
std::uint32_t plainTransitionColour(int framesLeft, int duration, int brightness);

// A transition with an image: pixels whose image red is below `min` show the new scene, above `max` the old;
// vagueness widens the band in between.
struct TransitionThresholds {
  float min = 0.0f;
  float max = 0.0f;
};
TransitionThresholds imageTransitionThresholds(int framesLeft, int duration, int vagueness);

// Graphics.filter=: 0 point, 1 linear; out-of-range values go to the nearer one.
constexpr int clampFilter(int value) { return value < 0 ? 0 : (value > 1 ? 1 : value); }

// The device viewport of a viewport rectangle: clipped to the screen, never negative in size.
struct ClippedRect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  bool operator==(const ClippedRect&) const = default;
};
ClippedRect clipToScreen(int x, int y, int width, int height, int screenWidth, int screenHeight);

}  // namespace render
