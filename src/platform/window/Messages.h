#pragma once

// The Windows messages the game window's procedure handles, made from SDL events by GameWindow. The numbers
// are the Windows ones, so code above the platform layer reads exactly like the window procedure it stands for.

#include <cstdint>

namespace windowing {

inline constexpr std::uint32_t kWmDestroy = 0x0002;
inline constexpr std::uint32_t kWmQueryEndSession = 0x0011;
inline constexpr std::uint32_t kWmQuit = 0x0012;
inline constexpr std::uint32_t kWmActivateApp = 0x001C;
inline constexpr std::uint32_t kWmEndSession = 0x0016;
inline constexpr std::uint32_t kWmKeyDown = 0x0100;
inline constexpr std::uint32_t kWmKeyUp = 0x0101;
inline constexpr std::uint32_t kWmSysKeyDown = 0x0104;
inline constexpr std::uint32_t kWmSysKeyUp = 0x0105;
inline constexpr std::uint32_t kWmCommand = 0x0111;
inline constexpr std::uint32_t kWmSysCommand = 0x0112;
inline constexpr std::uint32_t kWmMouseMove = 0x0200;
inline constexpr std::uint32_t kWmLButtonDown = 0x0201;
inline constexpr std::uint32_t kWmLButtonUp = 0x0202;
inline constexpr std::uint32_t kWmLButtonDblClk = 0x0203;
inline constexpr std::uint32_t kWmRButtonDown = 0x0204;
inline constexpr std::uint32_t kWmRButtonUp = 0x0205;
inline constexpr std::uint32_t kWmRButtonDblClk = 0x0206;
inline constexpr std::uint32_t kWmMButtonDown = 0x0207;
inline constexpr std::uint32_t kWmMButtonUp = 0x0208;
inline constexpr std::uint32_t kWmMButtonDblClk = 0x0209;
inline constexpr std::uint32_t kWmMouseWheel = 0x020A;
inline constexpr std::uint32_t kWmXButtonDown = 0x020B;
inline constexpr std::uint32_t kWmXButtonUp = 0x020C;
inline constexpr std::uint32_t kWmXButtonDblClk = 0x020D;

// Virtual-key codes the player itself looks at.
inline constexpr int kVkReturn = 0x0D;
inline constexpr int kVkShift = 0x10;
inline constexpr int kVkControl = 0x11;
inline constexpr int kVkMenu = 0x12;  // Alt
inline constexpr int kVkEscape = 0x1B;
inline constexpr int kVkF1 = 0x70;
inline constexpr int kVkF2 = 0x71;
inline constexpr int kVkF4 = 0x73;
inline constexpr int kVkF10 = 0x79;
inline constexpr int kVkF12 = 0x7B;
inline constexpr int kVkSnapshot = 0x2C;  // Print Screen

// Mouse-message key-state bits of wParam.
inline constexpr std::uintptr_t kMkLButton = 0x0001;
inline constexpr std::uintptr_t kMkRButton = 0x0002;
inline constexpr std::uintptr_t kMkShift = 0x0004;
inline constexpr std::uintptr_t kMkControl = 0x0008;
inline constexpr std::uintptr_t kMkMButton = 0x0010;
inline constexpr std::uintptr_t kMkXButton1 = 0x0020;
inline constexpr std::uintptr_t kMkXButton2 = 0x0040;

// One notch of a mouse wheel.
inline constexpr int kWheelDelta = 120;

struct Message {
  std::uint32_t id = 0;
  std::uintptr_t wParam = 0;
  std::intptr_t lParam = 0;
  // Modifier keys held when the event happened: what GetKeyState told accelerator translation.
  bool shiftHeld = false;
  bool controlHeld = false;
  bool altHeld = false;
};

// lParam of a mouse message: client x in the low word, y in the high word, each a signed 16-bit value.
constexpr std::intptr_t makePointParam(int x, int y) {
  return static_cast<std::intptr_t>(static_cast<std::uint32_t>(static_cast<std::uint16_t>(x)) |
                                    (static_cast<std::uint32_t>(static_cast<std::uint16_t>(y)) << 16));
}

}  // namespace windowing
