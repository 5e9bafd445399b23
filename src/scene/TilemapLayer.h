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

  // Starts a new compilation: every cell of a `width` x `height` map empty. Sizes that are not positive leave the
  // layer without cells (drawing nothing).
  void beginCells(int width, int height);
  // Where the quads of the cell being built go; cells are built in row order, each closed by endCell().
  std::vector<tiles::TileQuad>& pendingQuads() { return m_quads; }
  void endCell();
  // Drops the cells: nothing is drawn until the next compilation.
  void clearCells();

  // True once a compilation has closed every cell of the map.
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
  TilemapLayerKind m_kind;
  int m_mapWidth = 1;
  int m_mapHeight = 1;
  std::vector<tiles::TileQuad> m_quads;
  // Cell i's quads run from m_cellStart[i] to m_cellStart[i + 1], cells in row order.
  std::vector<std::size_t> m_cellStart;
};

}  // namespace scene
