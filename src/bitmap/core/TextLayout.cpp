#include "bitmap/core/TextLayout.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "bitmap/core/PixelOps.h"
#include "engine/Utf.h"

namespace bitmap {
namespace {

using text::GlyphFormat;

int measureWidth(GlyphSource& glyphs, const std::u32string& codes) {
  long long width = 0;
  text::Glyph glyph;
  for (std::size_t i = 0; i < codes.size(); ++i) {
    if (!glyphs.loadGlyph(codes[i], GlyphFormat::Gray, 0x10000, false, glyph)) continue;
    const text::GlyphMetrics& m = glyph.metrics;
    if (m.bufferSize != 0 && width + m.originX < 0) width = -m.originX;
    int extent = m.cellIncX;
    // The last glyph counts to its right edge when it reaches past its advance (italics, wide glyphs).
    if (i + 1 == codes.size() && m.originX + m.blackBoxX > extent) extent = m.originX + m.blackBoxX;
    width += extent;
  }
  return static_cast<int>(std::clamp<long long>(width, 0, std::numeric_limits<int>::max() / 2));
}

Pixel mixChannels(Pixel first, Pixel last, int step, int steps) {
  Pixel result = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    const int a = static_cast<int>((first >> shift) & 0xFF);
    const int b = static_cast<int>((last >> shift) & 0xFF);
    result |= static_cast<Pixel>((step * b + (steps - step) * a) / steps) << shift;
  }
  return result;
}

// Composites one glyph bitmap at (gx, gy). `outer` marks the outline and shadow passes, whose grey coverage is
// further scaled by the text colour's alpha `textAlpha`, so that translucent text gets a translucent rim.
void composeGlyph(PixelView destination, const text::Glyph& glyph, GlyphFormat format, long long gx, long long gy,
                  Pixel colour, bool outer, int textAlpha, const TextGradient* gradient) {
  const long long boxWidth = glyph.metrics.blackBoxX;
  const long long boxHeight = glyph.metrics.blackBoxY;
  const long long firstRow = std::max(0LL, -gy);
  const long long endRow = std::min(boxHeight, static_cast<long long>(destination.height) - gy);
  const long long firstColumn = std::max(0LL, -gx);
  const long long endColumn = std::min(boxWidth, static_cast<long long>(destination.width) - gx);
  if (firstRow >= endRow || firstColumn >= endColumn) return;
  const int visibleRows = static_cast<int>(endRow - firstRow);
  for (long long row = firstRow; row < endRow; ++row) {
    const std::size_t offset = static_cast<std::size_t>(row) * static_cast<std::size_t>(glyph.pitch);
    if (offset + static_cast<std::size_t>(glyph.pitch) > glyph.bits.size()) break;
    const std::uint8_t* bits = glyph.bits.data() + offset;
    Pixel rowColour = colour;
    if (gradient) {
      // A glyph with a single visible row has no second colour to reach; it takes the top colour.
      const int r = static_cast<int>(row - firstRow);
      rowColour = visibleRows == 1 ? gradient->top : mixChannels(gradient->top, gradient->bottom, r, visibleRows - 1);
    }
    const int colourAlpha = alphaOf(rowColour);
    Pixel* out = destination.row(static_cast<int>(gy + row));
    for (long long column = firstColumn; column < endColumn; ++column) {
      int sourceAlpha = 0;
      if (format == GlyphFormat::Mono) {
        if (!(bits[column >> 3] & (0x80 >> (column & 7)))) continue;
        sourceAlpha = colourAlpha;
      } else {
        const int level = bits[column];
        if (level == 0) continue;
        sourceAlpha = (colourAlpha * level) >> 6;
        if (outer) sourceAlpha = textAlpha * sourceAlpha / 255;
      }
      Pixel& pixel = out[gx + column];
      pixel = composite(pixel, rowColour, sourceAlpha);
    }
  }
}

}  // namespace

