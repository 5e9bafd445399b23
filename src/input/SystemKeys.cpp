#include "input/SystemKeys.h"

namespace input {

namespace {

using namespace windowing;

constexpr int kVkLButton = 0x01;
constexpr int kVkRButton = 0x02;
constexpr int kVkMButton = 0x04;
constexpr int kVkXButton1 = 0x05;
constexpr int kVkXButton2 = 0x06;

// Key messages carry the generic Shift, Ctrl and Alt codes; the table also answers for the left-hand key of
// each, the one a player holds nearly always.
int leftHandKey(int virtualKey) {
  switch (virtualKey) {
    case kVkShift:
      return 0xA0;
    case kVkControl:
      return 0xA2;
    case kVkMenu:
      return 0xA4;
    default:
      return 0;
  }
}

bool valid(int virtualKey) { return virtualKey > 0 && virtualKey < 256; }

std::int32_t signExtended(int bits) { return static_cast<std::int16_t>(static_cast<std::uint16_t>(bits)); }

}  // namespace

void SystemKeys::handle(const Message& message) {
  const int key = static_cast<int>(message.wParam & 0xFF);
  const int xButton = (message.wParam >> 16) == 1 ? kVkXButton1 : kVkXButton2;
  switch (message.id) {
    case kWmKeyDown:
    case kWmSysKeyDown:
      press(key);
      break;
    case kWmKeyUp:
    case kWmSysKeyUp:
      release(key);
      break;
    case kWmLButtonDown:
    case kWmLButtonDblClk:
      press(kVkLButton);
      break;
    case kWmLButtonUp:
      release(kVkLButton);
      break;
    case kWmRButtonDown:
    case kWmRButtonDblClk:
      press(kVkRButton);
      break;
    case kWmRButtonUp:
      release(kVkRButton);
      break;
    case kWmMButtonDown:
    case kWmMButtonDblClk:
      press(kVkMButton);
      break;
    case kWmMButtonUp:
      release(kVkMButton);
      break;
    case kWmXButtonDown:
    case kWmXButtonDblClk:
      press(xButton);
      break;
    case kWmXButtonUp:
      release(xButton);
      break;
    default:
      break;
  }
}

void SystemKeys::press(int virtualKey) {
  if (!valid(virtualKey)) {
    return;
  }
  // A held key's repeats neither toggle it nor count as a new press.
  if (!held(virtualKey)) {
    m_table[virtualKey] = static_cast<std::uint8_t>((m_table[virtualKey] ^ kKeyToggledBit) | kKeyHeldBit);
    m_pressedSinceQuery[virtualKey] = true;
  }
  if (int left = leftHandKey(virtualKey); left != 0) {
    press(left);
  }
}

void SystemKeys::release(int virtualKey) {
  if (!valid(virtualKey)) {
    return;
  }
  m_table[virtualKey] &= static_cast<std::uint8_t>(~kKeyHeldBit);
  if (int left = leftHandKey(virtualKey); left != 0) {
    release(left);
  }
}

void SystemKeys::releaseAll() {
  for (std::uint8_t& state : m_table) {
    state &= static_cast<std::uint8_t>(~kKeyHeldBit);
  }
}

bool SystemKeys::held(int virtualKey) const { return valid(virtualKey) && (m_table[virtualKey] & kKeyHeldBit) != 0; }

std::int32_t SystemKeys::keyState(int virtualKey) const {
  if (!valid(virtualKey)) {
    return 0;
  }
  return signExtended((held(virtualKey) ? 0x8000 : 0) | (m_table[virtualKey] & kKeyToggledBit));
}

std::int32_t SystemKeys::asyncKeyState(int virtualKey) {
  if (!valid(virtualKey)) {
    return 0;
  }
  const bool pressed = m_pressedSinceQuery[virtualKey];
  m_pressedSinceQuery[virtualKey] = false;
  return signExtended((held(virtualKey) ? 0x8000 : 0) | (pressed ? 1 : 0));
}

}  // namespace input
