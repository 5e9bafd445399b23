#include "scene/Inheritance.h"

#include <algorithm>
#include <cstdint>

namespace scene {

std::int32_t inheritPosition(std::int32_t parentEffective, std::int32_t own) {
  return static_cast<std::int32_t>(static_cast<std::int64_t>(parentEffective) + own);
}

bindings::Color inheritColor(const bindings::Color& parentEffective, const bindings::Color& own) {
  const float a = own.alpha / 255.0f;
  const float b = parentEffective.alpha / 255.0f;
  float c = 0.0f;
  float d = 0.0f;
  if (a != 0.0f || b != 0.0f) {
    c = a / (a + b);
    d = 1.0f - c;
  }
  const auto mix = [&](std::uint8_t parent, std::uint8_t child) {
    return static_cast<std::uint8_t>(std::clamp(parent * d + child * c, 0.0f, 255.0f));
  };
  bindings::Color result;
  result.red = mix(parentEffective.red, own.red);
  result.green = mix(parentEffective.green, own.green);
  result.blue = mix(parentEffective.blue, own.blue);
  result.alpha = static_cast<std::uint8_t>(std::clamp((1.0f - (1.0f - b) * (1.0f - a)) * 255.0f, 0.0f, 255.0f));
  return result;
}

bindings::Tone inheritTone(const bindings::Tone& parentEffective, const bindings::Tone& own) {
  bindings::Tone result;
  result.red = std::clamp(parentEffective.red + own.red, -1.0f, 1.0f);
  result.green = std::clamp(parentEffective.green + own.green, -1.0f, 1.0f);
  result.blue = std::clamp(parentEffective.blue + own.blue, -1.0f, 1.0f);
  result.gray = std::clamp(parentEffective.gray + own.gray, 0.0f, 1.0f);
  return result;
}

}  // namespace scene
