#pragma once

#include "engine/ScriptApi.h"

namespace engine {

// The collector finds values only in registers and on the machine stack, and a value the compiler no longer needs
// may be gone from both. A value made here (a converted or new string) whose bytes are still read after a call
// that can allocate must be kept referenced until that read is over: call keepAlive on it after the read, as the
// engine's own code does with RB_GC_GUARD.
inline void keepAlive(const Value& value) {
  const volatile Value* pinned = &value;
  __asm__("" : : "m"(pinned));
}

}  // namespace engine
