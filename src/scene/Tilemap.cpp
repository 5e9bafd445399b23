#include "scene/Tilemap.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
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
    const std::int32_t value = id < flags.size && flags.elements != nullptr ? flags.elements[id] : 0;
    std::int32_t& kept = m_flags[static_cast<std::size_t>(id)];
    m_flagsChanged = m_flagsChanged || kept != value;
    kept = value;
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
    map->dimensions = std::abs(map->dimensions);
    if (flash != nullptr) flash->dimensions = std::abs(flash->dimensions);
    // New flags may move any tile between layers: they take effect everywhere at once, as when they were new.
    if (dirty || m_flagsChanged || !compileChanges(*map, flash)) compile(*map, flash);
    dirty = false;
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
  m_flagsChanged = false;
  m_compiledMap.take(map);
  m_compiledFlash.reset();
  if (flash != nullptr) m_compiledFlash.emplace().take(*flash);
  if (!usable) return;
  const int chunks[2] = {(map.xsize + TilemapLayer::kChunkCells - 1) / TilemapLayer::kChunkCells,
                         (map.ysize + TilemapLayer::kChunkCells - 1) / TilemapLayer::kChunkCells};
  for (int chunkY = 0; chunkY < chunks[1]; ++chunkY) {
    for (int chunkX = 0; chunkX < chunks[0]; ++chunkX) compileChunk(map, flash, chunkX, chunkY);
  }
}

void Tilemap::compileChunk(const engine::TableData& map, const engine::TableData* flash, int chunkX, int chunkY) {
  for (const auto& layer : m_layers) layer->beginChunk(chunkX, chunkY);
  TilemapLayer& upper = *m_layers[kUpper];
  TilemapLayer* const ground[kMapLayers] = {m_layers[kGround0].get(), m_layers[kGround1].get(),
                                            m_layers[kGround2].get()};
  TilemapLayer& shadow = *m_layers[kShadow];
  TilemapLayer& flashes = *m_layers[kFlash];
  const int left = chunkX * TilemapLayer::kChunkCells;
  const int top = chunkY * TilemapLayer::kChunkCells;
  const int right = std::min(map.xsize, left + TilemapLayer::kChunkCells);
  const int bottom = std::min(map.ysize, top + TilemapLayer::kChunkCells);
  for (int y = top; y < bottom; ++y) {
    for (int x = left; x < right; ++x) {
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

bool Tilemap::compileChanges(const engine::TableData& map, const engine::TableData* flash) {
  if (!m_compiledMap.sameShape(map) || m_compiledFlash.has_value() != (flash != nullptr) ||
      (flash != nullptr && !m_compiledFlash->sameShape(*flash)) || !m_layers[kUpper]->hasCells()) {
    return false;
  }
  const int chunksX = (map.xsize + TilemapLayer::kChunkCells - 1) / TilemapLayer::kChunkCells;
  const int chunksY = (map.ysize + TilemapLayer::kChunkCells - 1) / TilemapLayer::kChunkCells;
  std::vector<bool> changed(static_cast<std::size_t>(chunksX) * static_cast<std::size_t>(chunksY));
  // Compared a block at a time, element by element only where a block differs; the copy takes the new values.
  const auto collect = [&](const engine::TableData& table, TableCopy& copy) {
    constexpr std::size_t kBlock = 256;
    std::int16_t* kept = copy.elements.data();
    const std::size_t size = copy.elements.size();
    for (std::size_t start = 0; start < size; start += kBlock) {
      const std::size_t count = std::min(kBlock, size - start);
      if (std::memcmp(kept + start, table.elements + start, count * sizeof(std::int16_t)) == 0) continue;
      for (std::size_t i = start; i < start + count; ++i) {
        if (kept[i] == table.elements[i]) continue;
        kept[i] = table.elements[i];
        const auto x = static_cast<std::int64_t>(i % static_cast<std::size_t>(table.xsize));
        const auto y = static_cast<std::int64_t>(i / static_cast<std::size_t>(table.xsize) %
                                                 static_cast<std::size_t>(table.ysize));
        if (x >= map.xsize || y >= map.ysize) continue;
        changed[static_cast<std::size_t>(y / TilemapLayer::kChunkCells * chunksX + x / TilemapLayer::kChunkCells)] =
            true;
      }
    }
  };
  collect(map, m_compiledMap);
  if (flash != nullptr) collect(*flash, *m_compiledFlash);
  for (int chunkY = 0; chunkY < chunksY; ++chunkY) {
    for (int chunkX = 0; chunkX < chunksX; ++chunkX) {
      if (changed[static_cast<std::size_t>(chunkY * chunksX + chunkX)]) compileChunk(map, flash, chunkX, chunkY);
    }
  }
  return true;
}

bool Tilemap::TableCopy::sameShape(const engine::TableData& table) const {
  return table.xsize == xsize && table.ysize == ysize && table.zsize == zsize && table.elements != nullptr &&
         table.size >= 0 && static_cast<std::size_t>(table.size) == elements.size();
}

void Tilemap::TableCopy::take(const engine::TableData& table) {
  xsize = table.xsize;
  ysize = table.ysize;
  zsize = table.zsize;
  if (table.elements == nullptr || table.size <= 0) {
    elements.clear();
  } else {
    elements.assign(table.elements, table.elements + table.size);
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
