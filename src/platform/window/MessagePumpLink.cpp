#include "platform/window/MessagePumpLink.h"

namespace windowing {

namespace {

PumpFunction g_pump = nullptr;

}  // namespace

void installPump(PumpFunction pump) {
  g_pump = pump;
}

bool pumpMessages(PumpWait wait) {
  return g_pump != nullptr && g_pump(wait);
}

}  // namespace windowing
