#include "input/MouseState.h"

#include <algorithm>
#include <cmath>

namespace input {

using namespace windowing;

MousePoint clientToScreen(int rawX, int rawY, const ScreenMapping& m) {
  if (m.screenWidth <= 0 || m.screenHeight <= 0 || m.clientWidth <= 0 || m.clientHeight <= 0) {
    return {rawX, rawY};
  }
  auto sw = static_cast<float>(m.screenWidth);
  auto sh = static_cast<float>(m.screenHeight);
  auto cw = static_cast<float>(m.clientWidth);
  auto ch = static_cast<float>(m.clientHeight);
  if (m.windowed) {
    return {static_cast<int>(static_cast<float>(rawX) / (cw / sw)),
            static_cast<int>(static_cast<float>(rawY) / (ch / sh))};
  }
  float scale = std::min(cw / sw, ch / sh);
  auto offsetX = static_cast<int>((cw - sw * scale) * 0.5f);
  auto offsetY = static_cast<int>((ch - sh * scale) * 0.5f);
  auto x = static_cast<int>(static_cast<float>(rawX - offsetX) / scale);
  auto y = static_cast<int>(static_cast<float>(rawY - offsetY) / scale);
  return {std::clamp(x, 0, m.screenWidth - 1), std::clamp(y, 0, m.screenHeight - 1)};
}

bool anyMasked(const std::array<std::uint8_t, 3>& flags, int mask) {
  for (int index = 0; index < 3; ++index) {
    if ((mask >> index & 1) != 0 && flags[static_cast<std::size_t>(index)] != 0) {
      return true;
    }
  }
  return false;
}

bool MouseState::held(int mask) const {
  for (int index = 0; index < 3; ++index) {
    if ((mask >> index & 1) != 0 && m_held[static_cast<std::size_t>(index)]) {
      return true;
    }
  }
  return false;
}

bool MouseState::setSizeDivisor(int divisor) {
  if (divisor < 1) {
    return false;
  }
  m_sizeDivisor = divisor;
  return true;
}

void MouseState::swapRecords() {
  m_current = 1 - m_current;
  m_records[static_cast<std::size_t>(m_current)] = MouseEvents{};
}

void MouseState::button(int index, bool down, bool doubleClick) {
  MouseEvents& events = m_records[static_cast<std::size_t>(m_current)];
  auto slot = static_cast<std::size_t>(index);
  m_held[slot] = down;
  if (down) {
    events.down[slot] = 1;
    events.up[slot] = 0;
    if (doubleClick) {
      events.doubleClick[slot] = 1;
    }
  } else {
    events.up[slot] = 1;
  }
}

void MouseState::handle(const Message& message, const ScreenMapping& mapping) {
  MouseEvents& events = m_records[static_cast<std::size_t>(m_current)];
  auto param = static_cast<std::uint32_t>(message.lParam);
  switch (message.id) {
    case kWmMouseMove: {
      // Deliberately asymmetric: the low word taken unsigned, the high word signed.
      auto rawX = static_cast<std::int16_t>(static_cast<int>(param & 0xFFFF) / m_sizeDivisor);
      auto rawY = static_cast<std::int16_t>(static_cast<std::int16_t>(param >> 16) / m_sizeDivisor);
      m_position = clientToScreen(rawX, rawY, mapping);
      events.moved = 1;
      break;
    }
    case kWmLButtonDown:
      button(0, true, false);
      break;
    case kWmRButtonDown:
      button(1, true, false);
      break;
    case kWmMButtonDown:
      button(2, true, false);
      break;
    case kWmLButtonDblClk:
      button(0, true, true);
      break;
    case kWmRButtonDblClk:
      button(1, true, true);
      break;
    case kWmMButtonDblClk:
      button(2, true, true);
      break;
    case kWmLButtonUp:
      button(0, false, false);
      break;
    case kWmRButtonUp:
      button(1, false, false);
      break;
    case kWmMButtonUp:
      button(2, false, false);
      break;
    case kWmMouseWheel:
      events.wheel += static_cast<std::int16_t>(static_cast<std::uint32_t>(message.wParam) >> 16);
      break;
    default:
      break;
  }
}

}  // namespace input
