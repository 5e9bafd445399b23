#include "input/Gamepad.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <utility>

namespace input {

namespace {

std::int16_t deadZoneAxis(std::int64_t a, std::int64_t deadZone, float length) {
  // The quotients are taken in single precision, as the length is, then truncated.
  auto lo = static_cast<std::int64_t>(static_cast<float>(a * deadZone) / length);
  auto hi = static_cast<std::int64_t>(static_cast<float>(a * 32767) / length);
  if (lo == hi) {
    return static_cast<std::int16_t>(hi);
  }
  std::int64_t value = (a - lo) * hi / (hi - lo);
  return static_cast<std::int16_t>(std::clamp<std::int64_t>(value, -32768, 32767));
}

float stickAngle(Stick stick) {
  return static_cast<float>(std::atan2(static_cast<double>(stick.y), static_cast<double>(stick.x)));
}

// The rounded angle against bounds in double precision: at x = y it lies just above a quarter of pi.
bool within(float angle, double lowExclusive, double highInclusive) {
  constexpr double pi = std::numbers::pi;
  auto value = static_cast<double>(angle);
  return value > lowExclusive * pi && value <= highInclusive * pi;
}

}  // namespace

Stick applyDeadZone(Stick stick, int deadZone) {
  std::int64_t x = stick.x;
  std::int64_t y = stick.y;
  float length = std::sqrt(static_cast<float>(x * x + y * y));
  if (length <= static_cast<float>(deadZone)) {
    return {};
  }
  return {deadZoneAxis(x, deadZone, length), deadZoneAxis(y, deadZone, length)};
}

int stickDir4(Stick stick) {
  if (stick.x == 0 && stick.y == 0) {
    return 0;
  }
  float angle = stickAngle(stick);
  if (within(angle, -0.75, -0.25)) return 2;
  if (within(angle, -0.25, 0.25)) return 6;
  if (within(angle, 0.25, 0.75)) return 8;
  return 4;
}

int stickDir8(Stick stick) {
  if (stick.x == 0 && stick.y == 0) {
    return 0;
  }
  float angle = stickAngle(stick);
  if (within(angle, -0.875, -0.625)) return 1;
  if (within(angle, -0.625, -0.375)) return 2;
  if (within(angle, -0.375, -0.125)) return 3;
  if (within(angle, -0.125, 0.125)) return 6;
  if (within(angle, 0.125, 0.375)) return 9;
  if (within(angle, 0.375, 0.625)) return 8;
  if (within(angle, 0.625, 0.875)) return 7;
  return 4;
}

int buttonIndex(std::string_view name) {
  constexpr std::pair<std::string_view, int> kButtons[] = {
      {"DPAD_UP", 0},    {"DPAD_DOWN", 1},   {"DPAD_LEFT", 2},     {"DPAD_RIGHT", 3},     {"START", 4}, {"BACK", 5},
      {"LEFT_THUMB", 6}, {"RIGHT_THUMB", 7}, {"LEFT_SHOULDER", 8}, {"RIGHT_SHOULDER", 9}, {"A", 12},    {"B", 13},
      {"X", 14},         {"Y", 15},
  };
  for (const auto& [buttonName, index] : kButtons) {
    if (buttonName == name) {
      return index;
    }
  }
  return -1;
}

}  // namespace input
