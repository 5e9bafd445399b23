// Bitmap's text methods: the text is measured and drawn with a face made from the bitmap's font as it is at
// the time of the call.

#include <cstdio>
#include <string>

#include "bitmap/Font.h"
#include "bitmap/core/GlyphSource.h"
#include "bitmap/private/BitmapArgs.h"
#include "bitmap/private/FaceCache.h"

namespace bitmap {

namespace {

using bindings::api;
using bindings::Args;
using bindings::Self;
using engine::Value;

// The text argument as its to_s gives it, copied while the converted string is surely alive. Call it after
// every conversion that may raise through the interpreter.
std::string textArg(Value value) { return std::string(bindings::stringView(api().obj_as_string(value))); }

text::FontFace* faceOf(const Font& font) {
  text::FontFace* face = faceCache().face({font.face, font.size, font.bold, font.italic});
  if (face == nullptr) {
    std::fprintf(stderr, "[bitmap] no face for font \"%s\" at %d: text not drawn\n", font.face.c_str(), font.size);
  }
  return face;
}

void drawTextWith(Self<Bitmap> self, const PixelRect& rect, std::string_view utf8, int align,
                  const std::optional<TextGradient>& gradient) {
  Value font = api().iv_get(self.value, kFontVariable);
  if (utf8.empty() || font == api().nil) return;
  const TextStyle style = fontStyle(font);
  text::FontFace* face = faceOf(bindings::liveRecord<Font>(font));
  if (face == nullptr) return;
  FaceGlyphs glyphs(*face);
  LockGuard lock(withPixels(*self), rect);
  const PixelRect written = drawText(lock.view(), glyphs, style, rect, utf8, align, gradient);
  // Glyphs may reach beyond the rectangle: what was written there is shown too.
  self->markDirty(written);
}

void bitmapDrawText(Self<Bitmap> self, Args args) {
  PixelRect rect;
  if (args.count == 2 || args.count == 3) {
    rect = rectArg(args[0]);
  } else if (args.count == 5 || args.count == 6) {
    rect = rectFromInts(args, 0);
  } else {
    throw bindings::arityError(args.count < 2 ? 2 : args.count == 4 ? 3 : 6, args.count);
  }
  const int textIndex = args.count <= 3 ? 1 : 4;
  const int align = args.count > textIndex + 1 ? bindings::toInt(args[textIndex + 1]) : 0;
  const std::string utf8 = textArg(args[textIndex]);
  drawTextWith(self, rect, utf8, align, std::nullopt);
}

void bitmapDrawTextGradient(Self<Bitmap> self, Args args) {
  PixelRect rect;
  if (args.count == 4 || args.count == 5) {
    rect = rectArg(args[0]);
  } else if (args.count == 7 || args.count == 8) {
    rect = rectFromInts(args, 0);
  } else {
    throw bindings::arityError(args.count < 4 ? 4 : args.count == 6 ? 5 : 8, args.count);
  }
  const int textIndex = args.count <= 5 ? 1 : 4;
  const int align = args.count > textIndex + 3 ? bindings::toInt(args[textIndex + 3]) : 0;
  const std::string utf8 = textArg(args[textIndex]);
  const Pixel top = pixelOf(bindings::colorRecord(args[textIndex + 1]));
  const Pixel bottom = pixelOf(bindings::colorRecord(args[textIndex + 2]));
  drawTextWith(self, rect, utf8, align, TextGradient{top, bottom});
}

Value bitmapTextSize(Self<Bitmap> self, Value textValue) {
  const std::string utf8 = textArg(textValue);
  Value font = api().iv_get(self.value, kFontVariable);
  TextSize size;
  if (!utf8.empty() && font != api().nil) {
    if (text::FontFace* face = faceOf(bindings::liveRecord<Font>(font))) {
      FaceGlyphs glyphs(*face);
      size = measureText(glyphs, utf8);
    }
  }
  return newRect({0, 0, size.width, size.height});
}

}  // namespace

void defineBitmapTextMethods(Value klass) {
  bindings::defineMethod<&bitmapDrawText>(klass, "draw_text");
  bindings::defineMethod<&bitmapDrawTextGradient>(klass, "draw_text_gradient");
  bindings::defineMethod<&bitmapTextSize>(klass, "text_size");
}

}  // namespace bitmap
