// Where the skin's pieces go: exact destinations for a usual window, the frame and cursor tiling their
// bitmaps without gaps or overlaps, and small windows leaving out the pieces that no longer fit.

#include <gtest/gtest.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "scene/WindowSkin.h"

namespace {

using scene::SkinBox;
using scene::SkinFill;
using scene::SkinPiece;

// How many pieces cover each pixel of a width x height bitmap (destinations clipped to it).
std::vector<int> coverage(const std::vector<SkinPiece>& pieces, int width, int height) {
  std::vector<int> count(static_cast<std::size_t>(width * height), 0);
  for (const SkinPiece& piece : pieces) {
    for (std::int64_t y = std::max<std::int64_t>(piece.to.top, 0); y < std::min<std::int64_t>(piece.to.bottom, height);
         ++y) {
      for (std::int64_t x = std::max<std::int64_t>(piece.to.left, 0); x < std::min<std::int64_t>(piece.to.right, width);
           ++x) {
        ++count[static_cast<std::size_t>(y * width + x)];
      }
    }
  }
  return count;
}

TEST(WindowSkin, BackIsTheBaseStretchedThenThePatternTiledInsideTheIndent) {
  const std::vector<SkinPiece> pieces = scene::backPieces(160, 96, 2);
  ASSERT_EQ(pieces.size(), 2u);
  EXPECT_EQ(pieces[0], (SkinPiece{SkinFill::Stretch, {0, 0, 64, 64}, {2, 2, 158, 94}}));
  EXPECT_EQ(pieces[1], (SkinPiece{SkinFill::Tile, {0, 64, 64, 128}, {2, 2, 158, 94}}));
  EXPECT_EQ(scene::backPieces(160, 96, 0)[0].to, (SkinBox{0, 0, 160, 96}));
  EXPECT_TRUE(scene::backPieces(8, 8, 4).empty());
  EXPECT_TRUE(scene::backPieces(0, 0, 2).empty());
}

TEST(WindowSkin, FrameCornersThenEdgesAtTheirPlaces) {
  const std::vector<SkinPiece> pieces = scene::framePieces(160, 96);
  const std::vector<SkinPiece> expected = {
      {SkinFill::Stretch, {64, 0, 80, 16}, {0, 0, 16, 16}},
      {SkinFill::Stretch, {112, 0, 128, 16}, {144, 0, 160, 16}},
      {SkinFill::Stretch, {64, 48, 80, 64}, {0, 80, 16, 96}},
      {SkinFill::Stretch, {112, 48, 128, 64}, {144, 80, 160, 96}},
      {SkinFill::Tile, {80, 0, 112, 16}, {16, 0, 144, 16}},
      {SkinFill::Tile, {80, 48, 112, 64}, {16, 80, 144, 96}},
      {SkinFill::Tile, {64, 16, 80, 48}, {0, 16, 16, 80}},
      {SkinFill::Tile, {112, 16, 128, 48}, {144, 16, 160, 80}},
  };
  EXPECT_EQ(pieces, expected);
}

TEST(WindowSkin, FrameCoversTheBorderRingOnce) {
  for (const auto& [width, height] : {std::pair{32, 32}, std::pair{33, 70}, std::pair{160, 96}}) {
    const std::vector<int> count = coverage(scene::framePieces(width, height), width, height);
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        const bool ring = x < 16 || y < 16 || x >= width - 16 || y >= height - 16;
        ASSERT_EQ(count[static_cast<std::size_t>(y * width + x)], ring ? 1 : 0)
            << width << "x" << height << " at " << x << "," << y;
      }
    }
  }
}

TEST(WindowSkin, SmallFramesKeepTheirCornersOnly) {
  const std::vector<SkinPiece> pieces = scene::framePieces(20, 20);
  ASSERT_EQ(pieces.size(), 4u);
  for (const SkinPiece& piece : pieces) EXPECT_EQ(piece.fill, SkinFill::Stretch);
}

TEST(WindowSkin, CursorFillsItsBitmapOnePixelLargerThanTheRectangle) {
  const std::vector<SkinPiece> pieces = scene::cursorPieces(100, 24);
  ASSERT_EQ(pieces.size(), 9u);
  EXPECT_EQ(pieces[1].to, (SkinBox{97, 0, 101, 4}));
  EXPECT_EQ(pieces[3].to, (SkinBox{97, 21, 101, 25}));
  EXPECT_EQ(pieces[6], (SkinPiece{SkinFill::Stretch, {92, 68, 96, 92}, {97, 4, 101, 21}}));
  EXPECT_EQ(pieces[8], (SkinPiece{SkinFill::Stretch, {68, 68, 92, 92}, {4, 4, 97, 21}}));
  for (const auto& [width, height] : {std::pair{7, 7}, std::pair{100, 24}, std::pair{9, 40}}) {
    const std::vector<int> count = coverage(scene::cursorPieces(width, height), width + 1, height + 1);
    for (std::size_t i = 0; i < count.size(); ++i) {
      ASSERT_EQ(count[i], 1) << width << "x" << height << " pixel " << i;
    }
  }
}

TEST(WindowSkin, TinyCursorsDropTheirInsideOutPieces) {
  // A 2 x 2 rectangle leaves room for corners only; none of them is inverted.
  for (const SkinPiece& piece : scene::cursorPieces(2, 2)) {
    EXPECT_FALSE(piece.to.empty());
    EXPECT_EQ(piece.to.right - piece.to.left, 4) << "only the 4 x 4 corners fit";
  }
  EXPECT_EQ(scene::cursorPieces(2, 2).size(), 4u);
}

}  // namespace
