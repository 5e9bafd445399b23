// The Font script class and Bitmap's text methods in-process.

#include <gtest/gtest.h>

#include <cstdlib>

#include "ClassTestEnvironment.h"
#include "bindings/Binding.h"
#include "bitmap/Bitmap.h"
#include "bitmap/Font.h"
#include "engine/Engine.h"
#include "engine/FontRegistry.h"

namespace bitmap {
namespace {

using test::run;

class FontClassTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!test::haveGraphics()) GTEST_SKIP() << "no GL context (set SDL_VIDEODRIVER=offscreen)";
  }
};

TEST_F(FontClassTest, NewFontsTakeTheClassDefaults) {
  EXPECT_EQ(run("f = Font.new; [f.size, f.bold, f.italic, f.outline, f.shadow, f.pixel, f.color.to_s, "
                "f.out_color.to_s, f.name].inspect"),
            "[24, false, false, true, false, false, \"(255,255,255,255)\", \"(0,0,0,128)\", "
            "[\"黑体\", \"宋体\", \"Arial\"]]");
  // Each font gets its own copies, of the colours and of the default name list.
  EXPECT_EQ(run("a = Font.new; b = Font.new; [a.color.equal?(b.color), a.name.equal?(Font.default_name)].inspect"),
            "[false, false]");
  EXPECT_EQ(run("[Font.new('Arial', 32).size, Font.new(nil, 2).size, Font.new('Arial').name].inspect"),
            "[32, 6, \"Arial\"]");
  EXPECT_EQ(run("Font.new(1, 2, 3)"), "ArgumentError: wrong number of arguments (given 3, expected 2)");
}

TEST_F(FontClassTest, SizesClampAndFlagsAreTrueOnlyForTrue) {
  EXPECT_EQ(run("f = Font.new; r = []; [3, 6, 7, 96, 200].each { |s| f.size = s; r << f.size }; r.inspect"),
            "[6, 6, 7, 96, 96]");
  EXPECT_EQ(run("f = Font.new; f.bold = 1; f.shadow = true; f.outline = nil; f.pixel = 'yes';"
                "[f.bold, f.shadow, f.outline, f.pixel, (f.italic = 5)].inspect"),
            "[false, true, false, false, 5]");
}

TEST_F(FontClassTest, NamesKeepTheValueAndResolveTheFace) {
  test::eval("$f = Font.new; $unknown = ['No Such Face 1', 'No Such Face 2']");
  EXPECT_EQ(run("($f.name = $unknown).equal?($unknown) && $f.name.equal?($unknown)"), "true");
  EXPECT_EQ(bindings::liveRecord<Font>(test::eval("$f")).face, defaultFace());
  EXPECT_EQ(run("$f.name = 5"), "TypeError: wrong argument type");
  EXPECT_EQ(run("$f.name = ['a', 3]"), "TypeError: wrong argument type");
  // Copies normalise: one name becomes a String, several an Array of new Strings; none is refused.
  EXPECT_EQ(run("$f.name = ['Solo']; $f.dup.name.inspect"), "\"Solo\"");
  EXPECT_EQ(run("$f.name = []; $f.dup"), "RGSSError: empty name");
}

TEST_F(FontClassTest, ColourIsCopiedInOutColourIsShared) {
  EXPECT_EQ(run("f = Font.new; c = f.color; given = Color.new(1, 2, 3); f.color = given; given.red = 99;"
                "[f.color.equal?(c), c.to_s].inspect"),
            "[true, \"(1,2,3,255)\"]");
  EXPECT_EQ(run("f = Font.new; o = Color.new(1, 1, 1); f.out_color = o; o.red = 9; [f.out_color.equal?(o), "
                "f.out_color.red].inspect"),
            "[true, 9]");
  EXPECT_EQ(run("Font.new.out_color = Tone.new"), "TypeError: can't convert Tone into Color");
  EXPECT_EQ(run("Font.new.color = 1"), "TypeError: can't convert Integer into Color");
}

TEST_F(FontClassTest, CopiesAndBitmapFontsAreIndependent) {
  EXPECT_EQ(run("f = Font.new; f.italic = true; f.size = 30; f.color = Color.new(5, 6, 7); g = f.dup;"
                "f.color.red = 0; [g.italic, g.size, g.color.to_s, g.color.equal?(f.color)].inspect"),
            "[true, 30, \"(5,6,7,255)\", false]");
  EXPECT_EQ(run("Font.new.send(:initialize_copy, Color.new)"), "TypeError: wrong argument class");
  // Assignment syntax always yields its right side, so the returned copy is seen through send.
  EXPECT_EQ(run("b = Bitmap.new(1, 1); f = Font.new; f.size = 40; r = b.send(:font=, f); f.size = 10;"
                "f.bold = true; [r.equal?(f), r.equal?(b.font), b.font.size, b.font.bold].inspect"),
            "[false, true, 40, false]");
}

