#pragma once

// The pure decisions behind a window's frame: its animations, what its arrows and pause sign show, and the
// sizes derived from its properties. Positions are computed with 32-bit wrap-around, in 32-bit
// arithmetic, so that extreme script values never overflow.

#include <cstdint>

#include "engine/ScriptApi.h"

namespace scene {

// a + b (+ c) in 32-bit two's complement.
constexpr std::int32_t wrapAdd(std::int64_t a, std::int64_t b, std::int64_t c = 0) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::uint64_t>(a + b + c)));
}

// The counters `update` advances: the cursor's blink and the pause sign's frames.
struct WindowAnimation {
  std::int32_t cursorPhase = 0;  // 0 … 39
  std::int32_t pauseTick = 0;    // 0 … 15
  std::int32_t pauseFrame = 0;   // 0 … 3
};

inline constexpr int kCursorPhases = 40;
inline constexpr int kPauseTicksPerFrame = 16;
inline constexpr int kPauseFrames = 4;

// One update of an active window: the pause sign changes every 16 updates through its 4 frames.
void stepAnimation(WindowAnimation& animation);

// The cursor's opacity before the contents opacity applies: down from 255 by 8 each phase, then back up.
int cursorBlink(int phase);

// The area of the skin that shows pause sign frame `frame` (taken modulo 4).
engine::RectData pauseSignSource(int frame);

// Source rectangles of the four arrows in the skin.
inline constexpr engine::RectData kUpArrow{88, 16, 16, 8};
inline constexpr engine::RectData kLeftArrow{80, 24, 8, 16};
inline constexpr engine::RectData kRightArrow{104, 24, 8, 16};
inline constexpr engine::RectData kDownArrow{88, 40, 16, 8};

struct ScrollArrows {
  bool up = false;
  bool left = false;
  bool right = false;
  bool down = false;
  bool operator==(const ScrollArrows&) const = default;
};

// Which arrows show the contents can scroll that way: scrolled already (up, left) or reaching beyond the
// inside (right, down). Without contents there is nothing beyond the inside.
ScrollArrows scrollArrows(std::int32_t ox, std::int32_t oy, std::int32_t insideWidth, std::int32_t insideHeight,
                          const engine::RectData* contentsSize);

// The inside of a window, where its contents show; never negative, however small the window or large the padding.
struct InsideSize {
  std::int32_t width = 0;
  std::int32_t height = 0;
  bool operator==(const InsideSize&) const = default;
};
InsideSize insideSize(std::int32_t width, std::int32_t height, std::int32_t padding, std::int32_t paddingBottom);

// The cursor's rectangle (left, top, right, bottom) from a rectangle object's x, y, width and height.
struct CursorBox {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t right = 0;
  std::int32_t bottom = 0;
  bool operator==(const CursorBox&) const = default;
  std::int64_t width() const { return static_cast<std::int64_t>(right) - left; }
  std::int64_t height() const { return static_cast<std::int64_t>(bottom) - top; }
  bool empty() const { return left == 0 && top == 0 && right == 0 && bottom == 0; }
};
CursorBox cursorBox(const engine::RectData& rect);

}  // namespace scene
