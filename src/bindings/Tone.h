#pragma once

// The Tone record and the script class around it; scene objects point at the records of the Tone objects
// their script side holds, and the renderer passes a record unchanged as a float4 shader constant.

#include <array>
#include <optional>
#include <string_view>

#include "engine/ScriptApi.h"

namespace bindings {

// Script units ÷ 255, clamped after every write: red, green and blue to [-1, 1], gray to [0, 1].
struct Tone {
  float red = 0;
  float green = 0;
  float blue = 0;
  float gray = 0;

  // Also turns NaN (from a corrupt dump) into 0, so no later arithmetic sees it.
  void clamp();
  bool operator==(const Tone&) const = default;
};
static_assert(sizeof(Tone) == 16);

// The record of a Tone argument; ScriptError "can't convert %s into Tone" for anything else.
Tone& toneRecord(engine::Value tone);
engine::Value newTone(const Tone& tone);

// The saved-game forms: _dump writes the four float32 fields little-endian; _load reads those, the engine's
// 32-byte form of four doubles in script units, and any other longer length as zero. Shorter than 16 bytes is
// corrupt: nothing.
std::array<char, 16> toneDump(const Tone& tone);
std::optional<Tone> toneFromDump(std::string_view bytes);

}  // namespace bindings