TEST_F(FontClassTest, ClassDefaultsReachNewFontsOnly) {
  EXPECT_EQ(run("Font.default_size = 200; d = [Font.default_size, Font.new.size]; Font.default_size = 24; d.inspect"),
            "[200, 96]");
  EXPECT_EQ(run("Font.default_bold = 1; a = Font.default_bold; Font.default_bold = true; b = Font.new.bold;"
                "Font.default_bold = false; [a, b].inspect"),
            "[false, true]");
  EXPECT_EQ(run("c = Color.new(1, 2, 3); Font.default_color = c; f = Font.new; c.red = 50; kept = "
                "Font.default_color.equal?(c); Font.default_color = Color.new(255, 255, 255); [kept, f.color.to_s]"),
            "[true, \"(1,2,3,255)\"]");
  EXPECT_EQ(run("Font.default_out_color = 3"), "TypeError: can't convert Integer into Color");
  EXPECT_EQ(run("names = Font.default_name; Font.default_name = ['Nope']; n = Font.new.name; "
                "Font.default_name = names; n"),
            "Nope");
  EXPECT_EQ(run("names = Font.default_name; Font.default_name = []; r = (Font.new rescue $!.message); "
                "Font.default_name = names; r"),
            "empty name");
  EXPECT_EQ(run("(Font.default_name = 'Arial')"), "Arial");
  test::eval("Font.default_name = ['黑体', '宋体', 'Arial']");
}

TEST_F(FontClassTest, ExistenceAsksTheEnginesRegistry) {
  engine::FontRegistry* registry = engine::globals().font_registry;
  ASSERT_NE(registry, nullptr);
  EXPECT_EQ(run("Font.exist?('QuillonTestFace')"), "false");
  registry->addFile("/nowhere/QuillonTestFace.ttf");
  EXPECT_EQ(run("[Font.exist?('quillontestface'), Font.exist?('Quillon')].inspect"), "[true, false]");
  EXPECT_EQ(run("Font.exist?(5)"), "TypeError: wrong argument type Integer (expected String)");
}

TEST_F(FontClassTest, FontsDoNotMarshalButTheirColoursDo) {
  EXPECT_EQ(run("Marshal.dump(Font.new)"), "TypeError: no _dump_data is defined for class Font");
  EXPECT_EQ(run("Marshal.load(Marshal.dump(Font.new.out_color)).to_s"), "(0,0,0,128)");
}

// Columns and rows of a bitmap holding any pixel that is not transparent.
struct Ink {
  int left = -1;
  int right = -1;
  int top = -1;
  int bottom = -1;
};

Ink inkOf(const std::string& bitmap) {
  Bitmap& record = bindings::liveRecord<Bitmap>(test::eval(bitmap));
  const ConstPixelView pixels = record.pixels();
  Ink ink;
  for (int y = 0; y < pixels.height; ++y) {
    for (int x = 0; x < pixels.width; ++x) {
      if (alphaOf(pixels.at(x, y)) == 0) continue;
      if (ink.left < 0 || x < ink.left) ink.left = x;
      if (x > ink.right) ink.right = x;
      if (ink.top < 0) ink.top = y;
      ink.bottom = y;
    }
  }
  return ink;
}

TEST_F(FontClassTest, TextSizeMeasuresWithTheFontsHeight) {
  EXPECT_EQ(run("r = Bitmap.new(1, 1).text_size(''); [r.x, r.y, r.width, r.height].inspect"), "[0, 0, 0, 0]");
  EXPECT_EQ(run("b = Bitmap.new(1, 1); r = b.text_size('Hello'); [r.x, r.y, r.width > 20, r.height].inspect"),
            "[0, 0, true, 24]");
  EXPECT_EQ(run("b = Bitmap.new(1, 1); b.font.size = 40; b.text_size(12).height"), "40");
  EXPECT_EQ(run("b = Bitmap.new(1, 1); b.text_size('漢字').width > 30"), "true");
}

