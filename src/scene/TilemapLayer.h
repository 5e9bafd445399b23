#pragma once

// One of the six drawn parts of a tile map: a renderable with a fixed z holding, per map cell, the quads compiled
// from the map (tiles below or above characters, shadows, or flashes). It draws only the cells that cover the screen,
// repeating the map in both directions, with the animation frame of its update count.

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "scene/Sprite.h"
#include "scene/TilemapTiles.h"

namespace bitmap {
class Bitmap;
}

namespace scene {

enum class TilemapLayerKind { Tiles, Shadow, Flash };

class TilemapLayer final : public Sprite {
 public:
  // Not in any draw list until attached. Shadow and flash layers make their own image when first drawn.
  TilemapLayer(TilemapLayerKind kind, double depth);
  ~TilemapLayer() override;

  // Lets go of its own image and its cells, then leaves its list as any renderable does.
  void dispose() override;
  // A layer draws its quads from several bitmaps, none of them its own texture.
  bool drawsItself() const override { return true; }
  void drawCustom(render::Renderer& renderer) override;

  TilemapLayerKind kind() const { return m_kind; }

  // Cells are compiled chunk by chunk, each chunk a square of kChunkCells cells (smaller at the map's right and
  // bottom edges), so that a changed cell is compiled again with its chunk alone.
  static constexpr int kChunkCells = 16;
  // Starts a new compilation: every chunk of a `width` x `height` map empty. Sizes that are not positive leave the
  // layer without cells (drawing nothing).
  void beginCells(int width, int height);
  // The chunk (`chunkX`, `chunkY`) is built anew: its cells follow in row order, each closed by endCell().
  void beginChunk(int chunkX, int chunkY);
  // Where the quads of the cell being built go.
  std::vector<tiles::TileQuad>& pendingQuads();
  void endCell();
  // Drops the cells: nothing is drawn until the next compilation.
  void clearCells();

  // True once every chunk of the map has all its cells.
  bool hasCells() const;
  int mapWidth() const { return m_mapWidth; }
  int mapHeight() const { return m_mapHeight; }
  // The quads of cell (x, y), which must be inside the map.
  std::span<const tiles::TileQuad> cell(int x, int y) const;

  std::int32_t animationCounter = 0;
  std::int32_t mapOx = 0;
  std::int32_t mapOy = 0;
  float mapZoomX = 1.0f;
  float mapZoomY = 1.0f;
  // The tile-set images of a tile layer (not owned: the tile map keeps their script objects); the own image of a
  // shadow or flash layer at entry 0.
  std::array<bitmap::Bitmap*, tiles::kTileBitmapCount> bitmaps{};

 private:
  struct Chunk {
    std::vector<tiles::TileQuad> quads;
    // Cell i's quads run from cellStart[i] to cellStart[i + 1], cells in row order.
    std::vector<std::uint32_t> cellStart;
    std::size_t cells = 0;
  };

  TilemapLayerKind m_kind;
  int m_mapWidth = 1;
  int m_mapHeight = 1;
  int m_chunksX = 0;
  std::vector<Chunk> m_chunks;
  std::size_t m_completeChunks = 0;
  Chunk* m_building = nullptr;
};

}  // namespace scene
