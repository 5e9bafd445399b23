#include "bitmap/core/Filters.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <numbers>
#include <vector>

#include "bitmap/core/Division.h"
#include "bitmap/core/PixelKernels.h"

namespace bitmap {

void hueChange(PixelView pixels, int degrees) {
  // The result depends on the colour alone and game pictures use few colours: recent ones are remembered in a
  // small direct-mapped table keyed by the colour bits, and only the others, gathered a batch at a time, are
  // rotated.
  constexpr std::size_t kSlots = 4096;
  constexpr int kBatch = 64;
  std::vector<std::uint32_t> keys(kSlots, 0xFFFFFFFF);  // no colour has the top byte set
  std::vector<Pixel> results(kSlots, 0);
  const PixelKernels& kernels = pixelKernels();
  Pixel missed[kBatch];
  int columns[kBatch];
  std::size_t slots[kBatch];
  for (int y = 0; y < pixels.height; ++y) {
    Pixel* row = pixels.row(y);
    for (int start = 0; start < pixels.width; start += kBatch) {
      const int end = std::min(pixels.width, start + kBatch);
      int misses = 0;
      for (int x = start; x < end; ++x) {
        const std::uint32_t colour = row[x] & 0xFFFFFF;
        const std::size_t slot = (colour * 2654435761u) >> 20 & (kSlots - 1);
        if (keys[slot] == colour) {
          row[x] = (row[x] & 0xFF000000) | results[slot];
        } else {
          missed[misses] = row[x];
          columns[misses] = x;
          slots[misses++] = slot;
        }
      }
      kernels.hueRow(missed, misses, degrees);
      for (int i = 0; i < misses; ++i) {
        keys[slots[i]] = row[columns[i]] & 0xFFFFFF;
        results[slots[i]] = missed[i] & 0xFFFFFF;
        row[columns[i]] = missed[i];
      }
    }
  }
}

bool blur(PixelView pixels) {
  if (pixels.width < 3 || pixels.height < 3) return true;
  // Three rows of premultiplied sums used in turn: the rows above, at and below the one being written, each taken
  // before that row is overwritten.
  const auto width = static_cast<std::size_t>(pixels.width);
  std::vector<float> sums;
  try {
    sums.resize(12 * width);
  } catch (const std::bad_alloc&) {
    return false;
  }
  PlanarRow rows[3];
  for (std::size_t i = 0; i < 3; ++i) {
    float* base = sums.data() + 4 * width * i;
    rows[i] = {base, base + width, base + 2 * width, base + 3 * width};
  }
  const PixelKernels& kernels = pixelKernels();
  kernels.premultiplyRow(pixels.row(0), pixels.width, rows[0]);
  kernels.premultiplyRow(pixels.row(1), pixels.width, rows[1]);
  for (int y = 1; y < pixels.height - 1; ++y) {
    const PlanarRow& below = rows[(y + 1) % 3];
    kernels.premultiplyRow(pixels.row(y + 1), pixels.width, below);
    kernels.blurRow(pixels.row(y), rows[(y - 1) % 3], rows[y % 3], below, 1, pixels.width - 1);
  }
  return true;
}

void radialBlur(PixelView pixels, int angleDegrees, int division) {
  const int angle = std::clamp(angleDegrees, 0, 360);
  const int samples = std::clamp(division, 2, 100);
  // Sample k lies on the pixel's circle about the centre, at the pixel's own angle turned by −θ/2 + k·θ/n: its
  // offset from the centre is the pixel's offset turned by that angle, so no pixel needs trigonometry.
  const double theta = angle * std::numbers::pi / 180.0;
  std::vector<float> cosines, sines;
  for (int k = 0; k <= samples; ++k) {
    const double turn = -theta / 2.0 + k * theta / samples;
    cosines.push_back(static_cast<float>(std::cos(turn)));
    sines.push_back(static_cast<float>(std::sin(turn)));
  }
  const RadialSampling sampling{cosines.data(),   sines.data(),      static_cast<int>(cosines.size()),
                                pixels.width / 2, pixels.height / 2, pixels.width,
                                pixels.height,    pixels.stride};
  const PixelKernels& kernels = pixelKernels();
  std::vector<int> offsets(cosines.size() * kRadialBlock);
  for (int y = 0; y < pixels.height; ++y) {
    Pixel* row = pixels.row(y);
    for (int block = 0; block < pixels.width; block += kRadialBlock) {
      // Where the samples fall does not depend on the pixels, so it is worked out ahead for a block; the samples
      // themselves are read one pixel at a time, after the pixels before have been written.
      kernels.radialSamples(sampling, block, y, offsets.data());
      for (int i = 0; i < kRadialBlock && block + i < pixels.width; ++i) {
        // Channel sums side by side in 16-bit fields: 101 samples of 255 stay below 2^16.
        std::uint32_t alphaGreen = 0, redBlue = 0;
        int count = 0;
        for (std::size_t k = static_cast<std::size_t>(i); k < offsets.size(); k += kRadialBlock) {
          if (offsets[k] < 0) continue;
          const Pixel sample = pixels.data[offsets[k]];
          alphaGreen += (sample >> 8) & 0x00FF00FF;
          redBlue += sample & 0x00FF00FF;
          ++count;
        }
        if (count == 0) continue;
        const auto average = [count](std::uint32_t sum) { return static_cast<int>(divideSmall(sum, count)); };
        row[block + i] = makePixel(average(alphaGreen >> 16), average(redBlue >> 16), average(alphaGreen & 0xFFFF),
                                   average(redBlue & 0xFFFF));
      }
    }
  }
}

}  // namespace bitmap
