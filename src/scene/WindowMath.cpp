#include "scene/WindowMath.h"

#include <algorithm>

namespace scene {

void stepAnimation(WindowAnimation& animation) {
  animation.cursorPhase = (animation.cursorPhase + 1) % kCursorPhases;
  if (++animation.pauseTick >= kPauseTicksPerFrame) {
    animation.pauseTick = 0;
    animation.pauseFrame = (animation.pauseFrame + 1) % kPauseFrames;
  }
}

int cursorBlink(int phase) {
  phase = ((phase % kCursorPhases) + kCursorPhases) % kCursorPhases;
  return phase < kCursorPhases / 2 ? 255 - 8 * phase : 8 * phase - 65;
}

engine::RectData pauseSignSource(int frame) {
  frame = ((frame % kPauseFrames) + kPauseFrames) % kPauseFrames;
  return {96 + 16 * (frame % 2), 64 + 16 * (frame / 2), 16, 16};
}

ScrollArrows scrollArrows(std::int32_t ox, std::int32_t oy, std::int32_t insideWidth, std::int32_t insideHeight,
                          const engine::RectData* contentsSize) {
  ScrollArrows arrows;
  arrows.up = oy > 0;
  arrows.left = ox > 0;
  if (contentsSize != nullptr) {
    arrows.right = static_cast<std::int64_t>(ox) + insideWidth < contentsSize->width;
    arrows.down = static_cast<std::int64_t>(oy) + insideHeight < contentsSize->height;
  }
  return arrows;
}

InsideSize insideSize(std::int32_t width, std::int32_t height, std::int32_t padding, std::int32_t paddingBottom) {
  const auto fit = [](std::int64_t value) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(value, 0, INT32_MAX));
  };
  return {fit(static_cast<std::int64_t>(width) - 2LL * padding),
          fit(static_cast<std::int64_t>(height) - padding - paddingBottom)};
}

CursorBox cursorBox(const engine::RectData& rect) {
  return {rect.x, rect.y, wrapAdd(rect.x, rect.width), wrapAdd(rect.y, rect.height)};
}

}  // namespace scene
