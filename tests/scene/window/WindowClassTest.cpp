// The Window script class in-process: defaults, argument checks and clamps, what the skin paints, how the
// frame's layout arranges the nine parts, and the collector freeing windows, skins and contents in any order.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "ClassTestEnvironment.h"
#include "SceneClasses.h"
#include "bindings/Binding.h"
#include "bitmap/Bitmap.h"
#include "scene/DrawOrder.h"
#include "scene/Sprite.h"
#include "scene/Viewport.h"
#include "scene/Window.h"
#include "scene/WindowClass.h"

namespace {

using bitmap::test::eval;
using bitmap::test::run;
using scene::WindowPart;

// A 128 x 128 skin whose regions are told apart by colour: blue back base, a transparent pattern, a red
// frame with green arrows in its middle, a white cursor and one colour per pause frame.
constexpr const char* kSkinScript = R"(
  def make_skin
    s = Bitmap.new(128, 128)
    s.fill_rect(0, 0, 64, 64, Color.new(0, 0, 255))
    s.fill_rect(64, 0, 64, 64, Color.new(255, 0, 0))
    green = Color.new(0, 255, 0)
    [[88, 16, 16, 8], [80, 24, 8, 16], [104, 24, 8, 16], [88, 40, 16, 8]].each { |r| s.fill_rect(*r, green) }
    s.fill_rect(64, 64, 32, 32, Color.new(255, 255, 255))
    s.fill_rect(96, 64, 16, 16, Color.new(255, 255, 0))
    s.fill_rect(112, 64, 16, 16, Color.new(0, 255, 255))
    s.fill_rect(96, 80, 16, 16, Color.new(255, 0, 255))
    s.fill_rect(112, 80, 16, 16, Color.new(128, 128, 128))
    s
  end
)";

constexpr std::uint32_t kBlue = 0xFF0000FF;
constexpr std::uint32_t kRed = 0xFFFF0000;
constexpr std::uint32_t kWhite = 0xFFFFFFFF;

scene::Window& record(const char* expression) { return bindings::liveRecord<scene::Window>(eval(expression)); }

std::uint32_t pixelOf(bitmap::Bitmap* image, int x, int y) {
  if (image == nullptr) return 0;
  const bitmap::ConstPixelView pixels = image->pixels();
  if (x < 0 || y < 0 || x >= pixels.width || y >= pixels.height) return 0;
  return pixels.data[static_cast<std::size_t>(y) * static_cast<std::size_t>(pixels.stride) + x];
}

engine::RectData sourceOf(const scene::Sprite& sprite) {
  return sprite.sourceRect != nullptr ? *sprite.sourceRect : engine::RectData{-1, -1, -1, -1};
}

class WindowClassTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!bitmap::test::haveGraphics()) GTEST_SKIP() << "no GL context (set SDL_VIDEODRIVER=offscreen)";
    scene::test::defineSceneClasses();
    static const bool defined = [] {
      scene::defineWindowClass();
      bitmap::test::eval(kSkinScript);
      return true;
    }();
    (void)defined;
  }

  void TearDown() override {
    if (bitmap::test::haveGraphics()) run("$w.dispose if $w; $w = nil");
  }
};

TEST_F(WindowClassTest, NewWindowHasItsDefaults) {
  EXPECT_EQ(run("w = Window.new(0, 0, 160, 96); r = w.cursor_rect; [w.contents.width, w.contents.height, w.x, w.y, "
                "w.width, w.height, w.z, w.ox, w.oy, w.padding, w.padding_bottom, w.opacity, w.back_opacity, "
                "w.contents_opacity, w.openness, w.back_indent, w.active, w.visible, w.arrows_visible, w.pause, "
                "w.windowskin, w.viewport, w.tone.to_s, [r.x, r.y, r.width, r.height], w.open?, w.close?].inspect"),
            "[144, 80, 0, 0, 160, 96, 100, 0, 0, 8, 8, 255, 192, 255, 255, 2, true, true, true, false, nil, nil, "
            "\"(0.000000,0.000000,0.000000,0.000000)\", [0, 0, 0, 0], true, false]");
  EXPECT_EQ(run("c = Window.new(3, 4).contents; [c.width, c.height, c.font.class, c.disposed?].inspect"),
            "[0, 0, Font, false]");
}

