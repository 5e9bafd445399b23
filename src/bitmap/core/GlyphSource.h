#pragma once

// Where text layout gets its glyphs: a face of the text platform, or (in tests) hand-made glyphs.

#include <cstdint>

#include "platform/text/FontFace.h"

namespace bitmap {

class GlyphSource {
 public:
  virtual ~GlyphSource() = default;
  virtual int ascent() const = 0;  // Windows tmAscent
  virtual int height() const = 0;  // Windows tmHeight
  // False when the glyph cannot be rendered; such characters are skipped.
  virtual bool loadGlyph(char32_t codePoint, text::GlyphFormat format, std::int32_t scaleX, bool withBits,
                         text::Glyph& glyph) = 0;
};

// A borrowed face; the face must outlive this adapter.
class FaceGlyphs final : public GlyphSource {
 public:
  explicit FaceGlyphs(text::FontFace& face) : m_face(face) {}
  int ascent() const override { return m_face.ascent(); }
  int height() const override { return m_face.height(); }
  bool loadGlyph(char32_t codePoint, text::GlyphFormat format, std::int32_t scaleX, bool withBits,
                 text::Glyph& glyph) override {
    return m_face.loadGlyph(codePoint, format, scaleX, withBits, glyph);
  }

 private:
  text::FontFace& m_face;
};

}  // namespace bitmap
