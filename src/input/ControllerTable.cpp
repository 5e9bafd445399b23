#include "input/ControllerTable.h"

#include <limits>

#include "input/InputState.h"

namespace input {

bool PadRecord::repeat(int button) const { return isRepeat(holdCounts[static_cast<std::size_t>(button)]); }

void ControllerTable::poll() {
  for (int index = 0; index < kPadCount; ++index) {
    auto slot = static_cast<std::size_t>(index);
    if (m_retry[slot] > 0) {
      --m_retry[slot];
      continue;
    }
    GamepadValues values;
    if (!m_reader || !m_reader(index, &values)) {
      disconnect(m_pads[slot]);
      m_retry[slot] = kRetryPolls;
      continue;
    }
    m_pads[slot].connected = true;
    take(m_pads[slot], values);
  }
}

void ControllerTable::clear() {
  for (PadRecord& pad : m_pads) {
    disconnect(pad);
  }
}

void ControllerTable::disconnect(PadRecord& pad) { pad = PadRecord{}; }

void ControllerTable::take(PadRecord& pad, const GamepadValues& values) {
  pad.previous = pad.current;
  pad.current = values;
  for (int bit = 0; bit < kButtonCount; ++bit) {
    std::int32_t& count = pad.holdCounts[static_cast<std::size_t>(bit)];
    if ((values.buttons >> bit & 1) == 0) {
      count = 0;
    } else if (count < std::numeric_limits<std::int32_t>::max()) {
      ++count;
    }
  }
  Stick left = applyDeadZone({values.thumbLeftX, values.thumbLeftY}, kLeftStickDeadZone);
  Stick right = applyDeadZone({values.thumbRightX, values.thumbRightY}, kRightStickDeadZone);
  pad.current.thumbLeftX = left.x;
  pad.current.thumbLeftY = left.y;
  pad.current.thumbRightX = right.x;
  pad.current.thumbRightY = right.y;
}

}  // namespace input
