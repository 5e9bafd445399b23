// The Tilemap script class in-process: its properties and their conversions, the table shapes it takes, its
// errors, and tile maps, viewports and bitmaps freed by the collector in any order.

#include <gtest/gtest.h>

#include <string>

#include "ClassTestEnvironment.h"
#include "SceneClasses.h"
#include "scene/TilemapClass.h"

namespace {

using bitmap::test::run;

class TilemapClassTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!bitmap::test::haveGraphics()) GTEST_SKIP() << "no GL context (set SDL_VIDEODRIVER=offscreen)";
    scene::test::defineSceneClasses();
    static const bool defined = [] {
      scene::defineTilemapClass();
      return true;
    }();
    (void)defined;
  }
};

TEST_F(TilemapClassTest, CreationTakesAnOptionalViewport) {
  EXPECT_EQ(run("v = Viewport.new; [Tilemap.new.viewport, Tilemap.new(v).viewport.equal?(v), "
                "Tilemap.new(nil).viewport].inspect"),
            "[nil, true, nil]");
  EXPECT_EQ(run("Tilemap.new(Viewport.new, 1)"), "ArgumentError: wrong number of arguments (given 2, expected 1)");
  EXPECT_EQ(run("Tilemap.new(Rect.new)"), "TypeError: can't convert Rect into Viewport");
  EXPECT_EQ(run("Tilemap.new.viewport = 3"), "TypeError: can't convert Integer into Viewport");
  EXPECT_EQ(run("t = Tilemap.new; b = t.bitmaps; [b.class, b.size, t.bitmaps.equal?(b)].inspect"), "[Array, 0, true]");
  EXPECT_EQ(run("Tilemap.new.clone"), "RGSSError: can't clone Tilemap");
  EXPECT_EQ(run("Tilemap.new.dup"), "RGSSError: can't dup Tilemap");
}

TEST_F(TilemapClassTest, PropertiesAndTheirConversions) {
  EXPECT_EQ(run("t = Tilemap.new; [t.visible, t.ox, t.oy, t.zoom_x, t.zoom_y, t.flags, t.map_data, "
                "t.flash_data].inspect"),
            "[true, 0, 0, 1.0, 1.0, nil, nil, nil]");
  EXPECT_EQ(run("t = Tilemap.new; t.visible = 1; t.ox = -5; t.oy = 7.9; t.zoom_x = 0; t.zoom_y = 2; "
                "r = (t.zoom_x = -3); [t.visible, t.ox, t.oy, t.zoom_x, t.zoom_y, r].inspect"),
            "[false, -5, 7, 1.0, 2.0, -3]");
  EXPECT_EQ(run("t = Tilemap.new; t.zoom_x = 0.5; t.zoom_x"), "0.5");
}

TEST_F(TilemapClassTest, TablesMustHaveTheirShapes) {
  EXPECT_EQ(run("t = Tilemap.new; d = Table.new(3, 2, 4); t.map_data = d; t.map_data.equal?(d)"), "true");
  EXPECT_EQ(run("Tilemap.new.map_data = Table.new(3, 2, 3)"), "RGSSError: wrong argument");
  EXPECT_EQ(run("Tilemap.new.map_data = Table.new(3, 2)"), "RGSSError: wrong argument");
  EXPECT_EQ(run("Tilemap.new.map_data = nil"), "TypeError: can't convert NilClass into Table");
  EXPECT_EQ(run("Tilemap.new.map_data = [1]"), "TypeError: can't convert Array into Table");

  EXPECT_EQ(run("t = Tilemap.new; t.flash_data = Table.new(2, 2); t.flash_data = nil; t.flash_data.inspect"), "nil");
  EXPECT_EQ(run("Tilemap.new.flash_data = Table.new(2, 2, 4)"), "RGSSError: wrong argument");
  EXPECT_EQ(run("Tilemap.new.flash_data = 5"), "TypeError: can't convert Integer into Table");

  EXPECT_EQ(run("t = Tilemap.new; f = Table.new(8192); t.flags = f; t.flags.equal?(f)"), "true");
  EXPECT_EQ(run("Tilemap.new.flags = Table.new(2, 2)"), "RGSSError: wrong argument");
  EXPECT_EQ(run("Tilemap.new.flags = nil"), "TypeError: can't convert NilClass into Table");
}

TEST_F(TilemapClassTest, UpdateNeedsNineBitmaps) {
  EXPECT_EQ(run("Tilemap.new.update"), "TypeError: can't convert NilClass into Bitmap (bitmaps[0])");
  EXPECT_EQ(run("t = Tilemap.new; 8.times { |i| t.bitmaps[i] = Bitmap.new(1, 1) }; t.update"),
            "TypeError: can't convert NilClass into Bitmap (bitmaps[8])");
  EXPECT_EQ(run("t = Tilemap.new; 9.times { |i| t.bitmaps[i] = Bitmap.new(1, 1) }; t.bitmaps[4] = Color.new; "
                "t.update"),
            "TypeError: can't convert Color into Bitmap (bitmaps[4])");
  EXPECT_EQ(run("t = Tilemap.new; 9.times { |i| t.bitmaps[i] = Bitmap.new(1, 1) }; t.map_data = Table.new(3, 3, 4); "
                "t.flash_data = Table.new(3, 3); t.update; t.bitmaps[2].dispose; t.update.inspect"),
            "nil");
}

TEST_F(TilemapClassTest, DisposedTilemapRefusesEverythingButDisposal) {
  EXPECT_EQ(run("t = Tilemap.new; t.dispose; [t.dispose, t.disposed?].inspect"), "[nil, true]");
  EXPECT_EQ(run("t = Tilemap.new; t.dispose; t.update"), "RGSSError: disposed Tilemap");
  EXPECT_EQ(run("t = Tilemap.new; t.dispose; t.ox = 1"), "RGSSError: disposed Tilemap");
  EXPECT_EQ(run("t = Tilemap.new; t.dispose; t.bitmaps"), "RGSSError: disposed Tilemap");
  EXPECT_EQ(run("Tilemap.new.disposed?"), "false");
}

TEST_F(TilemapClassTest, CollectorFreesTilemapsViewportsAndBitmapsInAnyOrder) {
  EXPECT_EQ(run("GC.stress = true; srand(5); maps = []; ports = []; "
                "60.times { |i| ports << Viewport.new(0, 0, 32, 32) if i % 4 == 0; "
                "t = Tilemap.new(i.even? ? nil : ports.sample); "
                "9.times { |k| t.bitmaps[k] = Bitmap.new(32, 32) }; "
                "d = Table.new(2, 2, 4); d[0, 0, 0] = 2048 + i; t.map_data = d; t.flags = Table.new(8192); "
                "t.flash_data = Table.new(2, 2) if i % 3 == 0; t.update; maps << t; "
                "t.viewport = ports.sample if i % 5 == 0; "
                "ports.delete_at(rand(ports.size)).dispose if i % 7 == 0 && !ports.empty?; "
                "maps.delete_at(rand(maps.size)).dispose if i % 6 == 0; "
                "maps.shift if i % 3 == 0; t.bitmaps[1] = Bitmap.new(1, 1) unless t.disposed? }; "
                "maps.each(&:update); maps = ports = nil; GC.stress = false; GC.start; :ok"),
            "ok");
}

}  // namespace
