#include "bitmap/core/Filters.h"

#include "bitmap/core/Division.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace bitmap {
namespace {

Pixel rotateHue(Pixel pixel, float degrees) {
  const float r = static_cast<float>(redOf(pixel)) / 255.0f;
  const float g = static_cast<float>(greenOf(pixel)) / 255.0f;
  const float b = static_cast<float>(blueOf(pixel)) / 255.0f;
  const float maximum = std::max({r, g, b});
  const float minimum = std::min({r, g, b});
  const float chroma = maximum - minimum;
  const float lightness = (maximum + minimum) / 2.0f;

  float hue = 0.0f;
  if (chroma != 0.0f) {
    if (maximum == r) {
      hue = 60.0f * std::fmod((g - b) / chroma, 6.0f);
    } else if (maximum == g) {
      hue = 60.0f * ((b - r) / chroma + 2.0f);
    } else {
      hue = 60.0f * ((r - g) / chroma + 4.0f);
    }
  }
  const float spread = 1.0f - std::fabs(2.0f * lightness - 1.0f);
  const float saturation = chroma != 0.0f ? chroma / spread : 0.0f;

  const float rotated = std::fmod(degrees + hue, 360.0f);
  const float c = spread * saturation;
  const float x = c * (1.0f - std::fabs(std::fmod(rotated / 60.0f, 2.0f) - 1.0f));
  const float m = lightness - c / 2.0f;
  float red = c, green = 0.0f, blue = x;  // the last sector, which also takes negative hues
  if (rotated >= 0.0f) {
    if (rotated < 60.0f) {
      red = c, green = x, blue = 0.0f;
    } else if (rotated < 120.0f) {
      red = x, green = c, blue = 0.0f;
    } else if (rotated < 180.0f) {
      red = 0.0f, green = c, blue = x;
    } else if (rotated < 240.0f) {
      red = 0.0f, green = x, blue = c;
    } else if (rotated < 300.0f) {
      red = x, green = 0.0f, blue = c;
    }
  }
  const auto channel = [&](float value) {
    // Rounding in single precision can reach a hair above 1; the channel stays a byte.
    return std::min(static_cast<int>(std::max(0.0f, m + value) * 255.0f), 255);
  };
  return makePixel(alphaOf(pixel), channel(red), channel(green), channel(blue));
}

}  // namespace

void hueChange(PixelView pixels, int degrees) {
  const float angle = static_cast<float>(degrees);
  // The result depends on the colour alone and game pictures use few colours: remember recent ones in a small
  // direct-mapped table keyed by the colour bits (alpha is put back afterwards).
  constexpr std::size_t kSlots = 4096;
  std::vector<std::uint32_t> keys(kSlots, 0xFFFFFFFF);  // no colour has the top byte set
  std::vector<Pixel> results(kSlots, 0);
  for (int y = 0; y < pixels.height; ++y) {
    Pixel* row = pixels.row(y);
    for (int x = 0; x < pixels.width; ++x) {
      const std::uint32_t colour = row[x] & 0xFFFFFF;
      const std::size_t slot = (colour * 2654435761u) >> 20 & (kSlots - 1);
      if (keys[slot] != colour) {
        keys[slot] = colour;
        results[slot] = rotateHue(colour, angle) & 0xFFFFFF;
      }
      row[x] = (row[x] & 0xFF000000) | results[slot];
    }
  }
}

bool blur(PixelView pixels) {
  if (pixels.width < 3 || pixels.height < 3) return true;
  const auto copy = copyPixels(pixels);
  if (!copy) return false;
  const ConstPixelView in = copy->view();
  for (int y = 1; y < pixels.height - 1; ++y) {
    const Pixel* above = in.row(y - 1);
    const Pixel* middle = in.row(y);
    const Pixel* below = in.row(y + 1);
    Pixel* out = pixels.row(y);
    for (int x = 1; x < pixels.width - 1; ++x) {
      const Pixel samples[5] = {above[x], below[x], middle[x - 1], middle[x + 1], middle[x]};
      const int weights[5] = {1, 1, 1, 1, 2};
      int total = 0;
      int red = 0, green = 0, blue = 0;
      for (int i = 0; i < 5; ++i) {
        const int w = weights[i] * alphaOf(samples[i]);
        total += w;
        red += w * redOf(samples[i]);
        green += w * greenOf(samples[i]);
        blue += w * blueOf(samples[i]);
      }
      if (total == 0) {
        out[x] = 0;
        continue;
      }
      const auto divide = [total](int n) { return static_cast<int>(divideSmall(static_cast<std::uint32_t>(n), total)); };
      out[x] = makePixel(total / 6, divide(red), divide(green), divide(blue));
    }
  }
  return true;
}

void radialBlur(PixelView pixels, int angleDegrees, int division) {
  const int angle = std::clamp(angleDegrees, 0, 360);
  const int samples = std::clamp(division, 2, 100);
  const float theta = static_cast<float>(angle) * std::numbers::pi_v<float> / 180.0f;
  const int cx = pixels.width / 2;
  const int cy = pixels.height / 2;
  for (int y = 0; y < pixels.height; ++y) {
    for (int x = 0; x < pixels.width; ++x) {
      const float dx = static_cast<float>(x - cx);
      const float dy = static_cast<float>(y - cy);
      const float radius = std::sqrt(dx * dx + dy * dy);
      const float start = std::atan2(dy, dx) - theta / 2.0f;
      int alpha = 0, red = 0, green = 0, blue = 0, count = 0;
      for (int k = 0; k <= samples; ++k) {
        const float phi = start + static_cast<float>(k) * theta / static_cast<float>(samples);
        const int sx = static_cast<int>(std::cos(phi) * radius + static_cast<float>(cx));
        const int sy = static_cast<int>(std::sin(phi) * radius + static_cast<float>(cy));
        if (!pixels.contains(sx, sy)) continue;
        const Pixel sample = pixels.at(sx, sy);
        alpha += alphaOf(sample);
        red += redOf(sample);
        green += greenOf(sample);
        blue += blueOf(sample);
        ++count;
      }
      if (count > 0) pixels.at(x, y) = makePixel(alpha / count, red / count, green / count, blue / count);
    }
  }
}

}  // namespace bitmap
