// The Sprite script class in-process: defaults, conversions, shared and copied values, family links, effect
// parameters and the collector freeing sprites and bitmaps in any order.

#include <gtest/gtest.h>

#include "ClassTestEnvironment.h"
#include "SceneClasses.h"

namespace {

using bitmap::test::run;

class SpriteClassTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!bitmap::test::haveGraphics()) GTEST_SKIP() << "no GL context (set SDL_VIDEODRIVER=offscreen)";
    scene::test::defineSceneClasses();
  }
};

TEST_F(SpriteClassTest, NewSpriteHasItsDefaults) {
  EXPECT_EQ(run("s = Sprite.new; r = s.src_rect; [s.viewport, s.bitmap, [r.x, r.y, r.width, r.height], s.color.to_s, "
                "s.tone.to_s, s.opacity, s.bush_opacity, s.wave_length, s.visible, s.zoom_x, s.z, s.parent, "
                "s.children].inspect"),
            "[nil, nil, [0, 0, 0, 0], \"(0,0,0,0)\", \"(0.000000,0.000000,0.000000,0.000000)\", 255, 128, 360, true, "
            "1.0, 0, nil, []]");
}

TEST_F(SpriteClassTest, PropertiesConvertAndClamp) {
  EXPECT_EQ(run("s = Sprite.new; s.opacity = 300; a = s.opacity; s.opacity = -4; "
                "s.blend_type = 7; s.visible = 1; s.z = 3; "
                "[a, s.opacity, s.blend_type, s.visible, s.z].inspect"),
            "[255, 0, 7, false, 3]");
  EXPECT_EQ(run("s = Sprite.new; s.wave_length = 0; s.wave_amp = 8; a = s.wave_length; "
                "t = Sprite.new; t.wave_length = 50; t.wave_amp = 8; [a, t.wave_length].inspect"),
            "[180, 50]");
  EXPECT_EQ(run("Sprite.new.tone = Color.new"), "TypeError: can't convert Color into Tone");
  EXPECT_EQ(run("Sprite.new.bitmap = Color.new"), "TypeError: can't convert Color into Bitmap");
  EXPECT_EQ(run("Sprite.new.dup"), "RGSSError: can't dup Sprite");
}

TEST_F(SpriteClassTest, BitmapGivesAFreshSourceRectangleAndWidth) {
  EXPECT_EQ(run("s = Sprite.new; r = s.src_rect; s.bitmap = Bitmap.new(64, 32); r.width = 5; "
                "[(r0 = s.src_rect; [r0.x, r0.y, r0.width, r0.height]), s.width, s.height].inspect"),
            "[[0, 0, 64, 32], 64, 32]");
  EXPECT_EQ(run("s = Sprite.new; s.bitmap = Bitmap.new(64, 32); s.src_rect = Rect.new(0, 0, 0, 0); "
                "[s.width, s.height].inspect"),
            "[64, 32]");
  EXPECT_EQ(run("s = Sprite.new; r = Rect.new(1, 2, 3, 4); back = s.send(:src_rect=, r); r.x = 9; "
                "[back.equal?(s.src_rect), back.equal?(r), s.src_rect.x].inspect"),
            "[true, false, 1]");
}

TEST_F(SpriteClassTest, ToneIsSharedAndColourCopied) {
  EXPECT_EQ(run("s = Sprite.new; t = Tone.new(10, 0, 0); c = Color.new(1, 2, 3, 4); s.tone = t; s.color = c; "
                "t.red = 20; c.red = 99; [s.tone.equal?(t), s.tone.red, s.color.equal?(c), s.color.red].inspect"),
            "[true, 20, false, 1]");
}

TEST_F(SpriteClassTest, ChildrenLinkOnceAndRefuseCycles) {
  EXPECT_EQ(run("a = Sprite.new; b = Sprite.new; c = Sprite.new; a.add_child(b); c.add_child(b); "
                "[a.children.size, c.children.size, b.parent.equal?(a)].inspect"),
            "[1, 0, true]");
  EXPECT_EQ(run("a = Sprite.new; b = Sprite.new; a.add_child(b); b.add_child(a)"),
            "RGSSError: a sprite cannot be a child of itself or of its own descendant");
  EXPECT_EQ(run("a = Sprite.new; a.add_child(a)"),
            "RGSSError: a sprite cannot be a child of itself or of its own descendant");
  EXPECT_EQ(run("a = Sprite.new; b = Sprite.new; a.add_child(b); a.remove_child(b); "
                "[a.children, b.parent].inspect"),
            "[[], nil]");
  EXPECT_EQ(run("a = Sprite.new; b = Sprite.new; a.add_child(b); a.dispose; "
                "[b.parent, b.disposed?, a.disposed?].inspect"),
            "[nil, false, true]");
  EXPECT_EQ(run("a = Sprite.new; b = Sprite.new; b.dispose; a.add_child(b)"), "RGSSError: disposed sprite");
}

TEST_F(SpriteClassTest, EffectParametersKeepNumbersAndBitmapsOnly) {
  EXPECT_EQ(run("s = Sprite.new; [s.set_effect_param('a', 'text'), s.set_effect_param('b', 2), "
                "s.set_effect_param('c', 0.5), s.effect_name, (s.effect_name = 'Glow'), s.effect_name].inspect"),
            "[nil, 2, 0.5, \"\", \"Glow\", \"Glow\"]");
}

TEST_F(SpriteClassTest, DisposedSpritesRefuseUseButAnswerTheirLifecycle) {
  EXPECT_EQ(run("s = Sprite.new; s.dispose; [s.dispose, s.disposed?, s.bitmap].inspect"), "[nil, true, nil]");
  EXPECT_EQ(run("s = Sprite.new; s.dispose; s.x"), "RGSSError: disposed sprite");
  EXPECT_EQ(run("s = Sprite.new; s.dispose; s.update"), "RGSSError: disposed sprite");
}

TEST_F(SpriteClassTest, CollectorFreesFamiliesAndBitmapsInAnyOrder) {
  EXPECT_EQ(
      run("GC.stress = true; srand(7); pool = []; "
          "300.times { |i| s = Sprite.new; s.bitmap = Bitmap.new(2, 2) if i % 3 == 0; "
          "s.set_effect_param('t', Bitmap.new(1, 1)) if i % 7 == 0; "
          "pool.sample.add_child(s) if !pool.empty? && i.odd?; pool << s; "
          "pool.delete_at(rand(pool.size)).dispose if i % 5 == 0; pool.delete_at(rand(pool.size)) if i % 4 == 0 }; "
          "pool = nil; GC.stress = false; GC.start; :ok"),
      "ok");
}

}  // namespace
