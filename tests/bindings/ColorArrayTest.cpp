#include "bindings/ColorArray.h"

#include <gtest/gtest.h>

#include <array>

#include "ScriptEnvironment.h"
#include "bindings/Binding.h"

namespace bindings {
namespace {

using test::run;

std::array<Color, 6> g_pixels;

// Stands in for Bitmap#process_color: hands the block the pixels, then takes them back.
Value pixelsProcess(Value) {
  int state = 0;
  Value result = yieldColorArray(g_pixels.data(), static_cast<long>(g_pixels.size()), &state);
  if (state != 0) {
    api().jump_tag(state);
  }
  return result;
}

class ColorArrayTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ModuleDef("PixelProbe").function<&pixelsProcess>("process"); }
  void SetUp() override {
    for (std::size_t i = 0; i < g_pixels.size(); ++i) {
      g_pixels[i] = Color{static_cast<std::uint8_t>(i), 0, 0, 255};
    }
  }
};

TEST_F(ColorArrayTest, IndexingReadsAndWritesThePixels) {
  EXPECT_EQ(run("PixelProbe.process { |a| [a.size, a[3].blue, a[3].alpha].inspect }"), "[6, 3, 255]");
  EXPECT_EQ(run("PixelProbe.process { |a| a[1] = Color.new(1, 2, 3, 4) }"), "(1,2,3,4)");
  EXPECT_EQ(g_pixels[1], (Color{3, 2, 1, 4}));
  run("PixelProbe.process { |a| c = a[2]; c.red = 200; c.set(c.red, 7, c.blue, 9) }");
  EXPECT_EQ(g_pixels[2], (Color{2, 7, 200, 9}));
}

TEST_F(ColorArrayTest, IndicesOutsideThePixelsRaise) {
  EXPECT_EQ(run("PixelProbe.process { |a| a[6] }"), "IndexError: index 6 outside of ColorArray of 6 pixels");
  EXPECT_EQ(run("PixelProbe.process { |a| a[-1] = Color.new }"),
            "IndexError: index -1 outside of ColorArray of 6 pixels");
  EXPECT_EQ(run("PixelProbe.process { |a| a[0] = Tone.new }"), "TypeError: can't convert Tone into Color");
}

TEST_F(ColorArrayTest, SaveAndLoadCopyRawPixelsWithinBothBounds) {
  EXPECT_EQ(run("s = 'x' * 10; PixelProbe.process { |a| a.save_data(s, 2) }; s.bytes.inspect"),
            "[0, 0, 0, 255, 1, 0, 0, 255, 120, 120]");
  run("PixelProbe.process { |a| a.load_data([9, 8, 7, 6, 5, 4, 3, 2].pack('C*'), 2) }");
  EXPECT_EQ(g_pixels[0], (Color{9, 8, 7, 6}));
  EXPECT_EQ(g_pixels[1], (Color{5, 4, 3, 2}));
  EXPECT_EQ(g_pixels[2], (Color{2, 0, 0, 255}));
  // Writing into a copy must not show through the string it was copied from.
  EXPECT_EQ(run("s = 'y' * 8; t = s.dup; PixelProbe.process { |a| a.save_data(t, 1) }; s"), "yyyyyyyy");
  EXPECT_EQ(run("PixelProbe.process { |a| a.save_data('x' * 8, 3) }"),
            "ArgumentError: string of 8 bytes is too short for 3 pixels");
  EXPECT_EQ(run("PixelProbe.process { |a| a.load_data('x' * 40, 7) }"),
            "ArgumentError: count 7 outside of ColorArray of 6 pixels");
  EXPECT_EQ(run("PixelProbe.process { |a| a.load_data('x' * 40, -1) }"),
            "ArgumentError: count -1 outside of ColorArray of 6 pixels");
  EXPECT_EQ(run("PixelProbe.process { |a| a.save_data('x' * 8, 2).inspect }"), "nil");
  EXPECT_EQ(run("PixelProbe.process { |a| a.save_data(('x' * 8).freeze, 1) }").rfind("FrozenError", 0), 0u);
}

TEST_F(ColorArrayTest, ArrayAndViewsRaiseOnceTheBlockIsOver) {
  EXPECT_EQ(run("$array = nil; PixelProbe.process { |a| $array = a; $view = a[0] }; $array[0]"),
            "RGSSError: ColorArray used outside its process_color block");
  EXPECT_EQ(run("$view.red"), "RGSSError: Color of a ColorArray used outside its process_color block");
  EXPECT_EQ(run("$view.red = 1"), "RGSSError: Color of a ColorArray used outside its process_color block");
  EXPECT_EQ(run("Color.new.set($view)"), "RGSSError: Color of a ColorArray used outside its process_color block");
  EXPECT_EQ(run("$array.save_data('x' * 4, 1)"), "RGSSError: ColorArray used outside its process_color block");
  EXPECT_EQ(run("PixelProbe.process { |a| $view = a[1]; raise 'stop' }"), "RuntimeError: stop");
  EXPECT_EQ(run("$view.dup"), "RGSSError: Color of a ColorArray used outside its process_color block");
  EXPECT_EQ(run("PixelProbe.process { |a| $copy = a[4].dup }; $copy.blue"), "4");
}

TEST_F(ColorArrayTest, ViewsSurviveTheCollectorUnderStress) {
  EXPECT_EQ(run("GC.stress = true; begin; PixelProbe.process { |a| 6.times { |i| a[i].red = a[i].blue * 2 } }; "
                "ensure; GC.stress = false; end"),
            "6");
  for (std::size_t i = 0; i < g_pixels.size(); ++i) {
    EXPECT_EQ(g_pixels[i].red, i * 2);
  }
}

TEST_F(ColorArrayTest, OnlyTheBitmapCreatesThem) {
  EXPECT_EQ(run("ColorArray.new"), "RGSSError: cannot create built-in classes");
  EXPECT_EQ(run("PixelProbe.process { |a| a.dup }"), "RGSSError: cannot copy built-in classes");
  EXPECT_EQ(run("PixelProbe.process { |a| a.clone }"), "RGSSError: cannot copy built-in classes");
  EXPECT_EQ(run("ColorArray.allocate[0]"), "RGSSError: ColorArray used outside its process_color block");
}

TEST_F(ColorArrayTest, D3DErrorIsAnEngineError) {
  EXPECT_EQ(run("D3DError.superclass"), "RGSSError");
  EXPECT_EQ(run("raise D3DError, 'Internal Driver Error. The program will now exit.'"),
            "D3DError: Internal Driver Error. The program will now exit.");
  EXPECT_EQ(api().d3d_error_class, api().eval_string("D3DError"));
  EXPECT_EQ(api().color_array_class, api().eval_string("ColorArray"));
}

}  // namespace
}  // namespace bindings
