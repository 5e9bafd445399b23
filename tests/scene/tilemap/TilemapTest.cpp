// The tile map record without graphics: layers at their depths and in their list, tiles compiled into the right
// layer, the rebuild rule of the changed marks, tables resized under the map, properties copied to every layer.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "scene/Tilemap.h"
#include "scene/Viewport.h"

namespace {

using scene::Tilemap;
using scene::TilemapLayer;
using scene::tiles::TileQuad;

// An engine table over storage of its own.
struct Table {
  Table(int dimensions, int x, int y, int z) : elements(static_cast<std::size_t>(x * y * z)) {
    data = {dimensions, x, y, z, x * y * z, elements.data()};
  }
  void set(int x, int y, int z, int value) {
    elements[static_cast<std::size_t>(x + data.xsize * (y + data.ysize * z))] = static_cast<std::int16_t>(value);
  }
  std::vector<std::int16_t> elements;
  engine::TableData data;
};

std::vector<TileQuad> cellOf(const Tilemap& map, Tilemap::Layer layer, int x, int y) {
  const auto quads = map.layer(layer)->cell(x, y);
  return {quads.begin(), quads.end()};
}

std::vector<int> bitmapsOf(const std::vector<TileQuad>& quads) {
  std::vector<int> indices;
  for (const TileQuad& quad : quads) indices.push_back(quad.bitmapIndex);
  return indices;
}

bool listed(const scene::Viewport& viewport, const scene::Sprite* object) {
  return std::find(viewport.drawList.begin(), viewport.drawList.end(), object) != viewport.drawList.end();
}

TEST(Tilemap, LayersSitAtTheirDepthsInTheTilemapsList) {
  scene::Viewport viewport;
  Tilemap map;
  EXPECT_FALSE(map.layer(Tilemap::kUpper)->inDrawList);
  map.initialize(&viewport);
  const double depths[] = {200.0, -0.3, -0.2, -0.1, -0.05, 200.5};
  for (std::size_t i = 0; i < Tilemap::kLayerCount; ++i) {
    const TilemapLayer* layer = map.layer(static_cast<Tilemap::Layer>(i));
    EXPECT_EQ(layer->z, depths[i]);
    EXPECT_TRUE(listed(viewport, layer));
    EXPECT_TRUE(layer->skipDefaultQuad);
  }
  EXPECT_EQ(map.layer(Tilemap::kShadow)->kind(), scene::TilemapLayerKind::Shadow);
  EXPECT_EQ(map.layer(Tilemap::kFlash)->kind(), scene::TilemapLayerKind::Flash);
  map.setViewport(nullptr);
  EXPECT_TRUE(viewport.drawList.empty());
  EXPECT_TRUE(listed(scene::screenViewport(), map.layer(Tilemap::kGround2)));
  map.dispose();
  EXPECT_TRUE(map.disposed());
  EXPECT_EQ(map.layer(Tilemap::kUpper), nullptr);
  EXPECT_FALSE(std::any_of(scene::screenViewport().drawList.begin(), scene::screenViewport().drawList.end(),
                           [](const scene::Sprite* s) { return dynamic_cast<const TilemapLayer*>(s) != nullptr; }));
}

TEST(Tilemap, TilesGoToTheLayerTheirFlagChooses) {
  Tilemap map;
  map.initialize(nullptr);
  Table flags(1, 8192, 1, 1);
  flags.set(1, 0, 0, 0x10);
  flags.set(3, 0, 0, -16);  // 0xFFF0: the above bit among others
  map.setFlags(flags.data);
  Table tiles(3, 2, 1, 4);
  tiles.set(0, 0, 0, 1);
  tiles.set(0, 0, 1, 257);
  tiles.set(0, 0, 2, 3);
  tiles.set(1, 0, 0, 2);
  tiles.set(1, 0, 2, 1);
  map.compile(tiles.data, nullptr);
  // The upper layer holds map layer 0's tile before map layer 2's.
  const std::vector<TileQuad> upper = cellOf(map, Tilemap::kUpper, 0, 0);
  ASSERT_EQ(upper.size(), 2u);
  EXPECT_EQ(upper[0].srcX, 32);
  EXPECT_EQ(upper[1].srcX, 96);
  EXPECT_TRUE(cellOf(map, Tilemap::kGround0, 0, 0).empty());
  EXPECT_EQ(bitmapsOf(cellOf(map, Tilemap::kGround1, 0, 0)), std::vector<int>{6});
  EXPECT_TRUE(cellOf(map, Tilemap::kGround2, 0, 0).empty());
  EXPECT_EQ(cellOf(map, Tilemap::kGround0, 1, 0).size(), 1u);
  EXPECT_EQ(cellOf(map, Tilemap::kUpper, 1, 0).size(), 1u);
  EXPECT_EQ(cellOf(map, Tilemap::kUpper, 1, 0)[0].destX, 32);
}

TEST(Tilemap, ShadowsAndFlashesCompileIntoTheirLayers) {
  Tilemap map;
  map.initialize(nullptr);
  Table tiles(3, 2, 2, 4);
  tiles.set(1, 1, 3, 0b0101 | 0x40);
  Table flash(2, 3, 1, 1);  // narrower and shorter than the map: the rest does not flash
  flash.set(1, 0, 0, 0xF00);
  map.compile(tiles.data, &flash.data);
  const std::vector<TileQuad> shadow = cellOf(map, Tilemap::kShadow, 1, 1);
  ASSERT_EQ(shadow.size(), 2u);
  EXPECT_EQ(shadow[0].destX, 32);
  EXPECT_EQ(shadow[1].destY, 48);
  EXPECT_EQ(bitmapsOf(cellOf(map, Tilemap::kFlash, 1, 0)), std::vector<int>{-0xF00});
  EXPECT_TRUE(cellOf(map, Tilemap::kFlash, 1, 1).empty());
  map.compile(tiles.data, nullptr);
  EXPECT_TRUE(map.layer(Tilemap::kFlash)->hasCells());
  EXPECT_TRUE(cellOf(map, Tilemap::kFlash, 1, 0).empty());
}

TEST(Tilemap, RebuildsOnlyWhenDirtyOrMarked) {
  Tilemap map;
  map.initialize(nullptr);
  Table tiles(3, 1, 1, 4);
  tiles.set(0, 0, 0, 1);
  Table flash(2, 1, 1, 1);
  map.update(nullptr, &flash.data);
  EXPECT_FALSE(map.layer(Tilemap::kGround0)->hasCells()) << "nothing to draw before map data";

  map.dirty = true;
  map.update(&tiles.data, &flash.data);
  EXPECT_FALSE(map.dirty);
  EXPECT_EQ(cellOf(map, Tilemap::kGround0, 0, 0).size(), 1u);

  tiles.set(0, 0, 0, 0);  // written behind the table writer's back: no mark
  map.update(&tiles.data, &flash.data);
  EXPECT_EQ(cellOf(map, Tilemap::kGround0, 0, 0).size(), 1u);

  tiles.data.dimensions = -3;
  map.update(&tiles.data, &flash.data);
  EXPECT_EQ(tiles.data.dimensions, 3);
  EXPECT_TRUE(cellOf(map, Tilemap::kGround0, 0, 0).empty());

  flash.set(0, 0, 0, 0x00F);
  flash.data.dimensions = -2;
  tiles.set(0, 0, 0, 2);
  tiles.data.dimensions = -3;
  map.update(&tiles.data, &flash.data);
  EXPECT_EQ(flash.data.dimensions, 2);
  EXPECT_EQ(tiles.data.dimensions, 3);
  EXPECT_EQ(bitmapsOf(cellOf(map, Tilemap::kFlash, 0, 0)), std::vector<int>{-0x00F});

  flash.set(0, 0, 0, 0);
  flash.data.dimensions = -2;
  map.update(&tiles.data, &flash.data);
  EXPECT_TRUE(cellOf(map, Tilemap::kFlash, 0, 0).empty()) << "a marked flash table alone rebuilds";
}

// A map of several chunks each way: a marked change compiles its cells again, and new flags reach every cell.
TEST(Tilemap, MarkedChangesReachTheirCellsAndNewFlagsReachAll) {
  Tilemap map;
  map.initialize(nullptr);
  Table tiles(3, 40, 20, 4);
  tiles.set(1, 1, 0, 1);
  tiles.set(33, 18, 0, 1);
  map.dirty = true;
  map.update(&tiles.data, nullptr);
  tiles.set(33, 18, 0, 2);
  tiles.set(2, 2, 0, 3);
  tiles.data.dimensions = -3;
  map.update(&tiles.data, nullptr);
  ASSERT_EQ(cellOf(map, Tilemap::kGround0, 33, 18).size(), 1u);
  EXPECT_EQ(cellOf(map, Tilemap::kGround0, 33, 18)[0].srcX, 64);
  ASSERT_EQ(cellOf(map, Tilemap::kGround0, 2, 2).size(), 1u);
  EXPECT_EQ(cellOf(map, Tilemap::kGround0, 2, 2)[0].srcX, 96);
  ASSERT_EQ(cellOf(map, Tilemap::kGround0, 1, 1).size(), 1u);
  EXPECT_EQ(cellOf(map, Tilemap::kGround0, 1, 1)[0].srcX, 32);

  Table flags(1, 8192, 1, 1);
  flags.set(1, 0, 0, 0x10);
  map.setFlags(flags.data);
  tiles.set(39, 0, 0, 2);
  tiles.data.dimensions = -3;
  map.update(&tiles.data, nullptr);
  EXPECT_EQ(cellOf(map, Tilemap::kUpper, 1, 1).size(), 1u) << "a cell that did not change takes the new flag";
  EXPECT_TRUE(cellOf(map, Tilemap::kGround0, 1, 1).empty());
  EXPECT_EQ(cellOf(map, Tilemap::kGround0, 39, 0).size(), 1u);
}

TEST(Tilemap, TablesResizedUnderTheMapAreReadWithinTheirBounds) {
  Tilemap map;
  map.initialize(nullptr);
  Table tiles(3, 2, 1, 4);
  tiles.set(0, 0, 0, 1);
  tiles.set(1, 0, 0, 1);
  tiles.set(1, 0, 3, 0xF);
  // Claims more than it holds: the second cell and the shadow layer lie past the storage.
  tiles.data.size = 1;
  map.compile(tiles.data, nullptr);
  EXPECT_EQ(cellOf(map, Tilemap::kGround0, 0, 0).size(), 1u);
  EXPECT_TRUE(cellOf(map, Tilemap::kGround0, 1, 0).empty());
  EXPECT_TRUE(cellOf(map, Tilemap::kShadow, 1, 0).empty());

  Table flat(3, 2, 1, 1);  // resized to one map layer
  flat.set(1, 0, 0, 1);
  map.compile(flat.data, nullptr);
  EXPECT_EQ(cellOf(map, Tilemap::kGround0, 1, 0).size(), 1u);
  EXPECT_TRUE(cellOf(map, Tilemap::kShadow, 1, 0).empty());

  Table empty(3, 0, 5, 4);
  map.compile(empty.data, nullptr);
  for (std::size_t i = 0; i < Tilemap::kLayerCount; ++i) {
    EXPECT_FALSE(map.layer(static_cast<Tilemap::Layer>(i))->hasCells());
  }
}

TEST(Tilemap, FlagsPastTheTableEndAreZero) {
  Tilemap map;
  Table flags(1, 3, 1, 1);
  flags.set(2, 0, 0, 0x10);
  map.setFlags(flags.data);
  EXPECT_EQ(map.flag(2), 0x10);
  EXPECT_EQ(map.flag(5000), 0);
  EXPECT_EQ(map.flag(-1), 0);
  EXPECT_EQ(map.flag(8192), 0);
}

TEST(Tilemap, PropertiesAndAnimationReachEveryLayer) {
  Tilemap map;
  map.initialize(nullptr);
  map.setOx(-70);
  map.setOy(12);
  map.setZoomX(0.0);
  map.setZoomY(2.5);
  map.setVisible(false);
  map.update(nullptr, nullptr);
  map.update(nullptr, nullptr);
  EXPECT_EQ(map.zoomX(), 1.0f);
  for (std::size_t i = 0; i < Tilemap::kLayerCount; ++i) {
    const TilemapLayer& layer = *map.layer(static_cast<Tilemap::Layer>(i));
    EXPECT_EQ(layer.mapOx, -70);
    EXPECT_EQ(layer.mapOy, 12);
    EXPECT_EQ(layer.mapZoomX, 1.0f);
    EXPECT_EQ(layer.mapZoomY, 2.5f);
    EXPECT_FALSE(layer.visible);
    EXPECT_EQ(layer.animationCounter, 2);
  }
  map.layer(Tilemap::kUpper)->animationCounter = INT32_MAX;
  map.update(nullptr, nullptr);
  EXPECT_EQ(map.layer(Tilemap::kUpper)->animationCounter, INT32_MIN);
}

}  // namespace