TextSize measureText(GlyphSource& glyphs, std::string_view utf8) {
  const std::u32string codes = engine::utf8ToUtf32(utf8);
  if (codes.empty()) return {};
  return {measureWidth(glyphs, codes), glyphs.height()};
}

Squeeze squeezeFor(int textWidth, int rectWidth) {
  const long long span = static_cast<long long>(textWidth) + 2;
  if (span <= 0) return {1.0, 0};
  double factor = static_cast<double>(rectWidth) / static_cast<double>(span) - 0.15;
  if (factor <= 0.6) {
    factor = 0.6;
  } else if (factor >= 1.0) {
    factor = 1.0;
  }
  return {factor, static_cast<int>(static_cast<double>(span) * factor)};
}

std::int32_t fixedScale(double factor) {
  const double whole = std::trunc(factor);
  return static_cast<std::int32_t>(whole) * 65536 + static_cast<std::int32_t>((factor - whole) * 65536.0);
}

PixelRect drawText(PixelView destination, GlyphSource& glyphs, const TextStyle& style, const PixelRect& rect,
                   std::string_view utf8, int align, const std::optional<TextGradient>& gradient) {
  const std::u32string codes = engine::utf8ToUtf32(utf8);
  if (codes.empty() || destination.empty()) return {};
  const int textWidth = measureWidth(glyphs, codes);
  const int textHeight = glyphs.height();
  const Squeeze squeeze = squeezeFor(textWidth, rect.width);
  if (squeeze.drawnWidth <= 0) return {};

  // Centred vertically, but never above the rectangle when the rectangle is lower than the text.
  const long long top = static_cast<long long>(rect.y) + std::max((0LL + rect.height - textHeight) / 2, 0LL);
  long long left = rect.x;
  if (align == 1) {
    left += (static_cast<long long>(rect.width) - squeeze.drawnWidth) / 2;
  } else if (align == 2) {
    left += static_cast<long long>(rect.width) - squeeze.drawnWidth;
  }

  const GlyphFormat format = style.pixel ? GlyphFormat::Mono : GlyphFormat::Gray;
  const std::int32_t scale = fixedScale(squeeze.factor);
  const int textAlpha = alphaOf(style.colour);
  const TextGradient* rows = gradient ? &*gradient : nullptr;
  PixelRect written;
  long long pen = 0;
  text::Glyph glyph;
  for (const char32_t code : codes) {
    if (!glyphs.loadGlyph(code, format, scale, true, glyph)) continue;
    const text::GlyphMetrics& m = glyph.metrics;
    if (pen + m.originX < 0) pen = -m.originX;
    const long long gx = pen + m.originX + left;
    const long long gy = top + glyphs.ascent() - m.originY;
    pen += m.cellIncX;
    constexpr long long kFar = 1LL << 30;  // beyond any bitmap: nothing to draw, and no overflow below
    if (glyph.bits.empty() || gx < -kFar || gx > kFar || gy < -kFar || gy > kFar) continue;

    if (style.outline) {
      // Pixel fonts take the four side neighbours, grey fonts the four diagonal ones.
      static constexpr int kSides[4][2] = {{0, -1}, {-1, 0}, {0, 1}, {1, 0}};
      static constexpr int kDiagonals[4][2] = {{-1, -1}, {1, -1}, {-1, 1}, {1, 1}};
      for (const auto& offset : style.pixel ? kSides : kDiagonals) {
        composeGlyph(destination, glyph, format, gx + offset[0], gy + offset[1], style.outColour, true, textAlpha,
                     nullptr);
      }
    }
    if (style.shadow) {
      composeGlyph(destination, glyph, format, gx + 1, gy + 1, kShadowColour, true, textAlpha, nullptr);
    }
    composeGlyph(destination, glyph, format, gx, gy, style.colour, false, textAlpha, rows);
    const PixelRect box{static_cast<int>(gx - 1), static_cast<int>(gy - 1), m.blackBoxX + 2, m.blackBoxY + 2};
    written = unite(written, clip(box, destination.width, destination.height));
  }
  return written;
}

}  // namespace bitmap
