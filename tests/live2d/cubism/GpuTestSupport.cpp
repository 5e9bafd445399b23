#include "tests/live2d/cubism/GpuTestSupport.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "platform/gfx/Texture.h"

namespace live2d::cubism::test {

CubismImage readTargetImage(const gfx::Texture& target) {
  CubismImage image;
  const std::vector<std::uint32_t> argb = gfxtest::readTarget(target);
  if (argb.empty()) return image;
  image.width = target.width();
  image.height = target.height();
  image.rgba.resize(argb.size() * 4);
  for (std::size_t i = 0; i < argb.size(); ++i) {
    image.rgba[i * 4] = static_cast<std::uint8_t>(argb[i] >> 16);
    image.rgba[i * 4 + 1] = static_cast<std::uint8_t>(argb[i] >> 8);
    image.rgba[i * 4 + 2] = static_cast<std::uint8_t>(argb[i]);
    image.rgba[i * 4 + 3] = static_cast<std::uint8_t>(argb[i] >> 24);
  }
  return image;
}

CubismImage compositeOver(const CubismImage& premultiplied, int r, int g, int b) {
  CubismImage out = premultiplied;
  const int background[3] = {r, g, b};
  for (std::size_t i = 0; i < out.rgba.size(); i += 4) {
    const int keep = 255 - premultiplied.rgba[i + 3];
    for (std::size_t c = 0; c < 3; ++c) {
      const int value = premultiplied.rgba[i + c] + (background[c] * keep + 127) / 255;
      out.rgba[i + c] = static_cast<std::uint8_t>(std::min(value, 255));
    }
    out.rgba[i + 3] = 255;
  }
  return out;
}

CubismImage softwarePixels(const CubismSoftwareRenderer& renderer) {
  CubismImage image;
  image.width = renderer.width();
  image.height = renderer.height();
  image.rgba.resize(renderer.pixels().size());
  for (std::size_t i = 0; i < image.rgba.size(); ++i) {
    image.rgba[i] = static_cast<std::uint8_t>(std::lround(std::clamp(renderer.pixels()[i], 0.0f, 1.0f) * 255.0f));
  }
  return image;
}

}  // namespace live2d::cubism::test
