#pragma once

// The mouse as scripts see it: events recorded by the handler into the current record, which Input.update
// hands to scripts as the previous one; held buttons and the position are always the latest.

#include <array>
#include <cstdint>

#include "platform/window/Messages.h"

namespace input {

inline constexpr int kMouseLeft = 1;
inline constexpr int kMouseRight = 2;
inline constexpr int kMouseMiddle = 4;
inline constexpr int kMouseAny = 7;

struct MouseEvents {
  std::array<std::uint8_t, 3> down{};  // left, right, middle
  std::array<std::uint8_t, 3> up{};
  std::array<std::uint8_t, 3> doubleClick{};
  std::uint8_t moved = 0;
  std::int32_t wheel = 0;  // 120 per notch, positive away from the user

  bool operator==(const MouseEvents&) const = default;
};

// What turns client pixels into game-screen pixels.
struct ScreenMapping {
  bool windowed = true;
  int clientWidth = 0;  // in full screen, the display's size
  int clientHeight = 0;
  int screenWidth = 0;  // the game's logical size
  int screenHeight = 0;
};

struct MousePoint {
  int x = 0;
  int y = 0;
  bool operator==(const MousePoint&) const = default;
};

// Windowed: scaled by client / screen, unclamped. Full screen: the centred letter-box undone and clamped
// to the screen.
MousePoint clientToScreen(int rawX, int rawY, const ScreenMapping& mapping);

// True when any button of the mask has its flag set.
bool anyMasked(const std::array<std::uint8_t, 3>& flags, int mask);

class MouseState {
 public:
  // Sees every window message first. `mapping` is read for moves only.
  void handle(const windowing::Message& message, const ScreenMapping& mapping);
  // Input.update: the current record becomes the one scripts read; a new one starts empty.
  void swapRecords();

  const MouseEvents& previous() const { return m_records[1 - m_current]; }
  const MouseEvents& current() const { return m_records[m_current]; }
  MousePoint position() const { return m_position; }
  bool held(int mask) const;

  int sizeDivisor() const { return m_sizeDivisor; }
  // False, changing nothing, for a divisor below 1: it divides every move.
  [[nodiscard]] bool setSizeDivisor(int divisor);

 private:
  void button(int index, bool down, bool doubleClick);

  std::array<MouseEvents, 2> m_records{};
  int m_current = 0;
  MousePoint m_position;
  std::array<bool, 3> m_held{};
  int m_sizeDivisor = 1;
};

}  // namespace input
