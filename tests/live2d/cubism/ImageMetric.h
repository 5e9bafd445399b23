#pragma once

// The tolerant comparison that renders of the sample models are judged by against the reference renders and
// against each other.

#include "live2d/cubism/CubismSoftwareRenderer.h"

namespace live2d::cubism::test {

struct ImageDifference {
  double meanAbsolute = 0.0;    // per channel, 0..255
  double differingShare = 0.0;  // pixels matching nothing within one pixel of them in the other image
  double worstTileShare = 0.0;  // the same share in the worst 16×16 tile: small areas such as eyes count
};

// Edges may move by a pixel between rasterisers; a wrong layer, mask or blend changes whole areas.
ImageDifference compareImages(const CubismImage& a, const CubismImage& b);

}  // namespace live2d::cubism::test
