#pragma once

// The key-state table that Windows keeps for the game's thread and that scripts read through GetKeyboardState,
// GetKeyState and GetAsyncKeyState: every key and mouse button by virtual-key code, fed by the same window
// messages as the Input module. Free of SDL and the interpreter, so its rules are tested as plain functions.

#include <array>
#include <cstdint>

#include "platform/window/Messages.h"

namespace input {

inline constexpr int kKeyHeldBit = 0x80;
inline constexpr int kKeyToggledBit = 0x01;

class SystemKeys {
 public:
  // Key and system-key messages press and release keys; mouse-button messages the button codes 1, 2, 4, 5, 6.
  void handle(const windowing::Message& message);
  void press(int virtualKey);
  void release(int virtualKey);
  // Deactivation: nothing stays held while another window has the keyboard.
  void releaseAll();

  // GetKeyboardState's 256 bytes: kKeyHeldBit while held, kKeyToggledBit flipped by each press.
  const std::array<std::uint8_t, 256>& table() const { return m_table; }
  bool held(int virtualKey) const;
  // GetKeyState: the sign bit while held, bit 0 toggled, as the 16-bit value sign-extended.
  std::int32_t keyState(int virtualKey) const;
  // GetAsyncKeyState: the sign bit while held, bit 0 when pressed since the previous query of this key, which
  // the query clears.
  std::int32_t asyncKeyState(int virtualKey);

 private:
  std::array<std::uint8_t, 256> m_table{};
  std::array<bool, 256> m_pressedSinceQuery{};
};

}  // namespace input
