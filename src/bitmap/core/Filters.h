#pragma once

// Whole-bitmap colour and blur filters.

#include "bitmap/core/PixelBuffer.h"

namespace bitmap {

// Rotates every pixel's hue by `degrees` through HSL in single precision; alpha is kept. The arithmetic (C fmod,
// truncation, a negative rotated hue falling into the last sector) is kept as it is because games picked their
// hue values by looking at its results.
void hueChange(PixelView pixels, int degrees);

// One pass of a 3 × 3 cross (centre weighted 2) over the inner pixels, weighted by alpha; the border rows and
// columns are kept. False when its working rows cannot be allocated (nothing changes then).
[[nodiscard]] bool blur(PixelView pixels);

// Rotational blur about the centre over `angleDegrees` (clamped 0..360) with `division` + 1 samples per pixel
// (clamped 2..100). Works in place, top row first, so later pixels sample ones already blurred; a pixel whose
// samples all fall outside the bitmap keeps its value.
void radialBlur(PixelView pixels, int angleDegrees, int division);

}  // namespace bitmap
