#pragma once

// The inner loops of the pixel operations, one row at a time: a plain version and, on x86, versions for SSE2 and
// AVX2, picked once by what the processor runs. The vector versions give exactly the plain version's results (the
// tests hold each of them to it); they fall back to it for the last pixels of a row.

#include <vector>

#include "bitmap/core/PixelBuffer.h"

namespace bitmap {

// A row split into the sums the blur weighs: alpha, and each colour channel times alpha. Exact in single precision
// (at most 255 · 255), so sums of a few of them are exact too.
struct PlanarRow {
  float* alpha = nullptr;
  float* red = nullptr;
  float* green = nullptr;
  float* blue = nullptr;
};

// Where the samples of a radial blur fall: the offset of each pixel from the centre (cx, cy) of a width × height
// picture, turned by each sample's angle.
struct RadialSampling {
  const float* cosines = nullptr;  // one per sample
  const float* sines = nullptr;
  int samples = 0;
  int cx = 0;
  int cy = 0;
  int width = 0;
  int height = 0;
  int stride = 0;  // pixels from one row to the next
};

// The pixels a radial sampling kernel places samples for at a time.
inline constexpr int kRadialBlock = 8;

struct PixelKernels {
  const char* name = "";
  // Composites `count` pixels of `in` over `out` (both straight alpha) at `opacity` 1..255.
  void (*compositeRow)(Pixel* out, const Pixel* in, int count, int opacity) = nullptr;
  // out[j] = in[columns[j]] for j < count, each column below `inCount`.
  void (*gatherRow)(Pixel* out, const Pixel* in, int inCount, const int* columns, int count) = nullptr;
  void (*premultiplyRow)(const Pixel* in, int count, const PlanarRow& out) = nullptr;
  // Pixels first … last − 1 of a blurred row from the premultiplied rows above, at and below it.
  void (*blurRow)(Pixel* out, const PlanarRow& above, const PlanarRow& middle, const PlanarRow& below, int first,
                  int last) = nullptr;
  // For pixels x … x + kRadialBlock − 1 of row y: sample k of pixel i is at offsets[k · kRadialBlock + i] (row ·
  // stride + column), or −1 where it falls outside the picture.
  void (*radialSamples)(const RadialSampling& sampling, int x, int y, int* offsets) = nullptr;
  // Rotates the hue of `count` pixels by `degrees`.
  void (*hueRow)(Pixel* pixels, int count, int degrees) = nullptr;
};

// The fastest version this processor runs.
const PixelKernels& pixelKernels();
// Every version this processor runs, the plain one first.
std::vector<const PixelKernels*> supportedPixelKernels();

}  // namespace bitmap
