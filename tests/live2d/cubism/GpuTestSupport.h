#pragma once

// What the tests of the graphics-layer model renderer share: the headless device (from the graphics layer's
// tests), read-back of a target as an R, G, B, A image, and the tolerant image metric the sample renders are
// judged by.

#include <cstdint>
#include <string>
#include <vector>

#include "live2d/cubism/CubismSoftwareRenderer.h"
#include "tests/platform/gfx/GfxTestSupport.h"

namespace live2d::cubism::test {

// A render target's premultiplied pixels as R, G, B, A bytes, top row first.
CubismImage readTargetImage(const gfx::Texture& target);
// Premultiplied R, G, B, A bytes composited over an opaque colour (0 to 255 per channel).
CubismImage compositeOver(const CubismImage& premultiplied, int r, int g, int b);
// Premultiplied floats (as the software renderer keeps them) rounded to bytes.
CubismImage softwarePixels(const CubismSoftwareRenderer& renderer);

struct ImageDifference {
  double meanAbsolute = 0.0;    // per channel, 0..255
  double differingShare = 0.0;  // pixels matching nothing within one pixel of them in the other image
  double worstTileShare = 0.0;  // the same share in the worst 16×16 tile: small areas such as eyes count
};

// Edges may move by a pixel between rasterisers; a wrong layer, mask or blend changes whole areas.
ImageDifference compareImages(const CubismImage& a, const CubismImage& b);

}  // namespace live2d::cubism::test
