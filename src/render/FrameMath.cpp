#include "render/FrameMath.h"

#include <algorithm>

namespace render {

PresentPlacement fullScreenPlacement(int displayWidth, int displayHeight, int screenWidth, int screenHeight) {
  if (screenWidth <= 0 || screenHeight <= 0) {
    return {};
  }
  const float scale = std::min(static_cast<float>(displayWidth) / static_cast<float>(screenWidth),
                               static_cast<float>(displayHeight) / static_cast<float>(screenHeight));
  return {scale, scale, (static_cast<float>(displayWidth) - static_cast<float>(screenWidth) * scale) / 2.0f,
          (static_cast<float>(displayHeight) - static_cast<float>(screenHeight) * scale) / 2.0f};
}

PresentPlacement windowedPlacement(int windowWidth, int windowHeight, int screenWidth, int screenHeight) {
  if (screenWidth <= 0 || screenHeight <= 0) {
    return {};
  }
  return {static_cast<float>(windowWidth) / static_cast<float>(screenWidth),
          static_cast<float>(windowHeight) / static_cast<float>(screenHeight), 0.0f, 0.0f};
}

FadeStep advanceFade(int counter, int duration, int brightness) {
  if (counter == 0) {
    return {0, brightness};
  }
  if (duration == 0) {
    return {0, counter < 0 ? 255 : 0};
  }
  // 64-bit products: a script may ask for a fade of two billion frames.
  if (counter < 0) {
    ++counter;
    return {counter, static_cast<int>(static_cast<long long>(counter) * 255 / duration + 255)};
  }
  --counter;
  return {counter, static_cast<int>(static_cast<long long>(counter) * 255 / duration)};
}

std::uint32_t plainTransitionColour(int framesLeft, int duration, int brightness) {
  const float left = duration != 0 ? static_cast<float>(framesLeft) / static_cast<float>(duration) : 0.0f;
  const float b = static_cast<float>(brightness);
  const float m = 1.0f - b / 255.0f + b * left / 255.0f;
  const float grey = m != 0.0f ? left / m : 1.0f;
  const auto alpha = static_cast<std::uint32_t>(static_cast<int>(m * 255.0f)) & 0xFFu;
  const auto level = static_cast<std::uint32_t>(static_cast<int>(grey * 255.0f)) & 0xFFu;
  return alpha << 24 | level << 16 | level << 8 | level;
}

TransitionThresholds imageTransitionThresholds(int framesLeft, int duration, int vagueness) {
  const float v = static_cast<float>(vagueness) / 255.0f;
  const float t = duration != 0 ? (v + 1.0f) * static_cast<float>(framesLeft) / static_cast<float>(duration) : 0.0f;
  return {1.0f - (t - v), 1.0f - t};
}

ClippedRect clipToScreen(int x, int y, int width, int height, int screenWidth, int screenHeight) {
  const long long left = std::clamp<long long>(x, 0, screenWidth);
  const long long top = std::clamp<long long>(y, 0, screenHeight);
  const long long right = std::clamp<long long>(static_cast<long long>(x) + width, left, screenWidth);
  const long long bottom = std::clamp<long long>(static_cast<long long>(y) + height, top, screenHeight);
  return {static_cast<int>(left), static_cast<int>(top), static_cast<int>(right - left),
          static_cast<int>(bottom - top)};
}

}  // namespace render
