#include "scene/CreationCounter.h"

namespace scene {

namespace {
std::uint32_t g_nextSerial = 0;
}

std::int32_t takeCreationSerial() {
  // Unsigned arithmetic: a wrap after four billion objects is defined rather than overflow.
  return static_cast<std::int32_t>(g_nextSerial++);
}

}  // namespace scene
