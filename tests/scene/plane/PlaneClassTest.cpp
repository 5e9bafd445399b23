// The Plane script class in-process: defaults, conversions, shared and copied values, refusals and the collector
// freeing planes, viewports and bitmaps in any order.

#include <gtest/gtest.h>

#include "ClassTestEnvironment.h"
#include "SceneClasses.h"
#include "bindings/Binding.h"
#include "scene/Plane.h"
#include "scene/PlaneClass.h"

namespace {

using bitmap::test::eval;
using bitmap::test::run;

class PlaneClassTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!bitmap::test::haveGraphics()) GTEST_SKIP() << "no GL context (set SDL_VIDEODRIVER=offscreen)";
    scene::test::defineSceneClasses();
    static const bool defined = [] {
      scene::definePlaneClass();
      return true;
    }();
    (void)defined;
  }

  static scene::Plane& record(const std::string& code) { return *bindings::dataRecord<scene::Plane>(eval(code)); }
};

TEST_F(PlaneClassTest, NewPlaneHasItsDefaults) {
  EXPECT_EQ(run("p = Plane.new; [p.viewport, p.bitmap, p.visible, p.z, p.ox, p.oy, p.zoom_x, p.zoom_y, p.opacity, "
                "p.blend_type, p.color.to_s, p.tone.to_s, p.disposed?].inspect"),
            "[nil, nil, true, 0, 0, 0, 1.0, 1.0, 255, 0, \"(0,0,0,0)\", \"(0.000000,0.000000,0.000000,0.000000)\", "
            "false]");
  EXPECT_EQ(run("v = Viewport.new(0, 0, 8, 8); Plane.new(v).viewport.equal?(v)"), "true");
  EXPECT_EQ(run("Plane.new(nil).viewport.inspect"), "nil");
}

TEST_F(PlaneClassTest, PropertiesConvertAndClamp) {
  EXPECT_EQ(run("p = Plane.new; p.opacity = 300; a = p.opacity; p.opacity = -5; p.z = 3.9; p.ox = 7.8; "
                "p.zoom_x = 2; p.blend_type = 9; p.visible = 1; "
                "[a, p.opacity, p.z, p.ox, p.zoom_x, p.blend_type, p.visible].inspect"),
            "[255, 0, 3, 7, 2.0, 9, false]");
  scene::Plane& plane = record("$plane = Plane.new; $plane.ox = -12; $plane.oy = 5; $plane.zoom_y = 0.25; $plane");
  EXPECT_EQ(plane.planeOx, -12);
  EXPECT_EQ(plane.planeOy, 5);
  EXPECT_FLOAT_EQ(plane.planeZoomY, 0.25f);
  // The base origin and zoom belong to the frame's placement, not to the script's values.
  EXPECT_EQ(plane.ox, 0);
  EXPECT_FLOAT_EQ(plane.zoomY, 1.0f);
}

TEST_F(PlaneClassTest, BitmapSetsTheWholeSourceRectangle) {
  scene::Plane& plane = record("$plane = Plane.new; $plane.bitmap = Bitmap.new(48, 20); $plane");
  ASSERT_NE(plane.sourceRect, nullptr);
  EXPECT_EQ(plane.sourceRect->width, 48);
  EXPECT_EQ(plane.sourceRect->height, 20);
  eval("$plane.bitmap = nil");
  EXPECT_EQ(plane.bitmap, nullptr);
  EXPECT_EQ(plane.sourceRect->width, 0);
  EXPECT_EQ(run("p = Plane.new; b = Bitmap.new(4, 4); [p.send(:bitmap=, b).equal?(b), p.bitmap.equal?(b)].inspect"),
            "[true, true]");
}

TEST_F(PlaneClassTest, ToneIsSharedAndColourCopied) {
  EXPECT_EQ(run("p = Plane.new; t = Tone.new(10, 0, 0); c = Color.new(1, 2, 3, 4); p.tone = t; p.color = c; "
                "t.red = 20; c.red = 99; [p.tone.equal?(t), p.tone.red, p.color.equal?(c), p.color.red].inspect"),
            "[true, 20, false, 1]");
}

TEST_F(PlaneClassTest, WrongClassesAndCopiesAreRefused) {
  EXPECT_EQ(run("Plane.new(Color.new)"), "TypeError: can't convert Color into Viewport");
  EXPECT_EQ(run("Plane.new.bitmap = Color.new"), "TypeError: can't convert Color into Bitmap");
  EXPECT_EQ(run("Plane.new.viewport = Bitmap.new(1, 1)"), "TypeError: can't convert Bitmap into Viewport");
  EXPECT_EQ(run("Plane.new.color = Tone.new"), "TypeError: can't convert Tone into Color");
  EXPECT_EQ(run("Plane.new.tone = Color.new"), "TypeError: can't convert Color into Tone");
  EXPECT_EQ(run("Plane.new(nil, nil)"), "ArgumentError: wrong number of arguments (given 2, expected 1)");
  EXPECT_EQ(run("Plane.new.clone"), "RGSSError: can't clone Plane");
  EXPECT_EQ(run("Plane.new.dup"), "RGSSError: can't dup Plane");
}

TEST_F(PlaneClassTest, DisposedPlanesRefuseUseButAnswerTheirLifecycle) {
  EXPECT_EQ(run("p = Plane.new; p.dispose; [p.dispose, p.disposed?].inspect"), "[nil, true]");
  for (const char* use : {"p.ox", "p.zoom_x = 2", "p.bitmap", "p.tone", "p.viewport = nil", "p.z"}) {
    EXPECT_EQ(run(std::string("p = Plane.new; p.dispose; ") + use), "RGSSError: disposed plane") << use;
  }
}

TEST_F(PlaneClassTest, ViewportMovesThePlaneBetweenLists) {
  scene::Plane& plane = record("$v = Viewport.new(0, 0, 8, 8); $plane = Plane.new; $plane.viewport = $v; $plane");
  EXPECT_NE(plane.viewport, nullptr);
  EXPECT_EQ(run("$plane.viewport.equal?($v)"), "true");
  eval("$plane.viewport = nil");
  EXPECT_EQ(plane.viewport, nullptr);
  eval("$plane.dispose; $v.dispose; $plane = $v = nil");
}

TEST_F(PlaneClassTest, CollectorFreesPlanesViewportsAndBitmapsInAnyOrder) {
  EXPECT_EQ(run("GC.stress = true; srand(11); pool = []; "
                "120.times { |i| v = i % 4 == 0 ? Viewport.new(0, 0, 4, 4) : nil; p = Plane.new(v); "
                "p.bitmap = Bitmap.new(2, 2) if i.odd?; p.tone = Tone.new(1, 2, 3) if i % 3 == 0; pool << p; "
                "pool.delete_at(rand(pool.size)).dispose if i % 5 == 0; v.dispose if v && i % 8 == 0; "
                "pool.delete_at(rand(pool.size)) if i % 4 == 0 }; "
                "pool = nil; GC.stress = false; GC.start; :ok"),
            "ok");
}

}  // namespace
