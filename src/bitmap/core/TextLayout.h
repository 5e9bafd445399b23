#pragma once

// Measuring and drawing a line of text into bitmap pixels: glyph by glyph, with
// outline and shadow passes, squeezed horizontally to fit the rectangle, composited with straight alpha.

#include <optional>
#include <string_view>

#include "bitmap/core/GlyphSource.h"
#include "bitmap/core/PixelBuffer.h"

namespace bitmap {

struct TextStyle {
  bool pixel = false;  // 1-bit glyphs instead of 65-level grey
  bool outline = true;
  bool shadow = false;
  Pixel colour = 0xFFFFFFFF;
  Pixel outColour = 0x80000000;
};

inline constexpr Pixel kShadowColour = 0xFF000000;

struct TextSize {
  int width = 0;
  int height = 0;
};

// Width by the advances (the last glyph counted to its right edge when that is further) and the face's height;
// empty text measures 0 × 0.
TextSize measureText(GlyphSource& glyphs, std::string_view utf8);

// Horizontal squeeze for text `width` wide in a rectangle `rectWidth` wide, 0.6..1.0, and the drawn width.
struct Squeeze {
  double factor = 1.0;
  int drawnWidth = 0;
};
Squeeze squeezeFor(int textWidth, int rectWidth);
// The 16.16 fixed-point form of a squeeze factor that glyphs are scaled with.
std::int32_t fixedScale(double factor);

// Gradient colours from the top of each glyph to its bottom (replacing the body colour).
struct TextGradient {
  Pixel top = 0;
  Pixel bottom = 0;
};

// Draws `utf8` in `rect` with `align` 0 left, 1 centre, 2 right. Pixels outside the rectangle but inside the
// bitmap are drawn too. Returns the area written (clipped to the bitmap), empty when nothing was drawn.
PixelRect drawText(PixelView destination, GlyphSource& glyphs, const TextStyle& style, const PixelRect& rect,
                   std::string_view utf8, int align, const std::optional<TextGradient>& gradient = std::nullopt);

}  // namespace bitmap