TEST_F(WindowClassTest, CreationChecksItsArguments) {
  EXPECT_EQ(run("w = Window.new(1, 2, 3); [w.x, w.y, w.width, w.height].inspect"), "[1, 2, 3, 0]");
  EXPECT_EQ(run("Window.new(0, 0, 8, 8, 1)"), "ArgumentError: wrong number of arguments (given 5, expected 4)");
  EXPECT_EQ(run("Window.new(0, 0, -1, 8)"), "RGSSError: invaild argument");
  EXPECT_EQ(run("Window.new(0, 0, 8, -1)"), "RGSSError: invaild argument");
  EXPECT_EQ(run("Window.new.clone"), "RGSSError: can't clone Window");
  EXPECT_EQ(run("Window.new.dup"), "RGSSError: can't dup Window");
}

TEST_F(WindowClassTest, SettersClampAndReturnTheirArgument) {
  EXPECT_EQ(run("w = Window.new(0, 0, 64, 64); w.back_indent = -5; w.opacity = 300; w.width = -1; w.height = 0; "
                "w.openness = -3; w.contents_opacity = 128; w.visible = 1; w.pause = true; w.z = 7; "
                "[w.back_indent, w.opacity, w.width, w.height, w.openness, w.contents_opacity, w.visible, w.pause, "
                "w.z, w.close?].inspect"),
            "[2, 255, 0, 0, 0, 128, false, true, 7, true]");
  EXPECT_EQ(run("w = Window.new; w.padding = 12; a = [w.padding, w.padding_bottom]; w.padding_bottom = 4; "
                "(a + [w.padding, w.padding_bottom]).inspect"),
            "[12, 12, 12, 4]");
  EXPECT_EQ(run("w = Window.new; [w.send(:opacity=, 300), w.send(:width=, -9), w.send(:back_indent=, -1)].inspect"),
            "[300, -9, -1]");
  EXPECT_EQ(run("w = Window.new; w.move(1, 2, -3, 4); [w.x, w.y, w.width, w.height].inspect"), "[1, 2, -3, 4]");
}

TEST_F(WindowClassTest, ArgumentClassesAreChecked) {
  EXPECT_EQ(run("Window.new.viewport = Color.new"), "TypeError: can't convert Color into Viewport");
  EXPECT_EQ(run("Window.new.windowskin = 1"), "TypeError: can't convert Integer into Bitmap");
  EXPECT_EQ(run("Window.new.contents = :x"), "TypeError: can't convert Symbol into Bitmap");
  EXPECT_EQ(run("Window.new.cursor_rect = Color.new"), "TypeError: can't convert Color into Rect");
  EXPECT_EQ(run("Window.new.tone = Color.new"), "TypeError: can't convert Color into Tone");
}

TEST_F(WindowClassTest, CursorRectAndToneAreSharedObjects) {
  EXPECT_EQ(run("w = Window.new; r = Rect.new(1, 2, 3, 4); t = Tone.new(10, 0, 0); w.cursor_rect = r; w.tone = t; "
                "r.x = 9; t.red = 20; [w.cursor_rect.equal?(r), w.cursor_rect.x, w.tone.equal?(t), w.tone.red]"
                ".inspect"),
            "[true, 9, true, 20]");
  run("$w = Window.new(0, 0, 64, 64); $t = Tone.new(30, 0, 0); $w.tone = $t");
  scene::layoutWindows();
  scene::Window& window = record("$w");
  EXPECT_EQ(window.part(WindowPart::Back).tone, window.tone) << "the back shows the window's tone";
  EXPECT_FLOAT_EQ(window.part(WindowPart::Back).tone->red, 30.0f / 255.0f);
}

TEST_F(WindowClassTest, DisposeReleasesOnlyWhatTheWindowOwns) {
  run("$w = Window.new(0, 0, 64, 64); $s = make_skin; $w.windowskin = $s; $c = $w.contents");
  const std::size_t listed = scene::windowList().size();
  scene::Window& window = record("$w");
  EXPECT_NE(window.part(WindowPart::Back).bitmap, nullptr);
  EXPECT_EQ(run("[$w.dispose, $w.dispose, $w.disposed?, $c.disposed?, $s.disposed?].inspect"),
            "[nil, nil, true, false, false]");
  EXPECT_EQ(scene::windowList().size(), listed - 1);
  for (int i = 0; i < scene::kWindowParts; ++i) {
    const scene::Sprite& part = window.part(static_cast<WindowPart>(i));
    EXPECT_TRUE(part.disposed()) << "part " << i;
  }
  EXPECT_EQ(window.part(WindowPart::Back).bitmap, nullptr);
  EXPECT_EQ(window.part(WindowPart::Cursor).bitmap, nullptr);
  EXPECT_EQ(run("$w.x"), "RGSSError: disposed window");
  EXPECT_EQ(run("$w.update"), "RGSSError: disposed window");
  EXPECT_EQ(run("$c.width"), "48") << "the first contents outlives the window";
  run("$s = $c = nil");
}

