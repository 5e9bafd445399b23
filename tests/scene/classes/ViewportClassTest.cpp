// The Viewport script class in-process, and sprites placed in viewports, under the collector.

#include <gtest/gtest.h>

#include <string>

#include "ClassTestEnvironment.h"
#include "SceneClasses.h"
#include "platform/window/Screen.h"

namespace {

using bitmap::test::run;

class ViewportClassTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!bitmap::test::haveGraphics()) GTEST_SKIP() << "no GL context (set SDL_VIDEODRIVER=offscreen)";
    scene::test::defineSceneClasses();
  }
};

TEST_F(ViewportClassTest, CreationFormsAndTheirRefusals) {
  EXPECT_EQ(
      run("r = Viewport.new.rect; [r.x, r.y, r.width, r.height].inspect"),
      "[0, 0, " + std::to_string(windowing::g_screenWidth) + ", " + std::to_string(windowing::g_screenHeight) + "]");
  EXPECT_EQ(run("src = Rect.new(1, 2, 3, 4); v = Viewport.new(src); src.x = 9; "
                "[v.rect.x, v.rect.equal?(src)].inspect"),
            "[1, false]");
  EXPECT_EQ(run("r = Viewport.new(5, 6, 7, 8).rect; [r.x, r.y, r.width, r.height].inspect"), "[5, 6, 7, 8]");
  EXPECT_EQ(run("Viewport.new(1, 2)"), "TypeError: wrong argument");
  EXPECT_EQ(run("Viewport.new(Color.new)"), "TypeError: can't convert Color into Rect");
  EXPECT_EQ(run("Viewport.new.clone"), "RGSSError: can't clone Viewport");
}

TEST_F(ViewportClassTest, RectAndToneAreSharedAndColourCopied) {
  EXPECT_EQ(run("v = Viewport.new; r = Rect.new(1, 1, 1, 1); t = Tone.new; c = Color.new(1, 2, 3, 4); "
                "v.rect = r; v.tone = t; v.color = c; [v.rect.equal?(r), v.tone.equal?(t), "
                "v.color.equal?(c), v.color.red].inspect"),
            "[true, true, false, 1]");
  EXPECT_EQ(run("Viewport.new.flash(nil, 5)"), "TypeError: can't convert NilClass into Color");
  EXPECT_EQ(run("v = Viewport.new; v.z = 7; v.visible = 1; v.ox = -3; [v.z, v.visible, v.ox].inspect"),
            "[7, false, -3]");
}

TEST_F(ViewportClassTest, FastLayersAndDisposal) {
  EXPECT_EQ(run("v = Viewport.new; [v.add_fast_layer(-2, 1), v.remove_fast_layer(-2), v.clear_fast_layers]"
                ".inspect"),
            "[-2, -2, nil]");
  EXPECT_EQ(run("v = Viewport.new; v.dispose; [v.dispose, v.disposed?].inspect"), "[nil, true]");
  EXPECT_EQ(run("v = Viewport.new; v.dispose; v.z"), "RGSSError: disposed viewport");
}

TEST_F(ViewportClassTest, SpritesTakeViewportsOnly) {
  EXPECT_EQ(run("v = Viewport.new; s = Sprite.new(v); t = Sprite.new; t.viewport = v; "
                "[s.viewport.equal?(v), t.viewport.equal?(v)].inspect"),
            "[true, true]");
  EXPECT_EQ(run("Sprite.new(Color.new)"), "TypeError: can't convert Color into Viewport");
  EXPECT_EQ(run("Sprite.new.viewport = Rect.new"), "TypeError: can't convert Rect into Viewport");
}

TEST_F(ViewportClassTest, SnapshotHasTheRectanglesSize) {
  EXPECT_EQ(run("b = Viewport.new(0, 0, 5, 3).snap_to_bitmap; [b.width, b.height].inspect"), "[5, 3]");
  EXPECT_EQ(run("Viewport.new(0, 0, 0, 3).snap_to_bitmap"), "RGSSError: failed to create bitmap of 0 x 3");
}

TEST_F(ViewportClassTest, CollectorFreesViewportsSpritesAndBitmapsInAnyOrder) {
  EXPECT_EQ(run("GC.stress = true; srand(11); ports = []; sprites = []; "
                "400.times { |i| ports << Viewport.new(i % 7, 0, 8, 8) if i % 9 == 0; "
                "s = Sprite.new(ports.empty? || i.even? ? nil : ports.sample); "
                "s.bitmap = Bitmap.new(1, 1) if i % 4 == 0; sprites << s; "
                "ports.delete_at(rand(ports.size)).dispose if i % 23 == 0 && !ports.empty?; "
                "s.viewport = ports.sample if i % 5 == 0; "
                "sprites.delete_at(rand(sprites.size)) if i % 3 == 0; ports.shift if i % 31 == 0 }; "
                "ports = sprites = nil; GC.stress = false; GC.start; :ok"),
            "ok");
}

}  // namespace
