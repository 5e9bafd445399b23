#pragma once

// Game-controller pads as the Controller module reports them: the XInput gamepad record with its button
// bits, the stick dead zone and the stick directions. Pure functions, so the arithmetic is tested as tables.

#include <array>
#include <cstdint>
#include <string_view>

namespace input {

// XInput's gamepad record.
struct GamepadValues {
  std::uint16_t buttons = 0;
  std::uint8_t leftTrigger = 0;
  std::uint8_t rightTrigger = 0;
  std::int16_t thumbLeftX = 0;
  std::int16_t thumbLeftY = 0;  // positive upwards
  std::int16_t thumbRightX = 0;
  std::int16_t thumbRightY = 0;

  bool operator==(const GamepadValues&) const = default;
};

inline constexpr int kButtonCount = 16;
inline constexpr int kLeftStickDeadZone = 7849;
inline constexpr int kRightStickDeadZone = 8689;

struct Stick {
  std::int16_t x = 0;
  std::int16_t y = 0;
  bool operator==(const Stick&) const = default;
};

// Loses `deadZone` along the stick's direction and stretches the rest so full deflection stays 32767:
// single-precision length, products and quotients truncated toward zero.
Stick applyDeadZone(Stick stick, int deadZone);
// 0 for a centred stick; else from the angle rounded to single precision, so x = y lies just above π/4.
int stickDir4(Stick stick);
int stickDir8(Stick stick);

// The bit index of a button name ("DPAD_UP" 0 ... "Y" 15), exact and case-sensitive; -1 when unknown.
int buttonIndex(std::string_view name);

}  // namespace input
