#include "platform/text/FontFace.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "platform/text/FontSystem.h"
#include "tests/platform/text/SfntTables.h"

namespace {

using text::FaceRequest;
using text::FontFace;
using text::Glyph;
using text::GlyphFormat;

constexpr std::int32_t kUnscaled = 0x10000;

std::unique_ptr<FontFace> openFace(const char* family, int size, bool bold = false, bool italic = false) {
  auto face = FontFace::open(FaceRequest{family, size, bold, italic});
  EXPECT_NE(face, nullptr) << family;
  return face;
}

Glyph glyphOf(FontFace& face, char32_t c, GlyphFormat format = GlyphFormat::Gray, std::int32_t scale = kUnscaled) {
  Glyph glyph;
  EXPECT_TRUE(face.loadGlyph(c, format, scale, true, glyph));
  return glyph;
}

struct MetricsCase {
  const char* family;
  int size;
  const char* expectedFamily;
};

class CellMetricsTest : public testing::TestWithParam<MetricsCase> {};

// The size is the Windows cell height: ascent and descent are the file's win metrics scaled so that they add up
// to the size, each rounded.
TEST_P(CellMetricsTest, AscentAndHeightComeFromTheWindowsMetrics) {
  const MetricsCase& c = GetParam();
  const auto face = openFace(c.family, c.size);
  ASSERT_NE(face, nullptr);
  EXPECT_EQ(face->familyName(), c.expectedFamily);
  const auto win = readWinMetrics(face->fileName(), face->faceIndex());
  ASSERT_TRUE(win) << face->fileName();
  const double cell = win->winAscent + win->winDescent;
  const int ascent = static_cast<int>(std::lround(c.size * win->winAscent / cell));
  const int descent = static_cast<int>(std::lround(c.size * win->winDescent / cell));
  EXPECT_EQ(face->ascent(), ascent);
  EXPECT_EQ(face->height(), ascent + descent);
  EXPECT_LE(std::abs(face->height() - c.size), 1);
}

INSTANTIATE_TEST_SUITE_P(Faces, CellMetricsTest,
                         testing::Values(MetricsCase{"Arial", 24, "Liberation Sans"},
                                         MetricsCase{"Arial", 6, "Liberation Sans"},
                                         MetricsCase{"Arial", 96, "Liberation Sans"},
                                         MetricsCase{"黑体", 24, "WenQuanYi Zen Hei"},
                                         MetricsCase{"SimSun", 20, "AR PL UMing CN"}));

TEST(Glyphs, GreyGlyphHas65LevelsInPaddedRowsOnTheBaseline) {
  const auto face = openFace("Arial", 24);
  const Glyph h = glyphOf(*face, U'H');
  const auto& m = h.metrics;
  EXPECT_EQ(h.pitch, (m.blackBoxX + 3) / 4 * 4);
  EXPECT_EQ(m.bufferSize, static_cast<std::size_t>(h.pitch * m.blackBoxY));
  EXPECT_EQ(h.bits.size(), m.bufferSize);
  EXPECT_EQ(m.originY, m.blackBoxY) << "H stands on the baseline";
  EXPECT_LE(m.originY, face->ascent());
  EXPECT_GT(m.cellIncX, m.blackBoxX);
  int solid = 0;
  for (int y = 0; y < m.blackBoxY; ++y) {
    for (int x = 0; x < h.pitch; ++x) {
      const int level = h.bits[static_cast<std::size_t>(y * h.pitch + x)];
      EXPECT_LE(level, 64);
      if (x >= m.blackBoxX) {
        EXPECT_EQ(level, 0) << "padding stays clear";
      }
      solid += level == 64;
    }
  }
  EXPECT_GT(solid, 2 * m.blackBoxY) << "both stems are fully covered";
}

TEST(Glyphs, MonoGlyphHasOneBitPerPixelMostSignificantFirst) {
  const auto face = openFace("Arial", 24);
  const Glyph h = glyphOf(*face, U'H', GlyphFormat::Mono);
  const auto& m = h.metrics;
  EXPECT_EQ(h.pitch, (m.blackBoxX + 31) / 32 * 4);
  EXPECT_EQ(m.bufferSize, static_cast<std::size_t>(h.pitch * m.blackBoxY));
  for (int y = 0; y < m.blackBoxY; ++y) {
    const std::uint8_t* row = h.bits.data() + y * h.pitch;
    EXPECT_TRUE(row[0] & 0x80) << "left stem, row " << y;
    const int last = m.blackBoxX - 1;
    EXPECT_TRUE(row[last >> 3] & (0x80 >> (last & 7))) << "right stem, row " << y;
    for (int x = m.blackBoxX; x < h.pitch * 8; ++x) EXPECT_FALSE(row[x >> 3] & (0x80 >> (x & 7)));
  }
}

TEST(Glyphs, BlankGlyphReportsAOneByOneBoxAndNoBuffer) {
  const auto face = openFace("Arial", 24);
  const Glyph space = glyphOf(*face, U' ');
  EXPECT_EQ(space.metrics.blackBoxX, 1);
  EXPECT_EQ(space.metrics.blackBoxY, 1);
  EXPECT_EQ(space.metrics.bufferSize, 0u);
  EXPECT_TRUE(space.bits.empty());
  EXPECT_GT(space.metrics.cellIncX, 0);
}

TEST(Glyphs, HorizontalScaleNarrowsGlyphAndAdvance) {
  const auto face = openFace("Arial", 48);
  const Glyph full = glyphOf(*face, U'M');
  const Glyph half = glyphOf(*face, U'M', GlyphFormat::Gray, 0x8000);
  EXPECT_NEAR(half.metrics.cellIncX * 2, full.metrics.cellIncX, 2);
  EXPECT_NEAR(half.metrics.blackBoxX * 2, full.metrics.blackBoxX, 3);
  EXPECT_EQ(half.metrics.blackBoxY, full.metrics.blackBoxY);
}

TEST(Glyphs, MetricsOnlyLoadMatchesTheRenderedGlyph) {
  const auto face = openFace("黑体", 24);
  for (const char32_t c : {U'a', U'中', U' ', U'W'}) {
    Glyph metricsOnly;
    ASSERT_TRUE(face->loadGlyph(c, GlyphFormat::Gray, kUnscaled, false, metricsOnly));
    const Glyph full = glyphOf(*face, c);
    EXPECT_EQ(metricsOnly.metrics.bufferSize, full.metrics.bufferSize);
    EXPECT_EQ(metricsOnly.metrics.blackBoxX, full.metrics.blackBoxX);
    EXPECT_EQ(metricsOnly.metrics.originY, full.metrics.originY);
    EXPECT_EQ(metricsOnly.metrics.cellIncX, full.metrics.cellIncX);
    EXPECT_TRUE(metricsOnly.bits.empty());
  }
}

TEST(Glyphs, CjkCharacterIsAFullWidthGlyph) {
  const auto face = openFace("黑体", 24);
  ASSERT_TRUE(face->hasGlyph(U'中'));
  const auto win = readWinMetrics(face->fileName(), face->faceIndex());
  ASSERT_TRUE(win);
  const double em = 24.0 * win->unitsPerEm / (win->winAscent + win->winDescent);
  const Glyph glyph = glyphOf(*face, U'中');
  EXPECT_NEAR(glyph.metrics.cellIncX, em, 1.0);
  EXPECT_GT(glyph.metrics.blackBoxX, em / 2);
  EXPECT_FALSE(glyph.bits.empty());
}

TEST(Glyphs, CharactersMissingFromTheFaceComeFromAFaceThatHasThem) {
  const auto face = openFace("Arial", 24);
  ASSERT_FALSE(face->hasGlyph(U'中'));
  const Glyph glyph = glyphOf(*face, U'中');
  EXPECT_FALSE(glyph.bits.empty());
  EXPECT_GT(glyph.metrics.cellIncX, 16) << "a CJK face's full-width advance, not a missing-glyph box";
  int covered = 0;
  for (const auto level : glyph.bits) covered += level > 0;
  EXPECT_GT(covered, 40);
}

TEST(Glyphs, RealBoldAndItalicFacesAreChosenWhenTheFamilyHasThem) {
  const auto bold = openFace("Arial", 24, true, false);
  const auto italic = openFace("Arial", 24, false, true);
  EXPECT_NE(bold->fileName().find("Bold"), std::string::npos) << bold->fileName();
  EXPECT_NE(italic->fileName().find("Italic"), std::string::npos) << italic->fileName();
}

TEST(Glyphs, MissingBoldAndItalicAreSynthesised) {
  const auto regular = openFace("黑体", 24);
  const auto bold = openFace("黑体", 24, true, false);
  const auto italic = openFace("黑体", 24, false, true);
  const Glyph plainL = glyphOf(*regular, U'l');
  const Glyph boldL = glyphOf(*bold, U'l');
  const Glyph italicL = glyphOf(*italic, U'l');
  EXPECT_GT(boldL.metrics.blackBoxX, plainL.metrics.blackBoxX);
  EXPECT_GT(boldL.metrics.cellIncX, plainL.metrics.cellIncX);
  EXPECT_EQ(boldL.metrics.blackBoxY, plainL.metrics.blackBoxY);
  EXPECT_GE(italicL.metrics.blackBoxX, plainL.metrics.blackBoxX + 2) << "the stem leans";
  EXPECT_EQ(italicL.metrics.cellIncX, plainL.metrics.cellIncX);
}

TEST(Glyphs, UnknownFamilyStillOpensAFace) {
  const auto face = openFace("No Such Family Anywhere", 16);
  ASSERT_NE(face, nullptr);
  EXPECT_FALSE(glyphOf(*face, U'A').bits.empty());
}

}  // namespace

namespace {

TEST(FaceLifetime, FaceKeptPastShutdownStillWorksBesideARestartedSystem) {
  auto face = text::FontFace::open({"Arial", 20, false, false});
  ASSERT_NE(face, nullptr);
  text::shutdownFontSystem();
  EXPECT_TRUE(text::fontExists("SimHei")) << "a new system starts while the old face lives";
  text::Glyph glyph;
  EXPECT_TRUE(face->loadGlyph(U'Q', text::GlyphFormat::Gray, 0x10000, true, glyph));
  EXPECT_FALSE(glyph.bits.empty());
  face.reset();
  EXPECT_TRUE(text::fontExists("Arial")) << "the old system's end leaves the new one working";
  const auto fresh = text::FontFace::open({"宋体", 16, false, false});
  ASSERT_NE(fresh, nullptr);
  EXPECT_TRUE(fresh->loadGlyph(U'字', text::GlyphFormat::Gray, 0x10000, true, glyph));
}

}  // namespace
