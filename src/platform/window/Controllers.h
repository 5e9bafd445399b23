#pragma once

// Game controllers over SDL's game-controller API, read the way XInput reads pads: up to four pads by index,
// each read either fills a gamepad record or fails. A controller plugged in takes the lowest pad index that
// asks for one; unplugging frees its index.

#include <cstdint>
#include <memory>

namespace windowing {

// XInput's gamepad record: button bits by XInput position, triggers 0-255, sticks with y upwards.
struct GamepadReading {
  std::uint16_t buttons = 0;
  std::uint8_t leftTrigger = 0;
  std::uint8_t rightTrigger = 0;
  std::int16_t thumbLeftX = 0;
  std::int16_t thumbLeftY = 0;
  std::int16_t thumbRightX = 0;
  std::int16_t thumbRightY = 0;
};

inline constexpr int kGamepadSlots = 4;

// SDL's trigger axis (0-32767) as an XInput trigger byte.
constexpr std::uint8_t triggerByte(int axis) { return axis <= 0 ? 0 : static_cast<std::uint8_t>(axis * 255 / 32767); }
// SDL's stick y points down; XInput's up. -(-32768) does not fit and becomes 32767.
constexpr std::int16_t upwardAxis(int sdlY) { return static_cast<std::int16_t>(sdlY == -32768 ? 32767 : -sdlY); }

class Gamepads {
 public:
  // Starts SDL's game-controller subsystem; without it every read fails.
  Gamepads();
  ~Gamepads();
  Gamepads(const Gamepads&) = delete;
  Gamepads& operator=(const Gamepads&) = delete;

  // Fills `reading` from the controller at `pad` (0-3), opening a newly attached one there if the pad has
  // none. False when there is no controller for the pad.
  [[nodiscard]] bool read(int pad, GamepadReading* reading);

 private:
  struct Impl;
  std::unique_ptr<Impl> m_impl;
};

}  // namespace windowing
