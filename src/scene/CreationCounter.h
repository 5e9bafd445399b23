#pragma once

// One counter numbers every renderable and every viewport, so that an object and a viewport of equal z and y still
// order by which was made first.

#include <cstdint>

namespace scene {

// The counter's current value, which it then moves past. Wraps like the 32-bit counter it stands for.
std::int32_t takeCreationSerial();

}  // namespace scene
