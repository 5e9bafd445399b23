// Tile ids, shadows and flashes decoded into source rectangles, checked against rectangles worked out by hand from
// the tile-set layouts; the animation and flash waves; the span of cells covering the screen.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "scene/TilemapTiles.h"

namespace {

using scene::tiles::TileQuad;

std::vector<TileQuad> tile(int id, int flag = 0, int px = 0, int py = 0) {
  std::vector<TileQuad> out;
  scene::tiles::appendTileQuads(out, id, flag, px, py);
  return out;
}

struct NormalCase {
  int id;
  int bitmap;
  int srcX;
  int srcY;
};

class NormalTiles : public testing::TestWithParam<NormalCase> {};

TEST_P(NormalTiles, OneWholeCellFromItsSheet) {
  const NormalCase& c = GetParam();
  const std::vector<TileQuad> quads = tile(c.id, 0, 64, 96);
  ASSERT_EQ(quads.size(), 1u);
  EXPECT_EQ(quads[0], (TileQuad{c.bitmap, 64, 96, c.srcX, c.srcY, 32, 32, 0, 0}));
}

// Sheets B to E and A5: 512 x 512, two halves of 8 x 16 cells, the left half first.
INSTANTIATE_TEST_SUITE_P(TileSheets, NormalTiles,
                         testing::Values(NormalCase{1, 5, 32, 0}, NormalCase{9, 5, 32, 32},
                                         NormalCase{127, 5, 224, 480}, NormalCase{128, 5, 256, 0},
                                         NormalCase{130, 5, 320, 0}, NormalCase{255, 5, 480, 480},
                                         NormalCase{256, 6, 0, 0}, NormalCase{600, 7, 0, 352},
                                         NormalCase{1023, 8, 480, 480}, NormalCase{1536, 4, 0, 0},
                                         NormalCase{1545, 4, 32, 32}, NormalCase{1700, 4, 384, 128},
                                         NormalCase{2047, 4, 480, 480}));

TEST(TileIds, IdsWithoutAPictureDrawNothing) {
  for (int id : {0, -1, -32768, 1024, 1300, 1535, 8192, 9000, 32767}) {
    EXPECT_TRUE(tile(id).empty()) << id;
  }
}

struct AutotileCase {
  int id;
  int bitmap;
  // Source of the four quarters, top-left, top-right, bottom-left, bottom-right.
  int src[4][2];
  int animX;
  int animY;
};

class Autotiles : public testing::TestWithParam<AutotileCase> {};

TEST_P(Autotiles, FourQuartersFromTheBlock) {
  const AutotileCase& c = GetParam();
  const std::vector<TileQuad> quads = tile(c.id, 0, 32, 64);
  ASSERT_EQ(quads.size(), 4u);
  for (int i = 0; i < 4; ++i) {
    const TileQuad expected{c.bitmap, 32 + 16 * (i % 2), 64 + 16 * (i / 2), c.src[i][0], c.src[i][1], 16, 16, c.animX,
                            c.animY};
    EXPECT_EQ(quads[static_cast<std::size_t>(i)], expected) << "quarter " << i;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Blocks, Autotiles,
    testing::Values(
        // Water (A1 kind 0), shape 0: the inner corners of the block's lower part.
        AutotileCase{2048, 0, {{32, 64}, {16, 64}, {32, 48}, {16, 48}}, 2, 0},
        // Shape 47 of every block is its thumbnail cell.
        AutotileCase{2095, 0, {{0, 0}, {16, 0}, {0, 16}, {16, 16}}, 2, 0},
        // Deep water, three cells lower.
        AutotileCase{2096 + 47, 0, {{0, 96}, {16, 96}, {0, 112}, {16, 112}}, 2, 0},
        // Kinds 2 and 3 sit at column 6 and do not animate.
        AutotileCase{2144 + 47, 0, {{192, 0}, {208, 0}, {192, 16}, {208, 16}}, 0, 0},
        AutotileCase{2192 + 47, 0, {{192, 96}, {208, 96}, {192, 112}, {208, 112}}, 0, 0},
        // Kind 4: the right half of the sheet, first row of blocks.
        AutotileCase{2240 + 47, 0, {{256, 0}, {272, 0}, {256, 16}, {272, 16}}, 2, 0},
        // Kind 5: its waterfall beside it, falling downwards; waterfall shape 0.
        AutotileCase{2288, 0, {{480, 0}, {464, 0}, {480, 16}, {464, 16}}, 0, 1},
        // Kind 6: right half, second row of blocks.
        AutotileCase{2336 + 47, 0, {{256, 96}, {272, 96}, {256, 112}, {272, 112}}, 2, 0},
        // Kind 8: left half, third row.
        AutotileCase{2432 + 47, 0, {{0, 192}, {16, 192}, {0, 208}, {16, 208}}, 2, 0},
        // Kind 15, the last of A1: the waterfall of the lowest right block; waterfall shape 3.
        AutotileCase{2768 + 3, 0, {{448, 288}, {496, 288}, {448, 304}, {496, 304}}, 0, 1},
        // A2 ground: 8 blocks of 2 x 3 cells per row.
        AutotileCase{2816 + 47, 1, {{0, 0}, {16, 0}, {0, 16}, {16, 16}}, 0, 0},
        AutotileCase{2816 + 9 * 48 + 47, 1, {{64, 96}, {80, 96}, {64, 112}, {80, 112}}, 0, 0},
        // A3 walls: 2 x 2 cells, wall shape 0.
        AutotileCase{4352, 2, {{32, 32}, {16, 32}, {32, 16}, {16, 16}}, 0, 0},
        AutotileCase{4352 + 9 * 48 + 15, 2, {{64, 64}, {112, 64}, {64, 112}, {112, 112}}, 0, 0},
        // A4: wall tops of three cells alternate with walls of two, rows at 0, 3, 5, 8, 10 and 13 cells.
        AutotileCase{5888 + 47, 3, {{0, 0}, {16, 0}, {0, 16}, {16, 16}}, 0, 0},
        AutotileCase{5888 + 8 * 48 + 3, 3, {{0, 96}, {16, 96}, {0, 112}, {16, 112}}, 0, 0},
        AutotileCase{5888 + 16 * 48 + 47, 3, {{0, 160}, {16, 160}, {0, 176}, {16, 176}}, 0, 0},
        AutotileCase{5888 + 24 * 48 + 3, 3, {{0, 256}, {16, 256}, {0, 272}, {16, 272}}, 0, 0},
        AutotileCase{5888 + 32 * 48 + 47, 3, {{0, 320}, {16, 320}, {0, 336}, {16, 336}}, 0, 0},
        AutotileCase{5888 + 40 * 48 + 3, 3, {{0, 416}, {16, 416}, {0, 432}, {16, 432}}, 0, 0},
        AutotileCase{5888 + 47 * 48 + 15, 3, {{448, 416}, {496, 416}, {448, 464}, {496, 464}}, 0, 0}));

TEST(Autotiles, WallAndWaterfallShapesPastTheirArrangementsDrawNothing) {
  EXPECT_TRUE(tile(2288 + 4).empty());            // waterfall shape 4
  EXPECT_TRUE(tile(2288 + 47).empty());           // waterfall shape 47
  EXPECT_TRUE(tile(4352 + 16).empty());           // A3 wall shape 16
  EXPECT_TRUE(tile(5888 + 8 * 48 + 16).empty());  // A4 wall shape 16
  EXPECT_TRUE(tile(8191).empty());                // the last id: a wall, shape 47
  EXPECT_EQ(tile(2288 + 3).size(), 4u);
  EXPECT_EQ(tile(4352 + 15).size(), 4u);
}

TEST(Autotiles, CounterFlagDoublesTheEdgeQuartersOfGroundBlocksOnly) {
  // Shape 4 has its bottom-right quarter on block row 1: the counter puts the block's lower border (mirrored
  // column) at the quarter and the quarter itself 8 pixels lower.
  const std::vector<TileQuad> raised = tile(2816 + 4, 0x80, 0, 0);
  ASSERT_EQ(raised.size(), 5u);
  EXPECT_EQ(raised[3], (TileQuad{1, 16, 16, 16, 48, 16, 16, 0, 0}));
  EXPECT_EQ(raised[4], (TileQuad{1, 16, 24, 48, 16, 16, 16, 0, 0}));
  // Shape 28 has both lower quarters on row 5: the border keeps their column.
  const std::vector<TileQuad> front = tile(2816 + 9 * 48 + 28, 0x80, 0, 0);
  ASSERT_EQ(front.size(), 6u);
  EXPECT_EQ(front[2], (TileQuad{1, 0, 16, 64 + 32, 96 + 48, 16, 16, 0, 0}));
  EXPECT_EQ(front[3], (TileQuad{1, 0, 24, 64 + 32, 96 + 80, 16, 16, 0, 0}));
  EXPECT_EQ(front[4], (TileQuad{1, 16, 16, 64 + 16, 96 + 48, 16, 16, 0, 0}));
  EXPECT_EQ(front[5], (TileQuad{1, 16, 24, 64 + 16, 96 + 80, 16, 16, 0, 0}));
  // Without the flag, or on another sheet, the rule does not apply.
  EXPECT_EQ(tile(2816 + 4, 0).size(), 4u);
  EXPECT_EQ(tile(2816 + 4, 0x10).size(), 4u);
  EXPECT_EQ(tile(2048 + 4, 0x80).size(), 4u);
  EXPECT_EQ(tile(5888 + 4, 0x80).size(), 4u);
}

TEST(Shadows, EachOfTheLowFourBitsDarkensAQuarter) {
  std::vector<TileQuad> left;
  scene::tiles::appendShadowQuads(left, 0b0101, 64, 32);
  ASSERT_EQ(left.size(), 2u);
  EXPECT_EQ(left[0], (TileQuad{0, 64, 32, 0, 0, 16, 16, 0, 0}));
  EXPECT_EQ(left[1], (TileQuad{0, 64, 48, 0, 0, 16, 16, 0, 0}));
  std::vector<TileQuad> right;
  scene::tiles::appendShadowQuads(right, 0b1010 | 0xF0, 0, 0);  // region bits above the shadow are ignored
  ASSERT_EQ(right.size(), 2u);
  EXPECT_EQ(right[0].destX, 16);
  EXPECT_EQ(right[0].destY, 0);
  EXPECT_EQ(right[1].destX, 16);
  EXPECT_EQ(right[1].destY, 16);
  std::vector<TileQuad> none;
  scene::tiles::appendShadowQuads(none, 0x30, 0, 0);
  EXPECT_TRUE(none.empty());
}

TEST(Flashes, ColourBecomesANegativeIndex) {
  std::vector<TileQuad> quads;
  scene::tiles::appendFlashQuad(quads, 0xF80, 32, 0);
  scene::tiles::appendFlashQuad(quads, 0x1000, 0, 0);  // only twelve bits count
  ASSERT_EQ(quads.size(), 1u);
  EXPECT_EQ(quads[0], (TileQuad{-0xF80, 32, 0, 0, 0, 32, 32, 0, 0}));
}

TEST(Animation, FramesRunZeroOneTwoOneEveryThirtyUpdates) {
  const int expected[] = {0, 0, 1, 1, 2, 2, 1, 1, 0};
  for (int i = 0; i < 9; ++i) EXPECT_EQ(scene::tiles::animationFrame(i * 15 + 14), expected[i]) << i * 15 + 14;
  EXPECT_EQ(scene::tiles::animationFrame(30), 1);
  EXPECT_EQ(scene::tiles::animationFrame(29), 0);
  EXPECT_EQ(scene::tiles::animationFrame(-1), 0);
  const int wrapped = scene::tiles::animationFrame(std::numeric_limits<std::int32_t>::min());
  EXPECT_TRUE(wrapped >= 0 && wrapped <= 2);
}

TEST(Flashes, AlphaPulsesOverFortyUpdates) {
  EXPECT_EQ(scene::tiles::flashColour(0xF80, 0), 0xFFFF8800u);
  EXPECT_EQ(scene::tiles::flashColour(0x123, 1), 0xF7112233u);
  EXPECT_EQ(scene::tiles::flashColour(0xFFF, 19) >> 24, 103u);
  EXPECT_EQ(scene::tiles::flashColour(0xFFF, 20) >> 24, 95u);
  EXPECT_EQ(scene::tiles::flashColour(0xFFF, 39) >> 24, 247u);
  EXPECT_EQ(scene::tiles::flashColour(0xFFF, 40) >> 24, 255u);
  EXPECT_EQ(scene::tiles::flashColour(0xFFF, -1) >> 24, 247u);
}

TEST(VisibleCells, SpanCoversTheScreenWithOneCellEachSide) {
  auto span = scene::tiles::visibleCells(0, 544, 1.0f);
  EXPECT_EQ(span.first, -1);
  EXPECT_EQ(span.last, 17);
  span = scene::tiles::visibleCells(40, 544, 1.0f);
  EXPECT_EQ(span.first, 0);
  EXPECT_EQ(span.last, 18);
  span = scene::tiles::visibleCells(-40, 544, 1.0f);
  EXPECT_EQ(span.first, -2);
  EXPECT_EQ(span.last, 15);
  span = scene::tiles::visibleCells(0, 544, 2.0f);
  EXPECT_EQ(span.last, 8);
  span = scene::tiles::visibleCells(0, 416, 0.5f);
  EXPECT_EQ(span.last, 26);
}

TEST(VisibleCells, TinyZoomsAndExtremeOriginsStayBounded) {
  auto span = scene::tiles::visibleCells(0, 544, 1e-30f);
  EXPECT_EQ(span.last - span.first + 1, scene::tiles::kMaxSpanCells);
  span = scene::tiles::visibleCells(std::numeric_limits<std::int32_t>::max(), 544, 1.0f);
  EXPECT_GT(span.last, span.first);
  EXPECT_LE(span.last - span.first, 20);
  span = scene::tiles::visibleCells(std::numeric_limits<std::int32_t>::min(), 544, 1.0f);
  EXPECT_GT(span.last, span.first);
  EXPECT_LE(span.last - span.first, 20);
}

TEST(VisibleCells, IndicesWrapIntoTheMap) {
  EXPECT_EQ(scene::tiles::wrapCell(-1, 5), 4);
  EXPECT_EQ(scene::tiles::wrapCell(-10, 5), 0);
  EXPECT_EQ(scene::tiles::wrapCell(12, 5), 2);
  EXPECT_EQ(scene::tiles::wrapCell(3, 5), 3);
}

TEST(Zoom, OnlyPositiveFiniteValuesAreKept) {
  EXPECT_EQ(scene::tiles::storedZoom(0.0), 1.0f);
  EXPECT_EQ(scene::tiles::storedZoom(-2.0), 1.0f);
  EXPECT_EQ(scene::tiles::storedZoom(std::nan("")), 1.0f);
  EXPECT_EQ(scene::tiles::storedZoom(std::numeric_limits<double>::infinity()), 1.0f);
  EXPECT_EQ(scene::tiles::storedZoom(1e-300), 1.0f);
  EXPECT_EQ(scene::tiles::storedZoom(1e300), 1.0f);
  EXPECT_EQ(scene::tiles::storedZoom(0.5), 0.5f);
  EXPECT_EQ(scene::tiles::storedZoom(3.0), 3.0f);
}

}  // namespace
