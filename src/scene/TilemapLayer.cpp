#include "scene/TilemapLayer.h"

#include <vector>

#include "bitmap/Bitmap.h"
#include "platform/gfx/SpriteBatch.h"
#include "platform/gfx/Texture.h"
#include "render/Renderer.h"

namespace scene {

namespace {

constexpr std::uint32_t kUntinted = 0xFFFFFFFF;

// Each shadow quarter darkens what lies under it by half; a flash is a white cell tinted by its quad colour.
std::unique_ptr<bitmap::Bitmap> ownImage(TilemapLayerKind kind) {
  const int size = kind == TilemapLayerKind::Shadow ? tiles::kTileSize / 2 : tiles::kTileSize;
  const bitmap::Pixel colour = kind == TilemapLayerKind::Shadow ? 0x80000000 : 0xFFFFFFFF;
  const std::vector<bitmap::Pixel> pixels(static_cast<std::size_t>(size * size), colour);
  auto image = std::make_unique<bitmap::Bitmap>();
  if (!image->adopt(bitmap::ConstPixelView(pixels.data(), size, size, size))) return nullptr;
  return image;
}

}  // namespace

TilemapLayer::TilemapLayer(TilemapLayerKind kind, double depth)
    : Sprite(PlayerOwned{.attachToScreen = false}), m_kind(kind) {
  z = depth;
  skipDefaultQuad = true;
  ordersByY = false;
}

TilemapLayer::~TilemapLayer() = default;

void TilemapLayer::dispose() {
  bitmaps.fill(nullptr);
  ownedBitmap.reset();
  clearCells();
  Sprite::dispose();
}

void TilemapLayer::beginCells(int width, int height) {
  if (width <= 0 || height <= 0) {
    clearCells();
    return;
  }
  // A map changed by one element compiles to about as many quads as before: the storage is kept for it.
  m_quads.clear();
  m_cellStart.clear();
  m_mapWidth = width;
  m_mapHeight = height;
  m_cellStart.reserve(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) + 1);
  m_cellStart.push_back(0);
}

void TilemapLayer::endCell() {
  if (!m_cellStart.empty()) m_cellStart.push_back(m_quads.size());
}

void TilemapLayer::clearCells() {
  // Swapping with empty vectors gives the memory of a large map back at once.
  std::vector<tiles::TileQuad>().swap(m_quads);
  std::vector<std::size_t>().swap(m_cellStart);
}

bool TilemapLayer::hasCells() const {
  return m_cellStart.size() == static_cast<std::size_t>(m_mapWidth) * static_cast<std::size_t>(m_mapHeight) + 1;
}

std::span<const tiles::TileQuad> TilemapLayer::cell(int x, int y) const {
  const std::size_t index =
      static_cast<std::size_t>(y) * static_cast<std::size_t>(m_mapWidth) + static_cast<std::size_t>(x);
  return std::span<const tiles::TileQuad>(m_quads).subspan(m_cellStart[index],
                                                           m_cellStart[index + 1] - m_cellStart[index]);
}

void TilemapLayer::drawCustom(render::Renderer& renderer) {
  if (!visible || !hasCells()) return;
  if (m_kind != TilemapLayerKind::Tiles && !ownedBitmap) {
    ownedBitmap = ownImage(m_kind);
    bitmaps[tiles::kOwnImage] = ownedBitmap.get();
  }
  std::array<const gfx::Texture*, tiles::kTileBitmapCount> textures{};
  for (std::size_t i = 0; i < textures.size(); ++i) {
    bitmap::Bitmap* image = bitmaps[i];
    if (image != nullptr && !image->disposed()) textures[i] = image->texture();
  }

  gfx::SpriteBatch& batch = renderer.batch();
  const gfx::Matrix4 placed = batch.transform();
  if (mapZoomX != 1.0f || mapZoomY != 1.0f) batch.setTransform(gfx::Matrix4::scaling(mapZoomX, mapZoomY) * placed);
  const int frame = tiles::animationFrame(animationCounter);
  const tiles::CellSpan columns = tiles::visibleCells(mapOx, renderer.screenWidth(), mapZoomX);
  const tiles::CellSpan rows = tiles::visibleCells(mapOy, renderer.screenHeight(), mapZoomY);
  constexpr std::int64_t kTile = tiles::kTileSize;
  // Every cell of the span is drawn once, at its own place: a map narrower than the screen shows its repetitions
  // side by side instead of stacking the same cell twice on one spot (which would darken translucent tiles).
  for (std::int64_t column = columns.first; column <= columns.last; ++column) {
    const std::int64_t mapX = tiles::wrapCell(column, m_mapWidth);
    const std::int64_t shiftX = (column - mapX) * kTile - mapOx;
    for (std::int64_t row = rows.first; row <= rows.last; ++row) {
      const std::int64_t mapY = tiles::wrapCell(row, m_mapHeight);
      const std::int64_t shiftY = (row - mapY) * kTile - mapOy;
      for (const tiles::TileQuad& quad : cell(static_cast<int>(mapX), static_cast<int>(mapY))) {
        const bool flash = quad.bitmapIndex < 0;
        const std::size_t index = flash ? tiles::kOwnImage : static_cast<std::size_t>(quad.bitmapIndex);
        const gfx::Texture* texture = index < textures.size() ? textures[index] : nullptr;
        if (texture == nullptr) continue;
        const int moveX = tiles::kTileSize * quad.animX * frame;
        const int moveY = tiles::kTileSize * quad.animY * frame;
        const gfx::Rect source{quad.srcX + moveX, quad.srcY + moveY, quad.srcX + moveX + quad.srcWidth,
                               quad.srcY + moveY + quad.srcHeight};
        const gfx::Vector3 position{static_cast<float>(quad.destX + shiftX), static_cast<float>(quad.destY + shiftY),
                                    0.5f};
        const std::uint32_t colour = flash ? tiles::flashColour(-quad.bitmapIndex, animationCounter) : kUntinted;
        batch.draw(texture, &source, nullptr, &position, colour);
      }
    }
  }
  // One flush for the whole layer: the batch keeps the quads in order, so the picture is the same as flushing per
  // cell, with one draw call per run of a texture instead of one per cell.
  batch.flush();
  batch.setTransform(placed);
}

}  // namespace scene
