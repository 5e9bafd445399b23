#include "scene/TilemapLayer.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "bitmap/Bitmap.h"
#include "platform/gfx/Device.h"
#include "platform/gfx/Effect.h"
#include "platform/gfx/SpriteBatch.h"
#include "platform/gfx/Texture.h"
#include "render/Renderer.h"
#include "render/SceneEffect.h"
#include "render/SceneShading.h"
#include "scene/DrawMath.h"
#include "scene/DrawSprite.h"

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
  m_mapWidth = width;
  m_mapHeight = height;
  m_chunksX = (width + kChunkCells - 1) / kChunkCells;
  const int chunksY = (height + kChunkCells - 1) / kChunkCells;
  // A map compiled again at the same size keeps its chunks' storage for about as many quads as before.
  m_chunks.resize(static_cast<std::size_t>(m_chunksX) * static_cast<std::size_t>(chunksY));
  for (int chunkY = 0; chunkY < chunksY; ++chunkY) {
    for (int chunkX = 0; chunkX < m_chunksX; ++chunkX) {
      Chunk& chunk = m_chunks[static_cast<std::size_t>(chunkY) * static_cast<std::size_t>(m_chunksX) +
                              static_cast<std::size_t>(chunkX)];
      chunk.quads.clear();
      chunk.cellStart.clear();
      chunk.cells = static_cast<std::size_t>(std::min(kChunkCells, width - chunkX * kChunkCells)) *
                    static_cast<std::size_t>(std::min(kChunkCells, height - chunkY * kChunkCells));
    }
  }
  m_completeChunks = 0;
  m_building = nullptr;
}

void TilemapLayer::beginChunk(int chunkX, int chunkY) {
  Chunk& chunk = m_chunks[static_cast<std::size_t>(chunkY) * static_cast<std::size_t>(m_chunksX) +
                          static_cast<std::size_t>(chunkX)];
  if (!chunk.cellStart.empty() && chunk.cellStart.size() == chunk.cells + 1) --m_completeChunks;
  chunk.quads.clear();
  chunk.cellStart.assign(1, 0);
  m_building = &chunk;
}

std::vector<tiles::TileQuad>& TilemapLayer::pendingQuads() { return m_building->quads; }

void TilemapLayer::endCell() {
  if (m_building == nullptr) return;
  m_building->cellStart.push_back(static_cast<std::uint32_t>(m_building->quads.size()));
  if (m_building->cellStart.size() == m_building->cells + 1) {
    ++m_completeChunks;
    m_building = nullptr;
  }
}

void TilemapLayer::clearCells() {
  // Swapping with an empty vector gives the memory of a large map back at once.
  std::vector<Chunk>().swap(m_chunks);
  m_chunksX = 0;
  m_completeChunks = 0;
  m_building = nullptr;
}

bool TilemapLayer::hasCells() const { return !m_chunks.empty() && m_completeChunks == m_chunks.size(); }

std::span<const tiles::TileQuad> TilemapLayer::cell(int x, int y) const {
  const int chunkX = x / kChunkCells;
  const Chunk& chunk = m_chunks[static_cast<std::size_t>(y / kChunkCells) * static_cast<std::size_t>(m_chunksX) +
                                static_cast<std::size_t>(chunkX)];
  const int chunkWidth = std::min(kChunkCells, m_mapWidth - chunkX * kChunkCells);
  const auto index = static_cast<std::size_t>((y % kChunkCells) * chunkWidth + x % kChunkCells);
  return std::span<const tiles::TileQuad>(chunk.quads)
      .subspan(chunk.cellStart[index], chunk.cellStart[index + 1] - chunk.cellStart[index]);
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

  // Under the built-in passes with neutral parameters (as tile layers have) the quads are queued shaded, so that
  // the layer's tile sheets share draw calls; otherwise they are drawn in the pass that is running.
  static const engine::RectData kNoSource;
  const gfx::QuadValues values = shadingValues(*this, nullptr, kNoSource);
  const gfx::Effect* effect = renderer.effect().effect();
  const std::optional<unsigned> pass = effect != nullptr ? effect->activePass() : std::nullopt;
  const bool shaded = pass && *pass <= 2 && quadShading(values) == render::kPlainShading;
  gfx::ShadedQuad shadedQuad;
  shadedQuad.blend = blendOfPass(pass ? static_cast<int>(*pass) : 0);
  shadedQuad.sampler = renderer.device().samplerState(0);
  shadedQuad.values = &values;

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
        if (shaded) {
          shadedQuad.texture = texture;
          shadedQuad.source = source;
          shadedQuad.position = position;
          shadedQuad.colour = colour;
          batch.drawShaded(shadedQuad);
        } else {
          batch.draw(texture, &source, nullptr, &position, colour);
        }
      }
    }
  }
  // One flush for the whole layer: the batch keeps the quads in order, so the picture is the same as flushing per
  // cell, with one draw call per run of textures instead of one per cell.
  batch.flush();
  batch.setTransform(placed);
}

}  // namespace scene