TEST_F(WindowClassTest, SkinPaintsBackFrameArrowsAndPause) {
  run("$w = Window.new(0, 0, 160, 96); $w.windowskin = make_skin");
  scene::Window& window = record("$w");
  bitmap::Bitmap* back = window.part(WindowPart::Back).bitmap;
  bitmap::Bitmap* frame = window.part(WindowPart::Frame).bitmap;
  ASSERT_NE(back, nullptr);
  ASSERT_NE(frame, nullptr);
  EXPECT_EQ(back->width(), 160);
  EXPECT_EQ(back->height(), 96);
  EXPECT_EQ(pixelOf(back, 1, 1), 0u) << "outside the back indent";
  EXPECT_EQ(pixelOf(back, 2, 2), kBlue);
  EXPECT_EQ(pixelOf(back, 157, 93), kBlue);
  EXPECT_EQ(pixelOf(back, 158, 93), 0u);
  EXPECT_EQ(pixelOf(frame, 0, 0), kRed);
  EXPECT_EQ(pixelOf(frame, 159, 95), kRed);
  EXPECT_EQ(pixelOf(frame, 80, 8), kRed) << "top edge tiled";
  EXPECT_EQ(pixelOf(frame, 80, 40), 0u) << "the frame is hollow";
  const bitmap::Bitmap* skin = window.windowskin;
  EXPECT_EQ(window.part(WindowPart::UpArrow).bitmap, skin);
  EXPECT_EQ(sourceOf(window.part(WindowPart::UpArrow)).x, 88);
  EXPECT_EQ(sourceOf(window.part(WindowPart::RightArrow)).x, 104);
  EXPECT_EQ(window.part(WindowPart::Pause).bitmap, skin);
}

TEST_F(WindowClassTest, CursorBitmapIsOnePixelLargerAndRepaintedOnlyOnResize) {
  run("$w = Window.new(0, 0, 160, 96); $s = make_skin; $w.windowskin = $s; $w.cursor_rect.set(0, 0, 100, 24)");
  scene::layoutWindows();
  scene::Window& window = record("$w");
  bitmap::Bitmap* cursor = window.part(WindowPart::Cursor).bitmap;
  ASSERT_NE(cursor, nullptr);
  EXPECT_EQ(cursor->width(), 101);
  EXPECT_EQ(cursor->height(), 25);
  EXPECT_EQ(pixelOf(cursor, 100, 24), kWhite);
  EXPECT_EQ(pixelOf(cursor, 50, 12), kWhite);

  // The skin changes behind the window's back: only a repaint would show it.
  run("$s.fill_rect(64, 64, 32, 32, Color.new(0, 0, 255)); $w.cursor_rect.set(30, 40, 100, 24)");
  scene::layoutWindows();
  cursor = window.part(WindowPart::Cursor).bitmap;
  EXPECT_EQ(pixelOf(cursor, 50, 12), kWhite) << "a move alone does not repaint";
  EXPECT_EQ(window.part(WindowPart::Cursor).x, 0 + 30 + 8);
  EXPECT_EQ(window.part(WindowPart::Cursor).y, 0 + 40 + 8);

  run("$w.cursor_rect = Rect.new(0, 0, 50, 24)");
  cursor = window.part(WindowPart::Cursor).bitmap;
  ASSERT_NE(cursor, nullptr);
  EXPECT_EQ(cursor->width(), 51);
  EXPECT_EQ(pixelOf(cursor, 25, 12), kBlue) << "a new size repaints";
  EXPECT_EQ(sourceOf(window.part(WindowPart::Cursor)).width, 51);
}

