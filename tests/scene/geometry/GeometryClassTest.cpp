// The Geometry script class in-process: modes from the arguments, the defaults of set_point_position, capacity
// growth through the setters, ignored and refused indices, argument counts, refusals after dispose and the collector
// freeing geometries, viewports and bitmaps in any order.

#include <gtest/gtest.h>

#include "ClassTestEnvironment.h"
#include "SceneClasses.h"
#include "bindings/Binding.h"
#include "bitmap/Bitmap.h"
#include "scene/Geometry.h"
#include "scene/GeometryClass.h"

namespace {

using bitmap::test::eval;
using bitmap::test::run;

class GeometryClassTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!bitmap::test::haveGraphics()) GTEST_SKIP() << "no GL context (set SDL_VIDEODRIVER=offscreen)";
    scene::test::defineSceneClasses();
    static const bool defined = [] {
      scene::defineGeometryClass();
      return true;
    }();
    (void)defined;
  }

  static scene::Geometry& record(const std::string& code) { return *bindings::dataRecord<scene::Geometry>(eval(code)); }
};

TEST_F(GeometryClassTest, ModeComesFromTheSecondArgument) {
  EXPECT_TRUE(record("Geometry.new").worldMode());
  EXPECT_TRUE(record("Geometry.new(nil)").worldMode());
  EXPECT_TRUE(record("Geometry.new(nil, nil)").worldMode());
  EXPECT_TRUE(record("Geometry.new(nil, true)").worldMode());
  EXPECT_FALSE(record("Geometry.new(nil, false)").worldMode());
  EXPECT_FALSE(record("Geometry.new(nil, 1)").worldMode());
  EXPECT_EQ(run("v = Viewport.new(0, 0, 4, 4); g = Geometry.new(v, false); [g.viewport.equal?(v), g.bitmap, "
                "g.visible, g.z].inspect"),
            "[true, nil, true, 0]");
}

TEST_F(GeometryClassTest, PointPositionDefaultsZAndW) {
  scene::Geometry& screen = record("g = Geometry.new(nil, false); g.set_point_position(0, 0, 10, 20); g");
  EXPECT_FLOAT_EQ(screen.corner(0, 0).x, 10.0f);
  EXPECT_FLOAT_EQ(screen.corner(0, 0).y, 20.0f);
  EXPECT_FLOAT_EQ(screen.corner(0, 0).z, 0.5f);
  EXPECT_FLOAT_EQ(screen.corner(0, 0).w, 1.0f);
  EXPECT_FLOAT_EQ(screen.corner(0, 1).w, 0.0f);  // never set: at the origin with w 0
  EXPECT_EQ(screen.corner(0, 1).colour, 0xFFFFFFFFu);
  scene::Geometry& world = record("g = Geometry.new; g.set_point_position(0, 1, 1.5, 2, 0.25, 9); g");
  EXPECT_FLOAT_EQ(world.corner(0, 1).z, 0.25f);
  EXPECT_FLOAT_EQ(world.corner(0, 1).w, 1.0f);  // world mode keeps no w of its own
  EXPECT_EQ(run("Geometry.new.set_point_position(0, 0, 1, 2).inspect"), "nil");
}

TEST_F(GeometryClassTest, CapacityGrowsOneThreeSevenThroughEverySetter) {
  scene::Geometry& object = record("$g = Geometry.new; $g.set_point_position(0, 2, 1, 1); $g");
  EXPECT_EQ(object.triangleCapacity(), 1);
  eval("$g.set_point_texcoord(1, 0, 0.5, 0.25)");
  EXPECT_EQ(object.triangleCapacity(), 3);
  EXPECT_FLOAT_EQ(object.corner(1, 0).u, 0.5f);
  eval("$g.set_point_position(2, 0, 1, 1)");
  EXPECT_EQ(object.triangleCapacity(), 3);
  eval("$g.set_point_color(3, 1, Color.new(1, 2, 3, 4))");
  EXPECT_EQ(object.triangleCapacity(), 7);
  EXPECT_EQ(object.corner(3, 1).colour, 0x04010203u);
  EXPECT_FLOAT_EQ(object.corner(0, 2).x, 1.0f);  // kept through growth
  EXPECT_TRUE(object.dirty());
  eval("$g = nil");
}

TEST_F(GeometryClassTest, NegativeTrianglesAndBadCornersAreIgnored) {
  scene::Geometry& object = record(
      "g = Geometry.new; g.set_point_position(-1, 0, 1, 1); g.set_point_texcoord(0, 3, 1, 1); "
      "g.set_point_color(0, -1, Color.new); g");
  EXPECT_EQ(object.triangleCapacity(), 0);
  EXPECT_FALSE(object.dirty());
  EXPECT_EQ(run("Geometry.new.set_point_position(1 << 24, 0, 1, 1)"),
            "RangeError: triangle 16777216 is beyond the 1048575 triangles a Geometry holds");
}

