#include "bitmap/core/TextLayout.h"

#include <gtest/gtest.h>

#include <map>

#include "platform/text/FontFace.h"
#include "tests/bitmap/PixelTestSupport.h"

namespace bitmap {
namespace {

using testing::makeBuffer;
using text::GlyphFormat;

// Hand-made glyphs with known metrics; levels ≥ 32 become set bits in the 1-bit format.
class FakeGlyphs final : public GlyphSource {
 public:
  struct Shape {
    int originX = 0, originY = 0, advance = 0;
    std::vector<std::vector<int>> levels;  // rows of 0..64; empty: a blank glyph
  };

  FakeGlyphs() {
    m_shapes[U'A'] = {0, 2, 4, {{64, 32, 0}, {16, 64, 64}}};
    m_shapes[U'W'] = {-1, 1, 4, {{64, 64, 64, 64, 64, 64}}};
    m_shapes[U' '] = {0, 0, 3, {}};
    m_shapes[U'o'] = {0, 1, 2, {{64}}};
    m_shapes[U'p'] = {0, 1, 1, {{64}}};
    m_shapes[U'g'] = {0, 3, 2, {{64}, {64}, {64}}};
  }

  int ascent() const override { return 8; }
  int height() const override { return 10; }

  bool loadGlyph(char32_t c, GlyphFormat format, std::int32_t scaleX, bool withBits, text::Glyph& glyph) override {
    scales.push_back(scaleX);
    glyph = text::Glyph{};
    const auto found = m_shapes.find(c);
    if (found == m_shapes.end()) return false;
    const Shape& shape = found->second;
    glyph.metrics.originX = shape.originX;
    glyph.metrics.originY = shape.originY;
    glyph.metrics.cellIncX = shape.advance;
    if (shape.levels.empty()) return true;
    const int width = static_cast<int>(shape.levels[0].size());
    const int rows = static_cast<int>(shape.levels.size());
    glyph.metrics.blackBoxX = width;
    glyph.metrics.blackBoxY = rows;
    glyph.pitch = format == GlyphFormat::Gray ? (width + 3) / 4 * 4 : (width + 31) / 32 * 4;
    glyph.metrics.bufferSize = static_cast<std::size_t>(glyph.pitch * rows);
    if (!withBits) return true;
    glyph.bits.assign(glyph.metrics.bufferSize, 0);
    for (int y = 0; y < rows; ++y) {
      for (int x = 0; x < width; ++x) {
        const int level = shape.levels[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)];
        std::uint8_t* row = glyph.bits.data() + y * glyph.pitch;
        if (format == GlyphFormat::Gray) {
          row[x] = static_cast<std::uint8_t>(level);
        } else if (level >= 32) {
          row[x >> 3] |= static_cast<std::uint8_t>(0x80 >> (x & 7));
        }
      }
    }
    return true;
  }

  std::vector<std::int32_t> scales;