TEST_F(WindowClassTest, OpennessScalesBackAndFrameAboutTheCentreAndHidesTheRest) {
  run("$w = Window.new(10, 20, 160, 96); $w.windowskin = make_skin; $w.cursor_rect.set(0, 0, 100, 24); "
      "$w.pause = true; $w.contents = Bitmap.new(300, 300); $w.ox = 4; $w.oy = 4; $w.openness = 128");
  scene::layoutWindows();
  scene::Window& window = record("$w");
  for (WindowPart shell : {WindowPart::Back, WindowPart::Frame}) {
    const scene::Sprite& sprite = window.part(shell);
    EXPECT_TRUE(sprite.visible);
    EXPECT_EQ(sprite.y, 20 + 48);
    EXPECT_EQ(sprite.oy, 48);
    EXPECT_FLOAT_EQ(sprite.zoomY, 128.0f / 255.0f);
    EXPECT_EQ(sprite.z, 100.0);
  }
  for (WindowPart hidden : {WindowPart::Contents, WindowPart::Cursor, WindowPart::Pause, WindowPart::UpArrow,
                            WindowPart::LeftArrow, WindowPart::RightArrow, WindowPart::DownArrow}) {
    EXPECT_FALSE(window.part(hidden).visible) << static_cast<int>(hidden);
  }
  run("$w.openness = 255");
  scene::layoutWindows();
  for (WindowPart shown : {WindowPart::Contents, WindowPart::Cursor, WindowPart::Pause, WindowPart::UpArrow,
                           WindowPart::LeftArrow, WindowPart::RightArrow, WindowPart::DownArrow}) {
    EXPECT_TRUE(window.part(shown).visible) << static_cast<int>(shown);
  }
  EXPECT_FLOAT_EQ(window.part(WindowPart::Back).zoomY, 1.0f);
  EXPECT_EQ(window.part(WindowPart::Back).opacity, 192);
  const engine::RectData source = sourceOf(window.part(WindowPart::Contents));
  EXPECT_EQ(source.x, 4);
  EXPECT_EQ(source.width, 144);
  EXPECT_EQ(source.height, 80);
  // Cursor below the contents, both below the arrows and the pause sign, all at the window's z.
  const auto below = [&](WindowPart lower, WindowPart upper) {
    return scene::drawsBefore(scene::drawKey(window.part(lower)), scene::drawKey(window.part(upper)));
  };
  EXPECT_TRUE(below(WindowPart::Cursor, WindowPart::Contents));
  EXPECT_TRUE(below(WindowPart::Contents, WindowPart::Pause));
  EXPECT_TRUE(below(WindowPart::Frame, WindowPart::Cursor));
  EXPECT_EQ(window.part(WindowPart::Pause).z, 100.0);
}

TEST_F(WindowClassTest, CursorOpacityWavesWhileActiveOnly) {
  run("$w = Window.new(0, 0, 160, 96); $w.cursor_rect.set(0, 0, 10, 10)");
  scene::Window& window = record("$w");
  std::vector<int> seen;
  for (int i = 0; i < 41; ++i) {
    scene::layoutWindows();
    seen.push_back(window.part(WindowPart::Cursor).opacity);
    run("$w.update");
  }
  std::vector<int> expected;
  for (int b = 255; b >= 103; b -= 8) expected.push_back(b);
  for (int b = 95; b <= 247; b += 8) expected.push_back(b);
  expected.push_back(255);
  EXPECT_EQ(seen, expected);

  run("$w.update; $w.update; $w.contents_opacity = 128");
  scene::layoutWindows();
  EXPECT_EQ(window.part(WindowPart::Cursor).opacity, 231 * 128 / 255);
  run("$w.active = false; 5.times { $w.update }");
  scene::layoutWindows();
  EXPECT_EQ(window.part(WindowPart::Cursor).opacity, 231 * 128 / 255) << "an inactive window's cursor stands still";
}

TEST_F(WindowClassTest, ArrowsAppearExactlyWhenTheContentsScroll) {
  run("$w = Window.new(0, 0, 160, 96); $w.windowskin = make_skin; $w.contents = Bitmap.new(144, 200)");
  scene::Window& window = record("$w");
  const auto arrows = [&] {
    scene::layoutWindows();
    std::string shown;
    for (WindowPart arrow :
         {WindowPart::UpArrow, WindowPart::LeftArrow, WindowPart::RightArrow, WindowPart::DownArrow}) {
      shown += window.part(arrow).visible ? '1' : '0';
    }
    return shown;
  };
  EXPECT_EQ(arrows(), "0001");
  run("$w.oy = 10");
  EXPECT_EQ(arrows(), "1001");
  run("$w.oy = 120");
  EXPECT_EQ(arrows(), "1000");
  run("$w.arrows_visible = false");
  EXPECT_EQ(arrows(), "0000");
  run("$w.arrows_visible = true; $w.oy = 0; $w.contents = Bitmap.new(144, 80)");
  EXPECT_EQ(arrows(), "0000") << "contents that fit the inside";
  run("$w.ox = 3; $w.contents = nil");
  EXPECT_EQ(arrows(), "0100");
  EXPECT_EQ(window.part(WindowPart::Contents).bitmap, nullptr);
  EXPECT_EQ(window.part(WindowPart::DownArrow).y, 96 - 12);
  EXPECT_EQ(window.part(WindowPart::RightArrow).x, 160 - 12);
}

