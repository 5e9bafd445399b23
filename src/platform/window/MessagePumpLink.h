#pragma once

// The host's message pump, for loops that run below the host (the frame loop's waits in Graphics): they
// take and dispatch window messages through it, so the accelerators and the window procedure in use apply.

namespace windowing {

enum class PumpWait {
  None,          // take a waiting message, if any
  UntilMessage,  // block until one arrives (at most kPumpWaitMs, so callers can re-check their state)
};

inline constexpr int kPumpWaitMs = 100;

// One step: at most one message. Returns the released flag of the renderer that was current when the
// step began; false when no renderer exists or no pump is installed.
using PumpFunction = bool (*)(PumpWait wait);

void installPump(PumpFunction pump);
bool pumpMessages(PumpWait wait);

}  // namespace windowing
