#include "scene/TilemapTiles.h"

#include <array>
#include <cmath>
#include <limits>
#include <span>

namespace scene::tiles {

namespace {

// Quarter of a 16-pixel grid inside an autotile block: column, row.
struct Quarter {
  std::int8_t qx = 0;
  std::int8_t qy = 0;
};
using Shape = std::array<Quarter, 4>;  // top-left, top-right, bottom-left, bottom-right

// Ground autotiles: a 2 x 3 block of 32-pixel cells, the first cell a thumbnail, the rest the borders and
// corners that 48 neighbour arrangements combine.
constexpr std::array<Shape, 48> kStandardShapes{{
    {{{2, 4}, {1, 4}, {2, 3}, {1, 3}}}, {{{2, 0}, {1, 4}, {2, 3}, {1, 3}}}, {{{2, 4}, {3, 0}, {2, 3}, {1, 3}}},
    {{{2, 0}, {3, 0}, {2, 3}, {1, 3}}}, {{{2, 4}, {1, 4}, {2, 3}, {3, 1}}}, {{{2, 0}, {1, 4}, {2, 3}, {3, 1}}},
    {{{2, 4}, {3, 0}, {2, 3}, {3, 1}}}, {{{2, 0}, {3, 0}, {2, 3}, {3, 1}}}, {{{2, 4}, {1, 4}, {2, 1}, {1, 3}}},
    {{{2, 0}, {1, 4}, {2, 1}, {1, 3}}}, {{{2, 4}, {3, 0}, {2, 1}, {1, 3}}}, {{{2, 0}, {3, 0}, {2, 1}, {1, 3}}},
    {{{2, 4}, {1, 4}, {2, 1}, {3, 1}}}, {{{2, 0}, {1, 4}, {2, 1}, {3, 1}}}, {{{2, 4}, {3, 0}, {2, 1}, {3, 1}}},
    {{{2, 0}, {3, 0}, {2, 1}, {3, 1}}}, {{{0, 4}, {1, 4}, {0, 3}, {1, 3}}}, {{{0, 4}, {3, 0}, {0, 3}, {1, 3}}},
    {{{0, 4}, {1, 4}, {0, 3}, {3, 1}}}, {{{0, 4}, {3, 0}, {0, 3}, {3, 1}}}, {{{2, 2}, {1, 2}, {2, 3}, {1, 3}}},
    {{{2, 2}, {1, 2}, {2, 3}, {3, 1}}}, {{{2, 2}, {1, 2}, {2, 1}, {1, 3}}}, {{{2, 2}, {1, 2}, {2, 1}, {3, 1}}},
    {{{2, 4}, {3, 4}, {2, 3}, {3, 3}}}, {{{2, 4}, {3, 4}, {2, 1}, {3, 3}}}, {{{2, 0}, {3, 4}, {2, 3}, {3, 3}}},
    {{{2, 0}, {3, 4}, {2, 1}, {3, 3}}}, {{{2, 4}, {1, 4}, {2, 5}, {1, 5}}}, {{{2, 0}, {1, 4}, {2, 5}, {1, 5}}},
    {{{2, 4}, {3, 0}, {2, 5}, {1, 5}}}, {{{2, 0}, {3, 0}, {2, 5}, {1, 5}}}, {{{0, 4}, {3, 4}, {0, 3}, {3, 3}}},
    {{{2, 2}, {1, 2}, {2, 5}, {1, 5}}}, {{{0, 2}, {1, 2}, {0, 3}, {1, 3}}}, {{{0, 2}, {1, 2}, {0, 3}, {3, 1}}},
    {{{2, 2}, {3, 2}, {2, 3}, {3, 3}}}, {{{2, 2}, {3, 2}, {2, 1}, {3, 3}}}, {{{2, 4}, {3, 4}, {2, 5}, {3, 5}}},
    {{{2, 0}, {3, 4}, {2, 5}, {3, 5}}}, {{{0, 4}, {1, 4}, {0, 5}, {1, 5}}}, {{{0, 4}, {3, 0}, {0, 5}, {1, 5}}},
    {{{0, 2}, {3, 2}, {0, 3}, {3, 3}}}, {{{0, 2}, {1, 2}, {0, 5}, {1, 5}}}, {{{0, 4}, {3, 4}, {0, 5}, {3, 5}}},
    {{{2, 2}, {3, 2}, {2, 5}, {3, 5}}}, {{{0, 2}, {3, 2}, {0, 5}, {3, 5}}}, {{{0, 0}, {1, 0}, {0, 1}, {1, 1}}},
}};

// Walls and roofs: a 2 x 2 block, sixteen arrangements of its edges.
constexpr std::array<Shape, 16> kWallShapes{{
    {{{2, 2}, {1, 2}, {2, 1}, {1, 1}}},
    {{{0, 2}, {1, 2}, {0, 1}, {1, 1}}},
    {{{2, 0}, {1, 0}, {2, 1}, {1, 1}}},
    {{{0, 0}, {1, 0}, {0, 1}, {1, 1}}},
    {{{2, 2}, {3, 2}, {2, 1}, {3, 1}}},
    {{{0, 2}, {3, 2}, {0, 1}, {3, 1}}},
    {{{2, 0}, {3, 0}, {2, 1}, {3, 1}}},
    {{{0, 0}, {3, 0}, {0, 1}, {3, 1}}},
    {{{2, 2}, {1, 2}, {2, 3}, {1, 3}}},
    {{{0, 2}, {1, 2}, {0, 3}, {1, 3}}},
    {{{2, 0}, {1, 0}, {2, 3}, {1, 3}}},
    {{{0, 0}, {1, 0}, {0, 3}, {1, 3}}},
    {{{2, 2}, {3, 2}, {2, 3}, {3, 3}}},
    {{{0, 2}, {3, 2}, {0, 3}, {3, 3}}},
    {{{2, 0}, {3, 0}, {2, 3}, {3, 3}}},
    {{{0, 0}, {3, 0}, {0, 3}, {3, 3}}},
}};

// Waterfalls: a 2 x 1 block whose sides join their neighbours.
constexpr std::array<Shape, 4> kWaterfallShapes{{
    {{{2, 0}, {1, 0}, {2, 1}, {1, 1}}},
    {{{0, 0}, {1, 0}, {0, 1}, {1, 1}}},
    {{{2, 0}, {3, 0}, {2, 1}, {3, 1}}},
    {{{0, 0}, {3, 0}, {0, 1}, {3, 1}}},
}};

constexpr int kHalf = kTileSize / 2;
constexpr int kFirstNormalA5 = 1536;
constexpr int kFirstAutotile = 2048;
constexpr int kFirstA2 = 2816;
constexpr int kFirstA3 = 4352;
constexpr int kFirstA4 = 5888;
constexpr int kAutotileShapes = 48;

struct AutotileBlock {
  int bitmap = 0;
  int bx = 0;  // block origin in 32-pixel cells
  int by = 0;
  std::span<const Shape> table;
  int animX = 0;
  int animY = 0;
};

AutotileBlock autotileBlock(int tileId) {
  const int kind = (tileId - kFirstAutotile) / kAutotileShapes;
  const int kx = kind % 8;
  const int ky = kind / 8;
  if (tileId < kFirstA2) {
    switch (kind) {
      case 0:
        return {0, 0, 0, kStandardShapes, 2, 0};
      case 1:
        return {0, 0, 3, kStandardShapes, 2, 0};
      case 2:
        return {0, 6, 0, kStandardShapes, 0, 0};
      case 3:
        return {0, 6, 3, kStandardShapes, 0, 0};
      default:
        break;
    }
    const int by = 3 * ((kx / 2) % 2 + 2 * ky);
    if (kind % 2 == 0) return {0, 8 * (kx / 4), by, kStandardShapes, 2, 0};
    return {0, 8 * (kx / 4) + 6, by, kWaterfallShapes, 0, 1};
  }
  if (tileId < kFirstA3) return {1, 2 * kx, 3 * (ky - 2), kStandardShapes, 0, 0};
  if (tileId < kFirstA4) return {2, 2 * kx, 2 * ky - 12, kWallShapes, 0, 0};
  // Tops of walls take three rows, the walls below them two: 2.5 rows per kind row, rounded per part.
  const double row = 2.5 * (ky - 10);
  if (ky % 2 == 0) return {3, 2 * kx, static_cast<int>(row), kStandardShapes, 0, 0};
  return {3, 2 * kx, static_cast<int>(row + 0.5), kWallShapes, 0, 0};
}

void appendAutotile(std::vector<TileQuad>& out, int tileId, int flag, int px, int py) {
  const AutotileBlock block = autotileBlock(tileId);
  const auto shape = static_cast<std::size_t>((tileId - kFirstAutotile) % kAutotileShapes);
  // Wall and waterfall blocks have fewer arrangements than ids: the others show nothing.
  if (shape >= block.table.size()) return;
  const bool counter = tileId >= kFirstA2 && tileId < kFirstA3 && (flag & kFlagCounter) != 0;
  for (int i = 0; i < 4; ++i) {
    const Quarter quarter = block.table[shape][static_cast<std::size_t>(i)];
    const int x = px + kHalf * (i % 2);
    const int y = py + kHalf * (i / 2);
    const TileQuad normal{block.bitmap,
                          x,
                          y,
                          kHalf * (quarter.qx + 2 * block.bx),
                          kHalf * (quarter.qy + 2 * block.by),
                          kHalf,
                          kHalf,
                          block.animX,
                          block.animY};
    if (counter && (quarter.qy == 1 || quarter.qy == 5)) {
      // A counter's edge shows the block's lower border above it and drops the quarter by a quarter of a cell,
      // so the counter top looks raised.
      const int q = quarter.qy == 1 ? (4 - quarter.qx) % 4 : quarter.qx;
      out.push_back({block.bitmap, x, y, kHalf * (q + 2 * block.bx), kTileSize * block.by + 48, kHalf, kHalf,
                     block.animX, block.animY});
      TileQuad lowered = normal;
      lowered.destY += kHalf / 2;
      out.push_back(lowered);
    } else {
      out.push_back(normal);
    }
  }
}

}  // namespace

void appendTileQuads(std::vector<TileQuad>& out, int tileId, int flag, int px, int py) {
  if (tileId <= 0 || tileId >= kTileIdCount) return;
  if (tileId >= kFirstAutotile) {
    appendAutotile(out, tileId, flag, px, py);
    return;
  }
  if (tileId >= 1024 && tileId < kFirstNormalA5) return;
  const int bitmap = tileId >= kFirstNormalA5 ? 4 : tileId / 256 + 5;
  const int srcX = kTileSize * (tileId % 8 + 8 * ((tileId / 128) % 2));
  const int srcY = kTileSize * ((tileId % 256) / 8 % 16);
  out.push_back({bitmap, px, py, srcX, srcY, kTileSize, kTileSize, 0, 0});
}

void appendShadowQuads(std::vector<TileQuad>& out, int value, int px, int py) {
  for (int i = 0; i < 4; ++i) {
    if ((value & (1 << i)) == 0) continue;
    out.push_back({kOwnImage, px + kHalf * (i % 2), py + kHalf * (i / 2), 0, 0, kHalf, kHalf, 0, 0});
  }
}

void appendFlashQuad(std::vector<TileQuad>& out, int value, int px, int py) {
  const int rgb = value & 0xFFF;
  if (rgb == 0) return;
  out.push_back({-rgb, px, py, 0, 0, kTileSize, kTileSize, 0, 0});
}

int animationFrame(std::int32_t counter) {
  const int frame = static_cast<int>((counter / 30) % 4);
  // A counter that wrapped past the int32 range keeps cycling through valid frames.
  const int cycle = frame < 0 ? frame + 4 : frame;
  return cycle == 3 ? 1 : cycle;
}

std::uint32_t flashColour(int rgb, std::int32_t counter) {
  int p = static_cast<int>(counter % 40);
  if (p < 0) p += 40;
  const int alpha = p < 20 ? 255 - 8 * p : 8 * p - 65;
  const auto channel = [](int digit) { return static_cast<std::uint32_t>(17 * (digit & 0xF)); };
  return static_cast<std::uint32_t>(alpha) << 24 | channel(rgb >> 8) << 16 | channel(rgb >> 4) << 8 | channel(rgb);
}

CellSpan visibleCells(std::int32_t origin, int screenPixels, float zoom, std::int64_t maxCells) {
  CellSpan span;
  // Division truncates toward zero: one spare cell at most on the negative side, never one too few.
  span.first = (static_cast<std::int64_t>(origin) - kTileSize) / kTileSize;
  const double reach = std::ceil(static_cast<double>(screenPixels) / static_cast<double>(zoom) + origin);
  const double lastCell = std::trunc(reach / kTileSize);
  const double limit = static_cast<double>(span.first + maxCells - 1);
  span.last = lastCell > limit ? span.first + maxCells - 1 : static_cast<std::int64_t>(lastCell);
  return span;
}

std::int64_t wrapCell(std::int64_t index, std::int64_t size) {
  const std::int64_t wrapped = index % size;
  return wrapped < 0 ? wrapped + size : wrapped;
}

float storedZoom(double value) {
  // A value a float cannot hold would become 0 or infinite and then divide the screen by nothing or by everything.
  if (!(value >= std::numeric_limits<float>::min() && value <= std::numeric_limits<float>::max())) return 1.0f;
  return static_cast<float>(value);
}

}  // namespace scene::tiles
