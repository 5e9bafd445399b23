#pragma once

#include <cmath>

namespace spine::math {

constexpr float kPi = 3.1415927f;
constexpr float kPi2 = kPi * 2;
constexpr float kRadDeg = 180 / kPi;
constexpr float kDegRad = kPi / 180;

inline float cosDeg(float degrees) { return std::cos(degrees * kDegRad); }
inline float sinDeg(float degrees) { return std::sin(degrees * kDegRad); }
inline float atan2Deg(float y, float x) { return std::atan2(y, x) * kRadDeg; }

// Wraps an angle difference into [-180, 180) the way the exporting editor's runtime does, so crossfades and
// timeline interpolation take the same way round; an exact +180 becomes -180. The integer offset keeps the
// truncation a floor for any angle within +-16384 turns.
inline float wrapDegrees(float degrees) {
  if (!std::isfinite(degrees)) return 0;
  double turns = 16384.499999999996 - degrees / 360.0;
  if (turns < 0 || turns > 32768) return static_cast<float>(std::remainder(degrees, 360.0));
  return degrees - static_cast<float>((16384 - static_cast<int>(turns)) * 360);
}

// Radian counterpart of wrapDegrees used by the world-space constraints: wraps into [-pi, pi].
inline float wrapRadians(float r) {
  if (r > kPi)
    r -= kPi2;
  else if (r < -kPi)
    r += kPi2;
  return r;
}

inline float clamp(float value, float lo, float hi) { return value < lo ? lo : (value > hi ? hi : value); }

inline float signum(float value) { return value > 0 ? 1.0f : (value < 0 ? -1.0f : 0.0f); }

}  // namespace spine::math