TEST_F(FontClassTest, DrawTextSqueezesToFitAndStaysInsideLowRectangles) {
  test::eval(R"(
    $full = Bitmap.new(300, 40); $full.font.outline = false
    $w = $full.text_size('Squeeze me').width
    $full.draw_text(0, 0, 300, 40, 'Squeeze me')
    $fit = Bitmap.new(300, 40); $fit.font.outline = false
    $fit.draw_text(0, 0, $w + 2, 40, 'Squeeze me')
    $long = Bitmap.new(300, 40); $long.font.outline = false
    $long.draw_text(0, 0, 20, 40, 'Squeeze me')
    $low = Bitmap.new(100, 60); $low.font.outline = false
    $low.draw_text(0, 20, 100, 4, 'Hg')
  )");
  const Ink full = inkOf("$full");
  const Ink fit = inkOf("$fit");
  const Ink squeezedHard = inkOf("$long");
  ASSERT_GT(full.right, 40);
  const double fitRatio = static_cast<double>(fit.right - fit.left) / (full.right - full.left);
  EXPECT_NEAR(fitRatio, 0.85, 0.04);
  const double longRatio = static_cast<double>(squeezedHard.right - squeezedHard.left) / (full.right - full.left);
  EXPECT_NEAR(longRatio, 0.6, 0.04);
  EXPECT_GT(squeezedHard.right, 20);  // overflows its rectangle on the right
  const Ink low = inkOf("$low");
  EXPECT_GE(low.top, 20);
  EXPECT_GT(low.bottom, 24);
}

TEST_F(FontClassTest, AlignmentOutlineShadowAndGradient) {
  test::eval(R"(
    $left = Bitmap.new(200, 30); $left.font.outline = false; $left.draw_text(0, 0, 200, 30, 'ab')
    $right = Bitmap.new(200, 30); $right.font.outline = false; $right.draw_text(0, 0, 200, 30, 'ab', 2)
    $centre = Bitmap.new(200, 30); $centre.font.outline = false; $centre.draw_text($centre.rect, 'ab', 1)
    $grad = Bitmap.new(60, 40); $grad.font.outline = false; $grad.font.size = 30
    $grad.draw_text_gradient(0, 0, 60, 40, 'I', Color.new(255, 0, 0), Color.new(0, 0, 255))
  )");
  const Ink left = inkOf("$left");
  const Ink right = inkOf("$right");
  const Ink centre = inkOf("$centre");
  EXPECT_LT(left.left, 5);
  EXPECT_GT(right.right, 190);
  EXPECT_NEAR((centre.left + centre.right) / 2.0, 100, 6);
  const Ink gradient = inkOf("$grad");
  ASSERT_GE(gradient.bottom - gradient.top, 8);
  const std::string x = std::to_string((gradient.left + gradient.right) / 2);
  EXPECT_EQ(run("c = $grad.get_pixel(" + x + ", " + std::to_string(gradient.top + 1) + "); c.red > c.blue"), "true");
  EXPECT_EQ(run("c = $grad.get_pixel(" + x + ", " + std::to_string(gradient.bottom - 1) + "); c.blue > c.red"), "true");
  // The outline reaches one pixel past the body; the shadow falls one pixel right and down in opaque black (1-bit
  // glyphs, so coverage is whole).
  test::eval(R"(
    $plain = Bitmap.new(60, 40); $plain.font.outline = false; $plain.font.pixel = true
    $plain.draw_text(0, 0, 60, 40, 'I')
    $rim = Bitmap.new(60, 40); $rim.font.pixel = true; $rim.draw_text(0, 0, 60, 40, 'I')
    $shade = Bitmap.new(60, 40); $shade.font.outline = false; $shade.font.shadow = true; $shade.font.pixel = true
    $shade.draw_text(0, 0, 60, 40, 'I')
  )");
  const Ink plain = inkOf("$plain");
  const Ink rim = inkOf("$rim");
  const Ink shade = inkOf("$shade");
  EXPECT_EQ(rim.left, plain.left - 1);
  EXPECT_EQ(rim.bottom, plain.bottom + 1);
  EXPECT_EQ(shade.right, plain.right + 1);
  EXPECT_EQ(run("$shade.get_pixel(" + std::to_string(shade.right) + ", " + std::to_string(plain.bottom + 1) + ")"),
            "(0,0,0,255)");
}

TEST_F(FontClassTest, CjkAndLatinTextBothDraw) {
  EXPECT_EQ(run("b = Bitmap.new(120, 30); b.draw_text(b.rect, '漢字かな'); "
                "(0...120).count { |x| (0...30).any? { |y| b.get_pixel(x, y).alpha > 0 } } > 40"),
            "true");
  EXPECT_EQ(run("b = Bitmap.new(120, 30); b.draw_text(b.rect, 'Latin 123 😀'); "
                "(0...120).count { |x| (0...30).any? { |y| b.get_pixel(x, y).alpha > 0 } } > 40"),
            "true");
  EXPECT_EQ(run("b = Bitmap.new(10, 10); b.draw_text(b.rect, ''); b.draw_text(b.rect, nil); "
                "b.get_pixel(5, 5).alpha"),
            "0");
}

}  // namespace
}  // namespace bitmap
