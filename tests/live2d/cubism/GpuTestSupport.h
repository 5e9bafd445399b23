#pragma once

// What the tests of the graphics-layer model renderer share: the headless device (from the graphics layer's
// tests) and read-back of a target as an R, G, B, A image.

#include <cstdint>
#include <string>
#include <vector>

#include "live2d/cubism/CubismSoftwareRenderer.h"
#include "tests/live2d/cubism/ImageMetric.h"
#include "tests/platform/gfx/GfxTestSupport.h"

namespace live2d::cubism::test {

// A render target's premultiplied pixels as R, G, B, A bytes, top row first.
CubismImage readTargetImage(const gfx::Texture& target);
// Premultiplied R, G, B, A bytes composited over an opaque colour (0 to 255 per channel).
CubismImage compositeOver(const CubismImage& premultiplied, int r, int g, int b);
// Premultiplied floats (as the software renderer keeps them) rounded to bytes.
CubismImage softwarePixels(const CubismSoftwareRenderer& renderer);

}  // namespace live2d::cubism::test
