#pragma once

// One face at one size, as the Windows font mapper would give it for a logical font: the size is the cell height
// (ascent + descent of the face's Windows metrics), missing bold and italic styles are synthesised, and
// characters the face lacks come from another installed face that has them.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace text {

enum class GlyphFormat {
  Gray,  // one byte per pixel, coverage levels 0..64, rows padded to 4 bytes
  Mono,  // one bit per pixel, most significant bit first, rows padded to 4 bytes
};

struct GlyphMetrics {
  int blackBoxX = 1;  // bitmap width and height; at least 1 × 1 even for blank glyphs
  int blackBoxY = 1;
  int originX = 0;  // left edge of the black box from the pen position
  int originY = 0;  // top edge of the black box above the baseline
  int cellIncX = 0;  // pen advance
  std::size_t bufferSize = 0;  // bytes of the padded bitmap; 0 for blank glyphs
};

struct Glyph {
  GlyphMetrics metrics;
  int pitch = 0;  // bytes per row
  std::vector<std::uint8_t> bits;  // bufferSize bytes, rows top-down; empty for blank glyphs
};

struct FaceRequest {
  std::string family;  // resolved through fontconfig; an unknown family gives fontconfig's best substitute
  int size = 24;  // cell height in pixels
  bool bold = false;
  bool italic = false;
};

class FontFace {
 public:
  // Null when no face at all can be opened (no fonts installed, or fontconfig fails to start).
  static std::unique_ptr<FontFace> open(const FaceRequest& request);
  ~FontFace();
  FontFace(const FontFace&) = delete;
  FontFace& operator=(const FontFace&) = delete;

  // Windows text metrics: ascent above the baseline and the full cell height.
  int ascent() const;
  int height() const;
  // The family and file that the request resolved to (for logs and tests).
  const std::string& familyName() const;
  const std::string& fileName() const;
  int faceIndex() const;
  bool hasGlyph(char32_t codePoint) const;  // in the primary face, without fallback

  // Metrics (and, when `withBits`, the bitmap) of a character, drawn scaled horizontally by `scaleX`
  // (16.16 fixed point, 65536 = unscaled). False when the glyph cannot be rendered; `glyph` is then blank.
  bool loadGlyph(char32_t codePoint, GlyphFormat format, std::int32_t scaleX, bool withBits, Glyph& glyph);

  struct Impl;

 private:
  explicit FontFace(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> m_impl;
};

}  // namespace text
