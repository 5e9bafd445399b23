#pragma once

// The Color record and the script class around it. Scene objects keep pointers to the records of the
// Color objects their script side holds, so a change made through the script object reaches the renderer
// without a copy.

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

#include "engine/ScriptApi.h"

namespace bindings {

// The memory layout of one 32-bit ARGB pixel (alpha in the top byte of the little-endian word), so a
// Color object can be a view of a bitmap pixel.
struct Color {
  std::uint8_t blue = 0;
  std::uint8_t green = 0;
  std::uint8_t red = 0;
  std::uint8_t alpha = 0;

  bool operator==(const Color&) const = default;
};
static_assert(sizeof(Color) == 4 && alignof(Color) == 1);

// The record of a Color argument; ScriptError "can't convert %s into Color" for anything else.
Color& colorRecord(engine::Value color);
// A new Color object holding a copy of `color`.
engine::Value newColor(const Color& color);
// A Color object whose record is the pixel itself: writing its channels writes the pixel. It neither owns
// nor frees the pixel; its owner points it at nothing (detachColorView) before the pixel goes away.
engine::Value newColorView(Color* pixel);
void detachColorView(engine::Value view);

// The saved-game forms: _dump writes the 4 record bytes; _load reads those or, from 32 bytes on, the engine's
// four little-endian doubles red, green, blue, alpha. Any other length is corrupt: nothing.
std::array<char, 4> colorDump(const Color& color);
std::optional<Color> colorFromDump(std::string_view bytes);

}  // namespace bindings
