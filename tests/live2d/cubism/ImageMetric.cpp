#include "tests/live2d/cubism/ImageMetric.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace live2d::cubism::test {

namespace {

int channelDistance(const CubismImage& a, std::size_t i, const CubismImage& b, std::size_t j) {
  int largest = 0;
  for (std::size_t c = 0; c < 3; ++c) {
    largest = std::max(largest, std::abs(int{a.rgba[i * 4 + c]} - int{b.rgba[j * 4 + c]}));
  }
  return largest;
}

}  // namespace

ImageDifference compareImages(const CubismImage& a, const CubismImage& b) {
  ImageDifference d;
  if (a.width != b.width || a.height != b.height || a.width <= 0 || a.height <= 0) {
    return {255.0, 1.0, 1.0};
  }
  const auto width = static_cast<std::size_t>(a.width);
  const std::size_t pixels = width * static_cast<std::size_t>(a.height);
  std::size_t differing = 0;
  double sum = 0.0;
  constexpr int kTile = 16;
  const int tilesX = (a.width + kTile - 1) / kTile;
  std::vector<int> tileCounts(static_cast<std::size_t>(tilesX * ((a.height + kTile - 1) / kTile)), 0);
  for (int y = 0; y < a.height; ++y) {
    for (int x = 0; x < a.width; ++x) {
      const std::size_t i = static_cast<std::size_t>(y) * width + static_cast<std::size_t>(x);
      for (std::size_t c = 0; c < 3; ++c) sum += std::abs(int{a.rgba[i * 4 + c]} - int{b.rgba[i * 4 + c]});
      int best = 255;
      for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) {
          const int nx = x + dx;
          const int ny = y + dy;
          if (nx < 0 || ny < 0 || nx >= b.width || ny >= b.height) continue;
          best = std::min(
              best, channelDistance(a, i, b, static_cast<std::size_t>(ny) * width + static_cast<std::size_t>(nx)));
        }
      }
      if (best > 48) {
        ++differing;
        ++tileCounts[static_cast<std::size_t>((y / kTile) * tilesX + x / kTile)];
      }
    }
  }
  for (int count : tileCounts) d.worstTileShare = std::max(d.worstTileShare, count / double(kTile * kTile));
  d.meanAbsolute = sum / static_cast<double>(pixels * 3);
  d.differingShare = static_cast<double>(differing) / static_cast<double>(pixels);
  return d;
}

}  // namespace live2d::cubism::test
