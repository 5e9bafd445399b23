#pragma once

// The tile map's pure decisions: which source rectangles of which tile-set bitmap a tile id, a shadow value or a
// flash value turns into, the animation frame and flash colour of a given update count, and the span of cells that
// covers the screen. The tile layers precompile a map into these quads and draw them without further decisions.

#include <cstdint>
#include <vector>

namespace scene::tiles {

inline constexpr int kTileSize = 32;
inline constexpr int kTileIdCount = 8192;
inline constexpr int kTileBitmapCount = 9;
// Flag bits the tile map reads; the others belong to the game's scripts.
inline constexpr int kFlagAbove = 0x10;
inline constexpr int kFlagCounter = 0x80;
// Bitmap index of the quads a layer draws from its own image (shadow and flash layers).
inline constexpr int kOwnImage = 0;

// One textured rectangle of a cell. A negative bitmap index marks a flash quad: minus its 12-bit colour.
struct TileQuad {
  std::int32_t bitmapIndex = 0;
  std::int32_t destX = 0;  // map pixels
  std::int32_t destY = 0;
  std::int32_t srcX = 0;
  std::int32_t srcY = 0;
  std::int32_t srcWidth = 0;
  std::int32_t srcHeight = 0;
  // The source moves by 32 pixels times these per animation frame.
  std::int32_t animX = 0;
  std::int32_t animY = 0;

  bool operator==(const TileQuad&) const = default;
};

// Appends the quads of tile `tileId` drawn at map pixel (px, py): one for a normal tile, four (or more, for a
// counter) for an autotile, none for ids that show nothing. `flag` is the tile's entry of the flag table.
void appendTileQuads(std::vector<TileQuad>& out, int tileId, int flag, int px, int py);
// A 16-pixel darkening quarter for each of the low four bits of `value`: top-left, top-right, bottom-left,
// bottom-right.
void appendShadowQuads(std::vector<TileQuad>& out, int value, int px, int py);
// A whole-cell quad for a flash colour 0xRGB in the low twelve bits of `value`, none for 0.
void appendFlashQuad(std::vector<TileQuad>& out, int value, int px, int py);

// Frames run 0, 1, 2, 1, each for 30 updates.
int animationFrame(std::int32_t counter);
// A8R8G8B8 tint of a flash quad of colour 0xRGB: each channel 17 times its digit, the alpha pulsing over 40 updates.
std::uint32_t flashColour(int rgb, std::int32_t counter);

// The cells [first, last] along one axis that cover a screen of `screenPixels` scrolled to `origin` and zoomed by
// `zoom`; never more than `maxCells` of them, so an absurdly small zoom cannot make a frame endless.
struct CellSpan {
  std::int64_t first = 0;
  std::int64_t last = -1;
};
inline constexpr std::int64_t kMaxSpanCells = 2048;
CellSpan visibleCells(std::int32_t origin, int screenPixels, float zoom, std::int64_t maxCells = kMaxSpanCells);

// `index` wrapped into 0 .. size - 1 (size > 0), so the map repeats in both directions.
std::int64_t wrapCell(std::int64_t index, std::int64_t size);

// A zoom as the tile map stores it: values that are not positive finite numbers become 1.
float storedZoom(double value);

}  // namespace scene::tiles
