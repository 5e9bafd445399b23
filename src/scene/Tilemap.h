#pragma once

// The record behind a tile map: six layers at fixed depths (ground tiles of each map layer, shadows, tiles above
// characters, flashes), recompiled from the map, flag and flash tables when they change and advanced by update.
// Scene sprites with z between the layers' depths appear between the ground and the tiles above characters.

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "engine/ScriptApi.h"
#include "scene/TilemapLayer.h"

namespace bitmap {
class Bitmap;
}

namespace scene {

class Viewport;

class Tilemap {
 public:
  enum Layer : std::size_t { kUpper, kGround0, kShadow, kGround1, kGround2, kFlash, kLayerCount };
  static constexpr std::array<double, kLayerCount> kDepths{200.0, -0.3, -0.2, -0.1, -0.05, 200.5};

  // The six layers, in no draw list until initialize().
  Tilemap();
  ~Tilemap();
  Tilemap(const Tilemap&) = delete;
  Tilemap& operator=(const Tilemap&) = delete;

  // Every property back at its default and the layers in `viewport`'s list (null: the screen's).
  void initialize(Viewport* viewport);
  // Once: destroys the layers.
  void dispose();
  bool disposed() const { return m_disposed; }

  void setViewport(Viewport* viewport);
  void setVisible(bool visible);
  void setOx(std::int32_t ox);
  void setOy(std::int32_t oy);
  void setZoomX(double zoom);
  void setZoomY(double zoom);
  // Copies the flags of tile ids 0 .. 8191 into the tile layers; ids past the table's end get 0.
  void setFlags(const engine::TableData& flags);
  // The tile-set images of the next frames (not owned: the script side keeps them alive).
  void setBitmaps(const std::array<bitmap::Bitmap*, tiles::kTileBitmapCount>& images);

  // One frame: recompiles when `map` is given and the tilemap is dirty or either table carries its changed mark
  // (clearing both marks), copies the properties to the layers and advances their animation. A marked table of
  // the size compiled last recompiles only the chunks whose cells changed, unless the flags changed meanwhile.
  void update(engine::TableData* map, engine::TableData* flash);
  // Compiles every layer from the tables now; `flash` may be null.
  void compile(const engine::TableData& map, const engine::TableData* flash);

  bool visible() const { return m_visible; }
  std::int32_t ox() const { return m_ox; }
  std::int32_t oy() const { return m_oy; }
  float zoomX() const { return m_zoomX; }
  float zoomY() const { return m_zoomY; }
  // Null once disposed.
  TilemapLayer* layer(Layer which) const { return m_layers[which].get(); }
  std::int32_t flag(int tileId) const;

  // Set when another map or flash table is given; cleared by the next compilation.
  bool dirty = false;

 private:
  void copyPropertiesToLayers();
  void compileChunk(const engine::TableData& map, const engine::TableData* flash, int chunkX, int chunkY);
  // Compiles again the chunks of the cells that differ from the copies, which then match the tables. False when the
  // tables' shapes differ from those compiled.
  bool compileChanges(const engine::TableData& map, const engine::TableData* flash);

  // The tables as last compiled.
  struct TableCopy {
    std::int32_t xsize = 0;
    std::int32_t ysize = 0;
    std::int32_t zsize = 0;
    std::vector<std::int16_t> elements;
    bool sameShape(const engine::TableData& table) const;
    void take(const engine::TableData& table);
  };

  bool m_disposed = false;
  bool m_visible = true;
  std::int32_t m_ox = 0;
  std::int32_t m_oy = 0;
  float m_zoomX = 1.0f;
  float m_zoomY = 1.0f;
  std::array<std::unique_ptr<TilemapLayer>, kLayerCount> m_layers;
  // Flags by tile id, as last given; every tile layer compiles with them.
  std::array<std::int32_t, tiles::kTileIdCount> m_flags{};
  bool m_flagsChanged = false;  // since the last whole compilation
  TableCopy m_compiledMap;
  std::optional<TableCopy> m_compiledFlash;
};

}  // namespace scene
