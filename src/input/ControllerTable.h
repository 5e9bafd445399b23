#pragma once

// The four pads, polled once per Input.update. A pad that cannot be read is left alone for 60 polls
// before it is asked again, so an absent pad costs nothing per frame and a new one is seen within a second.

#include <array>
#include <cstdint>
#include <functional>

#include "input/Gamepad.h"

namespace input {

inline constexpr int kPadCount = 4;
inline constexpr int kRetryPolls = 60;

struct PadRecord {
  bool connected = false;
  GamepadValues current;   // after the dead zone
  GamepadValues previous;  // the poll before
  std::array<std::int32_t, kButtonCount> holdCounts{};

  bool press(int button) const { return (current.buttons >> button & 1) != 0; }
  bool trigger(int button) const { return press(button) && (previous.buttons >> button & 1) == 0; }
  bool repeat(int button) const;
};

class ControllerTable {
 public:
  // Reads pad 0-3 as XInput would: raw stick values, true on success.
  using Reader = std::function<bool(int pad, GamepadValues* values)>;

  explicit ControllerTable(Reader reader) : m_reader(std::move(reader)) {}

  void poll();
  // The window went inactive: every pad reads as disconnected and zero; the retry countdowns stay.
  void clear();

  const PadRecord& pad(int index) const { return m_pads[static_cast<std::size_t>(index)]; }
  int retryCountdown(int index) const { return m_retry[static_cast<std::size_t>(index)]; }

 private:
  void disconnect(PadRecord& pad);
  static void take(PadRecord& pad, const GamepadValues& values);

  Reader m_reader;
  std::array<PadRecord, kPadCount> m_pads{};
  std::array<std::int32_t, kPadCount> m_retry{};
};

}  // namespace input
