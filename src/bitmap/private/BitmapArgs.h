#pragma once

// What the Bitmap methods share: the argument forms (a rectangle object or four integers), colour and
// rectangle arguments, and a lock that always ends.

#include "bindings/Binding.h"
#include "bindings/Color.h"
#include "bitmap/Bitmap.h"

namespace bitmap {

// The hidden instance variable that holds a bitmap's Font object.
inline constexpr const char* kFontVariable = "font";

inline Pixel pixelOf(const bindings::Color& colour) {
  return makePixel(colour.alpha, colour.red, colour.green, colour.blue);
}

inline bindings::Color colourOf(Pixel pixel) {
  return {static_cast<std::uint8_t>(blueOf(pixel)), static_cast<std::uint8_t>(greenOf(pixel)),
          static_cast<std::uint8_t>(redOf(pixel)), static_cast<std::uint8_t>(alphaOf(pixel))};
}

// An engine rectangle argument; ScriptError "can't convert %s into Rect" for anything else.
inline PixelRect rectArg(engine::Value value) {
  bindings::checkKind(value, bindings::api().rect_class);
  const engine::RectData& rect = *bindings::api().rect_data(value);
  return {rect.x, rect.y, rect.width, rect.height};
}

// Four integer arguments from `first` on, as a rectangle.
inline PixelRect rectFromInts(const bindings::Args& args, int first) {
  const int x = bindings::toInt(args[first]);
  const int y = bindings::toInt(args[first + 1]);
  const int width = bindings::toInt(args[first + 2]);
  const int height = bindings::toInt(args[first + 3]);
  return {x, y, width, height};
}

inline engine::Value newRect(const PixelRect& rect) {
  engine::Value value = bindings::api().rect_new();
  engine::RectData& data = *bindings::api().rect_data(value);
  data = {rect.x, rect.y, rect.width, rect.height};
  return value;
}

// A bitmap whose pixels can be used: allocated objects that were never initialised have none.
inline Bitmap& withPixels(Bitmap& record) {
  if (!record.hasPixels()) throw bindings::scriptError("uninitialized bitmap");
  return record;
}

// A bitmap argument (Bitmap or a subclass) that is neither disposed nor empty.
inline Bitmap& bitmapArg(engine::Value value) {
  Bitmap& record = bindings::recordArg<Bitmap>(value);
  if (record.disposed()) throw bindings::scriptError("disposed bitmap");
  return withPixels(record);
}

// Locks a region of a bitmap for the lifetime of the guard. No interpreter call may raise while one is alive.
class LockGuard {
 public:
  LockGuard(Bitmap& record, const PixelRect& region) : m_record(record), m_view(record.lock(region)) {}
  ~LockGuard() { m_record.unlock(); }
  LockGuard(const LockGuard&) = delete;
  LockGuard& operator=(const LockGuard&) = delete;
  PixelView view() const { return m_view; }

 private:
  Bitmap& m_record;
  PixelView m_view;
};

// The text methods (BitmapText.cpp).
void defineBitmapTextMethods(engine::Value klass);

}  // namespace bitmap