 private:
  std::map<char32_t, Shape> m_shapes;
};

TextStyle plain(Pixel colour = 0xFFFFFFFF) {
  TextStyle style;
  style.outline = false;
  style.colour = colour;
  return style;
}

struct MeasureCase {
  const char* text;
  int width;
};

class MeasureTest : public ::testing::TestWithParam<MeasureCase> {};

TEST_P(MeasureTest, AddsAdvancesAndTheLastGlyphsRightEdge) {
  FakeGlyphs glyphs;
  const TextSize size = measureText(glyphs, GetParam().text);
  EXPECT_EQ(size.width, GetParam().width) << GetParam().text;
  EXPECT_EQ(size.height, *GetParam().text ? 10 : 0);
}

INSTANTIATE_TEST_SUITE_P(Texts, MeasureTest,
                         ::testing::Values(MeasureCase{"", 0},
                                           // 4 + max(4, 0 + 3)
                                           MeasureCase{"AA", 8},
                                           // 4 + max(4, −1 + 6)
                                           MeasureCase{"AW", 9},
                                           // W starts left of the pen: w = 1, + 4, then A's 4
                                           MeasureCase{"WA", 9},
                                           // a blank last glyph counts its advance (box 1 × 1 at 0)
                                           MeasureCase{"A ", 7},
                                           // unrenderable characters are skipped
                                           MeasureCase{"A?A", 8}, MeasureCase{"?", 0}));

TEST(MeasureText, UsesUnscaledGreyGlyphs) {
  FakeGlyphs glyphs;
  (void)measureText(glyphs, "AW");
  EXPECT_EQ(glyphs.scales, (std::vector<std::int32_t>{0x10000, 0x10000}));
}

struct SqueezeCase {
  int textWidth, rectWidth;
  double factor;
  int drawnWidth;
  std::int32_t fixed;
};

class SqueezeTest : public ::testing::TestWithParam<SqueezeCase> {};

TEST_P(SqueezeTest, ClampsBetweenPointSixAndOne) {
  const SqueezeCase& c = GetParam();
  const Squeeze squeeze = squeezeFor(c.textWidth, c.rectWidth);
  EXPECT_DOUBLE_EQ(squeeze.factor, c.factor);
  EXPECT_EQ(squeeze.drawnWidth, c.drawnWidth);
  EXPECT_EQ(fixedScale(squeeze.factor), c.fixed);
}

INSTANTIATE_TEST_SUITE_P(Widths, SqueezeTest,
                         ::testing::Values(
                             // exactly the rectangle minus 2: 20/20 − 0.15 = 0.85; 20·0.85 = 17; 0.85·65536 = 55705.6
                             SqueezeCase{18, 20, 0.85, 17, 55705},
                             // 40/50 − 0.15 = 0.65: 32.5 drawn as 32
                             SqueezeCase{48, 40, 0.65, 32, 42598},
                             // far too long: 0.6 and 1002·0.6 = 601.2
                             SqueezeCase{1000, 100, 0.6, 601, 39321},
                             // plenty of room: not widened
                             SqueezeCase{10, 100, 1.0, 12, 65536},
                             SqueezeCase{10, 0, 0.6, 7, 39321}, SqueezeCase{10, -50, 0.6, 7, 39321}));

// "A" alone: w = 4, th = 10, drawn width 6 unsqueezed; ascent 8 and origin y 2 put its top row at ty + 6.
struct AlignCase {
  int align;
  int left;
};

class AlignTest : public ::testing::TestWithParam<AlignCase> {};

TEST_P(AlignTest, PlacesTheDrawnWidthInTheRectangle) {
  FakeGlyphs glyphs;
  PixelBuffer canvas = makeBuffer(120, 40);
  drawText(canvas.view(), glyphs, plain(), {10, 5, 100, 30}, "A", GetParam().align);
  const int x = GetParam().left;
  const int y = 5 + (30 - 10) / 2 + 8 - 2;
  // Row 0 levels 64, 32, 0; row 1 levels 16, 64, 64 of opaque white onto transparent black.
  EXPECT_PIXEL(canvas.view().at(x, y), 0xFFFFFFFF);
  EXPECT_PIXEL(canvas.view().at(x + 1, y), makePixel(127, 255, 255, 255));  // 255·32 >> 6
  EXPECT_PIXEL(canvas.view().at(x + 2, y), 0);
  EXPECT_PIXEL(canvas.view().at(x, y + 1), makePixel(63, 255, 255, 255));  // 255·16 >> 6
  EXPECT_PIXEL(canvas.view().at(x + 2, y + 1), 0xFFFFFFFF);
  EXPECT_PIXEL(canvas.view().at(x - 1, y), 0);
  EXPECT_PIXEL(canvas.view().at(x, y - 1), 0);
}

INSTANTIATE_TEST_SUITE_P(Alignments, AlignTest,
                         ::testing::Values(AlignCase{0, 10}, AlignCase{1, 10 + (100 - 6) / 2},
                                           AlignCase{2, 10 + 100 - 6}, AlignCase{7, 10}));

TEST(DrawText, LowRectangleDrawsFromItsTopNotAbove) {
  FakeGlyphs glyphs;
  PixelBuffer canvas = makeBuffer(20, 20);
  drawText(canvas.view(), glyphs, plain(), {0, 4, 20, 4}, "o", 0);
  // (4 − 10)/2 = −3 is raised to 0: ty = 4, the glyph's one row at 4 + 8 − 1.
  EXPECT_PIXEL(canvas.view().at(0, 11), 0xFFFFFFFF);
  int written = 0;
  for (int y = 0; y < 20; ++y) {
    for (int x = 0; x < 20; ++x) written += canvas.view().at(x, y) != 0;
  }
  EXPECT_EQ(written, 1);
}

TEST(DrawText, GlyphLeftOfThePenStartsAtTheTextLeft) {
  FakeGlyphs glyphs;
  PixelBuffer canvas = makeBuffer(20, 20);
  drawText(canvas.view(), glyphs, plain(), {3, 0, 20, 10}, "W", 0);
  // origin x −1 moves the pen to 1, so the glyph's first column is at 3; the row at 0 + 8 − 1.
  EXPECT_PIXEL(canvas.view().at(2, 7), 0);
  EXPECT_PIXEL(canvas.view().at(3, 7), 0xFFFFFFFF);
  EXPECT_PIXEL(canvas.view().at(8, 7), 0xFFFFFFFF);
}

TEST(DrawText, SqueezedTextIsDrawnWithTheFixedPointScale) {
  FakeGlyphs glyphs;
  PixelBuffer canvas = makeBuffer(20, 20);
  drawText(canvas.view(), glyphs, plain(), {0, 0, 10, 10}, "AA", 0);  // w = 8: 10/10 − 0.15
  ASSERT_EQ(glyphs.scales.size(), 4u);
  EXPECT_EQ(glyphs.scales[2], 55705);
  EXPECT_EQ(glyphs.scales[3], 55705);
}

TEST(DrawText, GreyOutlineAtTheDiagonalsScaledByTheTextAlphaThenShadowThenBody) {
  FakeGlyphs glyphs;
  PixelBuffer canvas = makeBuffer(10, 20);
  TextStyle style;
  style.colour = makePixel(128, 255, 255, 255);
  style.outColour = makePixel(128, 0, 0, 0);
  style.shadow = true;
  drawText(canvas.view(), glyphs, style, {2, 0, 10, 10}, "o", 0);
  const int x = 2, y = 7;
  // Outline: 128·(128·64 >> 6)/255 = 64. Shadow at +1,+1 over the outline: 128·255/255 = 128 of black.
  // Body: 128·64 >> 6 = 128 of white.
  EXPECT_PIXEL(canvas.view().at(x - 1, y - 1), makePixel(64, 0, 0, 0));
  EXPECT_PIXEL(canvas.view().at(x + 1, y - 1), makePixel(64, 0, 0, 0));
  EXPECT_PIXEL(canvas.view().at(x - 1, y + 1), makePixel(64, 0, 0, 0));
  // shadow sa 128, da = 127·64/255 = 31, a = 159
  EXPECT_PIXEL(canvas.view().at(x + 1, y + 1), makePixel(159, 0, 0, 0));
  EXPECT_PIXEL(canvas.view().at(x, y), makePixel(128, 255, 255, 255));
  EXPECT_PIXEL(canvas.view().at(x + 1, y), 0) << "no outline at the sides for grey fonts";
}

TEST(DrawText, PixelFontOutlineAtTheSidesWithTheOutlineAlpha) {
  FakeGlyphs glyphs;
  PixelBuffer canvas = makeBuffer(10, 20);
  TextStyle style;
  style.pixel = true;
  style.colour = makePixel(128, 255, 255, 255);
  style.outColour = makePixel(128, 0, 0, 0);
  drawText(canvas.view(), glyphs, style, {2, 0, 10, 10}, "o", 0);
  const int x = 2, y = 7;
  for (const auto& [dx, dy] : {std::pair{0, -1}, {-1, 0}, {0, 1}, {1, 0}}) {
    EXPECT_PIXEL(canvas.view().at(x + dx, y + dy), makePixel(128, 0, 0, 0)) << dx << "," << dy;
  }
  EXPECT_PIXEL(canvas.view().at(x + 1, y + 1), 0);
  EXPECT_PIXEL(canvas.view().at(x, y), makePixel(128, 255, 255, 255));
}

TEST(DrawText, LaterGlyphsOutlineCoversTheEarlierBody) {
  FakeGlyphs glyphs;
  PixelBuffer canvas = makeBuffer(10, 20);
  TextStyle style;
  style.pixel = true;
  style.outColour = makePixel(128, 0, 0, 0);
  drawText(canvas.view(), glyphs, style, {2, 0, 10, 10}, "pp", 0);
  // The second glyph at x 3 outlines (2, 7), the first body: sa 128, da 127, white 127·255/255.
  EXPECT_PIXEL(canvas.view().at(2, 7), makePixel(255, 127, 127, 127));
  EXPECT_PIXEL(canvas.view().at(3, 7), 0xFFFFFFFF);
}

TEST(DrawText, GradientRowsRestartPerGlyphAndFollowTheVisibleRows) {
  FakeGlyphs glyphs;
  const TextGradient gradient{makePixel(255, 0, 0, 0), makePixel(255, 255, 0, 100)};
  PixelBuffer canvas = makeBuffer(10, 20);
  drawText(canvas.view(), glyphs, plain(), {0, 0, 10, 10}, "gg", 0, gradient);
  // Three rows from y 5: c1, (c1 + c2)/2, c2; the second glyph (x 2) the same.
  for (const int x : {0, 2}) {
    EXPECT_PIXEL(canvas.view().at(x, 5), makePixel(255, 0, 0, 0));
    EXPECT_PIXEL(canvas.view().at(x, 6), makePixel(255, 127, 0, 50));
    EXPECT_PIXEL(canvas.view().at(x, 7), makePixel(255, 255, 0, 100));
  }

  // Raised so that only two rows are inside: they take c1 and c2.
  PixelBuffer clipped = makeBuffer(10, 20);
  drawText(clipped.view(), glyphs, plain(), {0, -6, 10, 10}, "g", 0, gradient);
  EXPECT_PIXEL(clipped.view().at(0, 0), makePixel(255, 0, 0, 0));
  EXPECT_PIXEL(clipped.view().at(0, 1), makePixel(255, 255, 0, 100));

  // One visible row takes the top colour.
  PixelBuffer single = makeBuffer(10, 20);
  drawText(single.view(), glyphs, plain(), {0, -7, 10, 10}, "g", 0, gradient);
  EXPECT_PIXEL(single.view().at(0, 0), makePixel(255, 0, 0, 0));
}

TEST(DrawText, OverflowsTheRectangleButNotTheBitmap) {
  FakeGlyphs glyphs;
  PixelBuffer canvas = makeBuffer(6, 20);
  const PixelRect written = drawText(canvas.view(), glyphs, plain(), {4, 0, 1, 10}, "AA", 0);
  EXPECT_PIXEL(canvas.view().at(4, 6), 0xFFFFFFFF);
  EXPECT_PIXEL(canvas.view().at(4, 7), makePixel(63, 255, 255, 255));
  EXPECT_PIXEL(canvas.view().at(5, 6), makePixel(127, 255, 255, 255)) << "beyond the rectangle";
  EXPECT_PIXEL(canvas.view().at(5, 7), 0xFFFFFFFF) << "beyond the rectangle";
  EXPECT_EQ(written, (PixelRect{3, 5, 3, 4}));
}

TEST(DrawText, ExtremeRectanglesDrawNothingAndDoNotOverflow) {
  constexpr int kMax = 2147483647, kMin = -kMax - 1;
  FakeGlyphs glyphs;
  PixelBuffer canvas = makeBuffer(6, 6);
  EXPECT_TRUE(drawText(canvas.view(), glyphs, plain(), {kMax, kMax, kMax, kMax}, "AW", 2).empty());
  EXPECT_TRUE(drawText(canvas.view(), glyphs, plain(), {kMin, kMin, kMin, kMin}, "AW", 1).empty());
}

TEST(DrawText, EmptyTextDrawsNothing) {
  FakeGlyphs glyphs;
  PixelBuffer canvas = makeBuffer(6, 6);
  EXPECT_TRUE(drawText(canvas.view(), glyphs, plain(), {0, 0, 6, 6}, "", 0).empty());
  EXPECT_TRUE(glyphs.scales.empty());
}

// Real faces: both scripts draw visible glyphs inside the box the layout gives them.
class RealTextTest : public ::testing::TestWithParam<const char*> {};

TEST_P(RealTextTest, DrawsVisibleGlyphsWhereTheLayoutSays) {
  auto face = text::FontFace::open({"黑体", 24, false, false});
  ASSERT_NE(face, nullptr);
  FaceGlyphs glyphs(*face);
  const TextSize size = measureText(glyphs, GetParam());
  EXPECT_GT(size.width, 20);
  EXPECT_EQ(size.height, face->height());

  PixelBuffer canvas = makeBuffer(300, 60);
  const PixelRect rect{20, 10, 260, 40};
  TextStyle style;
  style.outline = false;
  drawText(canvas.view(), glyphs, style, rect, GetParam(), 0);
  const int top = rect.y + (rect.height - size.height) / 2;
  int inside = 0, outside = 0, solid = 0;
  for (int y = 0; y < 60; ++y) {
    for (int x = 0; x < 300; ++x) {
      const Pixel p = canvas.view().at(x, y);
      if (p == 0) continue;
      const bool inBox = x >= rect.x && x < rect.x + size.width + 2 && y >= top && y < top + size.height;
      (inBox ? inside : outside) += 1;
      solid += alphaOf(p) == 255;
      EXPECT_EQ(p & 0xFFFFFF, 0xFFFFFFu) << "white text stays white at any coverage";
    }
  }
  EXPECT_GT(inside, 60);
  EXPECT_EQ(outside, 0);
  EXPECT_GT(solid, 10);
}

INSTANTIATE_TEST_SUITE_P(Scripts, RealTextTest, ::testing::Values("Hello, world", "中文字体", "漢字 and Latin"));

TEST(RealText, PixelFontsDrawOnlyFullCoverage) {
  auto face = text::FontFace::open({"Arial", 16, false, false});
  ASSERT_NE(face, nullptr);
  FaceGlyphs glyphs(*face);
  PixelBuffer canvas = makeBuffer(200, 40);
  TextStyle style;
  style.pixel = true;
  style.outline = false;
  drawText(canvas.view(), glyphs, style, {0, 0, 200, 40}, "Pixel", 0);
  int drawn = 0;
  for (int y = 0; y < 40; ++y) {
    for (int x = 0; x < 200; ++x) {
      const Pixel p = canvas.view().at(x, y);
      if (p == 0) continue;
      ++drawn;
      EXPECT_EQ(p, 0xFFFFFFFFu);
    }
  }
  EXPECT_GT(drawn, 30);
}

}  // namespace
}  // namespace bitmap