TEST_F(GeometryClassTest, ArgumentCountsAndClassesAreChecked) {
  EXPECT_EQ(run("Geometry.new.set_transform_matrix(*Array.new(15, 1))"),
            "ArgumentError: wrong number of arguments (given 15, expected 16)");
  EXPECT_EQ(run("Geometry.new.set_transform_matrix(*Array.new(17, 1))"),
            "ArgumentError: wrong number of arguments (given 17, expected 16)");
  EXPECT_EQ(run("Geometry.new.set_point_position(0, 0, 1)"),
            "ArgumentError: wrong number of arguments (given 3, expected 4)");
  EXPECT_EQ(run("Geometry.new.set_point_position(0, 0, 1, 2, 3, 4, 5)"),
            "ArgumentError: wrong number of arguments (given 7, expected 6)");
  EXPECT_EQ(run("Geometry.new(nil, nil, nil)"), "ArgumentError: wrong number of arguments (given 3, expected 2)");
  EXPECT_EQ(run("Geometry.new(Color.new)"), "TypeError: can't convert Color into Viewport");
  EXPECT_EQ(run("Geometry.new.bitmap = Color.new"), "TypeError: can't convert Color into Bitmap");
  EXPECT_EQ(run("Geometry.new.set_point_color(0, 0, Tone.new)"), "TypeError: can't convert Tone into Color");
  EXPECT_EQ(run("Geometry.new.clone"), "RGSSError: can't clone Geometry");
  EXPECT_EQ(run("Geometry.new.dup"), "RGSSError: can't dup Geometry");
}

TEST_F(GeometryClassTest, MatrixIsTransposedOnlyInWorldMode) {
  const char* numbers = "(1..16).to_a";
  scene::Geometry& world = record(std::string("g = Geometry.new; g.set_transform_matrix(*") + numbers + "); g");
  scene::Geometry& screen =
      record(std::string("g = Geometry.new(nil, false); g.set_transform_matrix(*") + numbers + "); g");
  EXPECT_FLOAT_EQ(world.matrix().m[3][0], 4.0f);
  EXPECT_FLOAT_EQ(screen.matrix().m[3][0], 13.0f);
  EXPECT_TRUE(screen.dirty());
  EXPECT_FALSE(world.dirty());
}

TEST_F(GeometryClassTest, BitmapBecomesTheTexture) {
  scene::Geometry& object = record("$g = Geometry.new; $b = Bitmap.new(4, 4); $g.bitmap = $b; $g");
  EXPECT_NE(object.textureBitmap(), nullptr);
  EXPECT_EQ(run("$g.bitmap.equal?($b)"), "true");
  eval("$g.bitmap = nil");
  EXPECT_EQ(object.textureBitmap(), nullptr);
  // The private base bitmap is fully transparent.
  ASSERT_NE(object.bitmap, nullptr);
  EXPECT_EQ(object.bitmap->width(), 1);
  EXPECT_EQ(object.bitmap->pixels().at(0, 0), 0u);
  eval("$g = $b = nil");
}

TEST_F(GeometryClassTest, DisposedGeometriesRefuseUseButAnswerTheirLifecycle) {
  EXPECT_EQ(run("g = Geometry.new; g.dispose; [g.dispose, g.disposed?].inspect"), "[nil, true]");
  for (const char* use : {"g.z", "g.bitmap = nil", "g.set_point_position(0, 0, 1, 1)", "g.set_transform_matrix",
                          "g.viewport", "g.effect_name", "g.set_effect_param('a', 1)"}) {
    EXPECT_EQ(run(std::string("g = Geometry.new; g.dispose; ") + use), "RGSSError: disposed geometry") << use;
  }
  scene::Geometry& gone = record("g = Geometry.new; g.set_point_position(6, 0, 1, 1); g.dispose; g");
  EXPECT_EQ(gone.triangleCapacity(), 0);
  EXPECT_EQ(gone.bitmap, nullptr);
}

TEST_F(GeometryClassTest, CollectorFreesGeometriesViewportsAndBitmapsInAnyOrder) {
  EXPECT_EQ(run("GC.stress = true; srand(5); pool = []; "
                "100.times { |i| v = i % 3 == 0 ? Viewport.new(0, 0, 4, 4) : nil; g = Geometry.new(v, i.even?); "
                "g.set_point_position(i % 5, i % 3, i, i); g.bitmap = Bitmap.new(2, 2) if i % 4 == 0; "
                "g.set_effect_param('t', Bitmap.new(1, 1)) if i % 7 == 0; pool << g; "
                "pool.delete_at(rand(pool.size)).dispose if i % 5 == 0; v.dispose if v && i % 6 == 0; "
                "pool.delete_at(rand(pool.size)) if i % 4 == 0 }; "
                "pool = nil; GC.stress = false; GC.start; :ok"),
            "ok");
}

}  // namespace
