#pragma once

// Where the pieces of a window skin go: the back, the frame and the cursor are each painted from a 128 x 128
// skin by a list of blits, stretched or tiled. The lists are pure so that their geometry can be checked
// without pixels; pieces whose destination would be empty or inside out (windows smaller than their frame)
// are left out.

#include <cstdint>
#include <vector>

namespace scene {

// A rectangle by its edges: left and top inside, right and bottom just beyond.
struct SkinBox {
  std::int64_t left = 0;
  std::int64_t top = 0;
  std::int64_t right = 0;
  std::int64_t bottom = 0;
  bool empty() const { return right <= left || bottom <= top; }
  bool operator==(const SkinBox&) const = default;
};

enum class SkinFill {
  Stretch,  // the source scaled to the destination
  Tile,     // the source repeated from the destination's top-left corner
};

struct SkinPiece {
  SkinFill fill = SkinFill::Stretch;
  SkinBox from;
  SkinBox to;
  bool operator==(const SkinPiece&) const = default;
};

inline constexpr int kSkinSize = 128;
inline constexpr int kFrameEdge = 16;

// The back of a window of the given size: the base stretched over the area `indent` pixels inside the
// window, then the pattern tiled over the same area.
std::vector<SkinPiece> backPieces(std::int64_t width, std::int64_t height, std::int64_t indent);
// The frame: the four corners, then the four edges tiled between them.
std::vector<SkinPiece> framePieces(std::int64_t width, std::int64_t height);
// The cursor for a rectangle of `width` x `height`, painted into a bitmap one pixel larger each way: corners,
// edges and centre, all stretched.
std::vector<SkinPiece> cursorPieces(std::int64_t width, std::int64_t height);

}  // namespace scene
