#include "scene/Tilemap.h"

#include <cstdlib>
#include <limits>

namespace scene {

namespace {

// Element (x, y, z) of a table, 0 outside it: a script may have resized the table since it was given.
int element(const engine::TableData& table, int x, int y, int z) {
  if (table.elements == nullptr || x >= table.xsize || y >= table.ysize || z >= table.zsize) return 0;
  const std::int64_t index =
      x + static_cast<std::int64_t>(table.xsize) * (y + static_cast<std::int64_t>(table.ysize) * z);
  return index < table.size ? table.elements[index] : 0;
}

constexpr int kMapLayers = 3;
constexpr int kShadowLayer = 3;
// Cell positions are 32-bit map pixels.
constexpr int kMaxMapCells = std::numeric_limits<std::int32_t>::max() / tiles::kTileSize;

}  // namespace

Tilemap::Tilemap() {
  for (std::size_t i = 0; i < kLayerCount; ++i) {
    TilemapLayerKind kind = TilemapLayerKind::Tiles;
    if (i == kShadow) kind = TilemapLayerKind::Shadow;
    if (i == kFlash) kind = TilemapLayerKind::Flash;
    m_layers[i] = std::make_unique<TilemapLayer>(kind, kDepths[i]);
  }
}

Tilemap::~Tilemap() = default;

void Tilemap::initialize(Viewport* viewport) {
  dirty = false;
  m_visible = true;
  m_ox = m_oy = 0;
  m_zoomX = m_zoomY = 1.0f;
  m_flags.fill(0);
  for (const auto& layer : m_layers) {
    if (!layer) continue;
    layer->clearCells();
    layer->bitmaps = {};
    layer->animationCounter = 0;
    layer->attach(viewport);
  }
  copyPropertiesToLayers();
}

void Tilemap::dispose() {
  if (m_disposed) return;
  m_disposed = true;
  for (auto& layer : m_layers) {
    if (layer) layer->dispose();
    layer.reset();
  }
}

void Tilemap::setViewport(Viewport* viewport) {
  for (const auto& layer : m_layers) {
    if (layer) layer->attach(viewport);
  }
}

void Tilemap::setVisible(bool visible) {
  m_visible = visible;
  copyPropertiesToLayers();
}

void Tilemap::setOx(std::int32_t ox) {
  m_ox = ox;
  copyPropertiesToLayers();
}

void Tilemap::setOy(std::int32_t oy) {
  m_oy = oy;
  copyPropertiesToLayers();
}

void Tilemap::setZoomX(double zoom) {
  m_zoomX = tiles::storedZoom(zoom);
  copyPropertiesToLayers();
}

void Tilemap::setZoomY(double zoom) {
  m_zoomY = tiles::storedZoom(zoom);
  copyPropertiesToLayers();
}

void Tilemap::setFlags(const engine::TableData& flags) {
  for (int id = 0; id < tiles::kTileIdCount; ++id) {
    m_flags[static_cast<std::size_t>(id)] = id < flags.size && flags.elements != nullptr ? flags.elements[id] : 0;
  }
}

std::int32_t Tilemap::flag(int tileId) const {
  return tileId >= 0 && tileId < tiles::kTileIdCount ? m_flags[static_cast<std::size_t>(tileId)] : 0;
}

void Tilemap::setBitmaps(const std::array<bitmap::Bitmap*, tiles::kTileBitmapCount>& images) {
  for (std::size_t i : {kUpper, kGround0, kGround1, kGround2}) {
    if (m_layers[i]) m_layers[i]->bitmaps = images;
  }
}

void Tilemap::update(engine::TableData* map, engine::TableData* flash) {
  if (map != nullptr && (dirty || map->dimensions < 0 || (flash != nullptr && flash->dimensions < 0))) {
    dirty = false;
    map->dimensions = std::abs(map->dimensions);
    if (flash != nullptr) flash->dimensions = std::abs(flash->dimensions);
    compile(*map, flash);
  }
  copyPropertiesToLayers();
  for (const auto& layer : m_layers) {
    // Wraps instead of overflowing after a few years of frames; the animation keeps cycling.
    if (layer)
      layer->animationCounter = static_cast<std::int32_t>(static_cast<std::uint32_t>(layer->animationCounter) + 1u);
  }
}

void Tilemap::compile(const engine::TableData& map, const engine::TableData* flash) {
  const bool usable = map.xsize > 0 && map.ysize > 0 && map.xsize <= kMaxMapCells && map.ysize <= kMaxMapCells;
  for (const auto& layer : m_layers) {
    if (!layer) return;
    if (usable) {
      layer->beginCells(map.xsize, map.ysize);
    } else {
      layer->clearCells();
    }
  }
  if (!usable) return;
  TilemapLayer& upper = *m_layers[kUpper];
  TilemapLayer* const ground[kMapLayers] = {m_layers[kGround0].get(), m_layers[kGround1].get(),
                                            m_layers[kGround2].get()};
  TilemapLayer& shadow = *m_layers[kShadow];
  TilemapLayer& flashes = *m_layers[kFlash];
  for (int y = 0; y < map.ysize; ++y) {
    for (int x = 0; x < map.xsize; ++x) {
      const int px = x * tiles::kTileSize;
      const int py = y * tiles::kTileSize;
      for (int z = 0; z < kMapLayers; ++z) {
        const int tileId = element(map, x, y, z);
        const int tileFlag = flag(tileId);
        TilemapLayer& target = (tileFlag & tiles::kFlagAbove) != 0 ? upper : *ground[z];
        tiles::appendTileQuads(target.pendingQuads(), tileId, tileFlag, px, py);
      }
      tiles::appendShadowQuads(shadow.pendingQuads(), element(map, x, y, kShadowLayer), px, py);
      if (flash != nullptr) tiles::appendFlashQuad(flashes.pendingQuads(), element(*flash, x, y, 0), px, py);
      for (const auto& layer : m_layers) layer->endCell();
    }
  }
}

void Tilemap::copyPropertiesToLayers() {
  for (const auto& layer : m_layers) {
    if (!layer) continue;
    layer->visible = m_visible;
    layer->mapOx = m_ox;
    layer->mapOy = m_oy;
    layer->mapZoomX = m_zoomX;
    layer->mapZoomY = m_zoomY;
  }
}

}  // namespace scene