TEST_F(WindowClassTest, RemovingTheSkinKeepsThePaintedLook) {
  run("$w = Window.new(0, 0, 160, 96); $w.windowskin = make_skin");
  scene::Window& window = record("$w");
  bitmap::Bitmap* painted = window.windowskin;
  run("$w.windowskin = nil; $w.move(0, 0, 200, 120); GC.start");
  EXPECT_EQ(run("$w.windowskin.inspect"), "nil");
  bitmap::Bitmap* back = window.part(WindowPart::Back).bitmap;
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(back->width(), 160) << "nothing repainted without a skin";
  EXPECT_EQ(pixelOf(back, 10, 10), kBlue);
  // The arrows still show the skin they were given, which the window keeps alive.
  EXPECT_EQ(window.part(WindowPart::UpArrow).bitmap, painted);
  EXPECT_EQ(window.paintedSkin(), painted);
  EXPECT_EQ(&bindings::liveRecord<bitmap::Bitmap>(bindings::api().iv_get(eval("$w"), "painted_skin")), painted);
}

TEST_F(WindowClassTest, PartsFollowTheViewport) {
  run("$v = Viewport.new(0, 0, 50, 50); $w = Window.new; $w.viewport = $v");
  scene::Window& window = record("$w");
  const scene::Viewport& viewport = bindings::liveRecord<scene::Viewport>(eval("$v"));
  EXPECT_EQ(viewport.drawList.size(), static_cast<std::size_t>(scene::kWindowParts));
  for (int i = 0; i < scene::kWindowParts; ++i) {
    EXPECT_EQ(viewport.drawList[static_cast<std::size_t>(i)], &window.part(static_cast<WindowPart>(i)))
        << "parts keep their creation order";
  }
  run("$w.viewport = nil");
  EXPECT_TRUE(viewport.drawList.empty());
  EXPECT_EQ(run("$w.viewport.inspect"), "nil");
  run("$v.dispose; $v = nil");
}

TEST_F(WindowClassTest, TinyWindowsDrawWithoutNegativeSizes) {
  run("$w = Window.new(0, 0, 8, 8); $w.padding = 12; $w.windowskin = make_skin; $w.cursor_rect.set(0, 0, 2, 2)");
  scene::layoutWindows();
  scene::Window& window = record("$w");
  EXPECT_EQ(run("[$w.contents.width, $w.contents.height].inspect"), "[0, 0]");
  ASSERT_NE(window.part(WindowPart::Back).bitmap, nullptr);
  EXPECT_EQ(window.part(WindowPart::Back).bitmap->width(), 8);
  EXPECT_EQ(window.part(WindowPart::Cursor).bitmap->width(), 3);
  EXPECT_EQ(sourceOf(window.part(WindowPart::Contents)).width, 0);
  EXPECT_EQ(sourceOf(window.part(WindowPart::Contents)).height, 0);

  run("$w.move(0, 0, -5, -5); $w.cursor_rect.set(0, 0, -10, 3)");
  scene::layoutWindows();
  EXPECT_EQ(window.part(WindowPart::Back).bitmap, nullptr);
  EXPECT_EQ(window.part(WindowPart::Frame).bitmap, nullptr);
  EXPECT_EQ(window.part(WindowPart::Cursor).bitmap, nullptr);
  EXPECT_EQ(run("w = Window.new; w.windowskin = make_skin; w.cursor_rect.set(1, 1, 1, 1); w.update; w.dispose; :ok"),
            "ok");
  scene::layoutWindows();
}

TEST_F(WindowClassTest, CollectorFreesWindowsSkinsAndContentsInAnyOrder) {
  run("$skins = Array.new(3) { make_skin }; GC.stress = true; srand(5); $pool = []; "
      "$ports = [Viewport.new(0, 0, 40, 40)]");
  for (int round = 0; round < 3; ++round) {
    EXPECT_EQ(run("24.times { |i| w = Window.new(i, i, 20 + i, 10 + i); w.windowskin = $skins.sample if i % 3 == 0; "
                  "w.contents = Bitmap.new(4, 4) if i % 4 == 0; w.viewport = $ports.sample if i % 5 == 0; "
                  "w.cursor_rect.set(0, 0, i, 4) if i.odd?; w.windowskin = nil if i % 6 == 0; $pool << w; "
                  "$pool.delete_at(rand($pool.size)).dispose if i % 7 == 0; $pool.delete_at(rand($pool.size)) "
                  "if i % 2 == 0; $ports << Viewport.new if i == 9; $ports.shift.dispose if i == 20; $skins[rand(3)] = "
                  "make_skin if i == 12 }; :ok"),
              "ok");
    scene::layoutWindows();
  }
  EXPECT_EQ(run("$pool = $ports = $skins = nil; GC.stress = false; GC.start; :ok"), "ok");
  scene::layoutWindows();
}

}  // namespace
