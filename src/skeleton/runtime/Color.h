#pragma once

#include <cstdint>

namespace spine {

// Straight (not premultiplied) RGBA, each channel 0..1.
struct Color {
  float r = 1, g = 1, b = 1, a = 1;

  static Color fromRgba8888(uint32_t rgba) {
    return {((rgba >> 24) & 0xff) / 255.0f, ((rgba >> 16) & 0xff) / 255.0f, ((rgba >> 8) & 0xff) / 255.0f,
            (rgba & 0xff) / 255.0f};
  }
  static Color fromRgb888(uint32_t rgb) { return fromRgba8888((rgb << 8) | 0xff); }

  void clamp() {
    r = r < 0 ? 0 : (r > 1 ? 1 : r);
    g = g < 0 ? 0 : (g > 1 ? 1 : g);
    b = b < 0 ? 0 : (b > 1 ? 1 : b);
    a = a < 0 ? 0 : (a > 1 ? 1 : a);
  }
  bool operator==(const Color&) const = default;
};

}  // namespace spine
