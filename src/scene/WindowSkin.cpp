#include "scene/WindowSkin.h"

namespace scene {

namespace {

void add(std::vector<SkinPiece>& pieces, SkinFill fill, SkinBox from, SkinBox to) {
  if (!to.empty()) pieces.push_back({fill, from, to});
}

}  // namespace

std::vector<SkinPiece> backPieces(std::int64_t width, std::int64_t height, std::int64_t indent) {
  std::vector<SkinPiece> pieces;
  const SkinBox area{indent, indent, width - indent, height - indent};
  add(pieces, SkinFill::Stretch, {0, 0, 64, 64}, area);
  add(pieces, SkinFill::Tile, {0, 64, 64, 128}, area);
  return pieces;
}

std::vector<SkinPiece> framePieces(std::int64_t width, std::int64_t height) {
  constexpr std::int64_t e = kFrameEdge;
  const std::int64_t w = width;
  const std::int64_t h = height;
  std::vector<SkinPiece> pieces;
  add(pieces, SkinFill::Stretch, {64, 0, 80, 16}, {0, 0, e, e});
  add(pieces, SkinFill::Stretch, {112, 0, 128, 16}, {w - e, 0, w, e});
  add(pieces, SkinFill::Stretch, {64, 48, 80, 64}, {0, h - e, e, h});
  add(pieces, SkinFill::Stretch, {112, 48, 128, 64}, {w - e, h - e, w, h});
  add(pieces, SkinFill::Tile, {80, 0, 112, 16}, {e, 0, w - e, e});
  add(pieces, SkinFill::Tile, {80, 48, 112, 64}, {e, h - e, w - e, h});
  add(pieces, SkinFill::Tile, {64, 16, 80, 48}, {0, e, e, h - e});
  add(pieces, SkinFill::Tile, {112, 16, 128, 48}, {w - e, e, w, h - e});
  return pieces;
}

std::vector<SkinPiece> cursorPieces(std::int64_t width, std::int64_t height) {
  const std::int64_t w = width;
  const std::int64_t h = height;
  std::vector<SkinPiece> pieces;
  add(pieces, SkinFill::Stretch, {64, 64, 68, 68}, {0, 0, 4, 4});
  add(pieces, SkinFill::Stretch, {92, 64, 96, 68}, {w - 3, 0, w + 1, 4});
  add(pieces, SkinFill::Stretch, {64, 92, 68, 96}, {0, h - 3, 4, h + 1});
  add(pieces, SkinFill::Stretch, {92, 92, 96, 96}, {w - 3, h - 3, w + 1, h + 1});
  add(pieces, SkinFill::Stretch, {68, 64, 92, 68}, {4, 0, w - 3, 4});
  add(pieces, SkinFill::Stretch, {64, 68, 68, 92}, {0, 4, 4, h - 3});
  add(pieces, SkinFill::Stretch, {92, 68, 96, 92}, {w - 3, 4, w + 1, h - 3});
  add(pieces, SkinFill::Stretch, {68, 92, 92, 96}, {4, h - 3, w - 3, h + 1});
  add(pieces, SkinFill::Stretch, {68, 68, 92, 92}, {4, 4, w - 3, h - 3});
  return pieces;
}

}  // namespace scene
