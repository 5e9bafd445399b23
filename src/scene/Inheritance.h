#pragma once

// How a child's colour and tone combine with its parent's effective ones.

#include <cstdint>

#include "bindings/Color.h"
#include "bindings/Tone.h"

namespace scene {

// The parent's effective position plus the child's own, wrapping as 32-bit integers do rather than overflowing.
std::int32_t inheritPosition(std::int32_t parentEffective, std::int32_t own);
// The two colours weighted by their alphas; the alpha is that of one laid over the other.
bindings::Color inheritColor(const bindings::Color& parentEffective, const bindings::Color& own);
// The sum, red, green and blue saturating at ±1 and gray at 0..1.
bindings::Tone inheritTone(const bindings::Tone& parentEffective, const bindings::Tone& own);

}  // namespace scene
