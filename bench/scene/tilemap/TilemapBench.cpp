// Frame time of a 200 x 200-cell tile map with autotiles on all three map layers and shadows, scrolled
// diagonally through the whole frame of the renderer (prepare, sort, layers drawn, composite, back buffer) on the
// machine's GL (headless: SDL_VIDEODRIVER=offscreen). The floor draws the quads the layers draw halfway through the
// scroll, their tile sheets packed into one atlas, in one draw call. Compiling the whole map is timed apart, and so is
// changing one cell of a 500 x 500 map as a script does (an element written, the table marked changed).

#include <array>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <memory>
#include <random>
#include <vector>

#include "FrameBench.h"
#include "RenderTestSupport.h"
#include "bitmap/Bitmap.h"
#include "platform/gfx/Context.h"
#include "platform/gfx/Device.h"
#include "platform/gfx/Texture.h"
#include "platform/window/Screen.h"
#include "render/Renderer.h"
#include "scene/SceneFrame.h"
#include "scene/Tilemap.h"

namespace {

constexpr int kScreenWidth = 544;
constexpr int kScreenHeight = 416;
constexpr int kMapSize = 200;
constexpr int kLargeMapSize = 500;
constexpr int kFrames = 120;
constexpr int kCellChanges = 50;

using Clock = std::chrono::steady_clock;

double millisecondsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

std::unique_ptr<bitmap::Bitmap> sheet(int width, int height, std::uint32_t seed) {
  std::vector<bitmap::Pixel> pixels(static_cast<std::size_t>(width * height));
  for (std::size_t i = 0; i < pixels.size(); ++i) pixels[i] = 0xFF000000u | static_cast<std::uint32_t>(i * seed);
  auto image = std::make_unique<bitmap::Bitmap>();
  if (!image->adopt(bitmap::ConstPixelView(pixels.data(), width, height, width))) return nullptr;
  return image;
}

// Water on layer 0, ground autotiles on layer 1, wall tops on layer 2 (some flagged above characters), shadows.
std::vector<std::int16_t> mapElements(int size) {
  std::vector<std::int16_t> elements(static_cast<std::size_t>(size * size * 4));
  auto at = [&](int x, int y, int z) -> std::int16_t& {
    return elements[static_cast<std::size_t>(x + size * (y + size * z))];
  };
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      at(x, y, 0) = static_cast<std::int16_t>(2048 + (x * 7 + y) % 48);
      at(x, y, 1) = static_cast<std::int16_t>(2816 + 48 * ((x + y) % 32) + (x * y) % 48);
      at(x, y, 2) = static_cast<std::int16_t>(5888 + 48 * ((x + 3 * y) % 48) + (x + y) % 48);
      at(x, y, 3) = static_cast<std::int16_t>((x ^ y) & 0xF);
    }
  }
  return elements;
}

// The quads the layers draw at this scroll position (animation frame 0), as the floor draws them.
std::vector<bench::FloorQuad> quadsAt(const scene::Tilemap& map, int ox, int oy) {
  const scene::tiles::CellSpan columns = scene::tiles::visibleCells(ox, kScreenWidth, 1.0f);
  const scene::tiles::CellSpan rows = scene::tiles::visibleCells(oy, kScreenHeight, 1.0f);
  std::vector<bench::FloorQuad> quads;
  for (std::size_t i = 0; i < scene::Tilemap::kLayerCount; ++i) {
    const scene::TilemapLayer& layer = *map.layer(static_cast<scene::Tilemap::Layer>(i));
    if (!layer.hasCells()) continue;
    for (std::int64_t x = columns.first; x <= columns.last; ++x) {
      for (std::int64_t y = rows.first; y <= rows.last; ++y) {
        const auto cellX = static_cast<int>(scene::tiles::wrapCell(x, kMapSize));
        const auto cellY = static_cast<int>(scene::tiles::wrapCell(y, kMapSize));
        for (const scene::tiles::TileQuad& quad : layer.cell(cellX, cellY)) {
          if (quad.bitmapIndex < 0) continue;
          bitmap::Bitmap* image = layer.bitmaps[static_cast<std::size_t>(quad.bitmapIndex)];
          if (image == nullptr) continue;
          const float left = static_cast<float>((x - cellX) * scene::tiles::kTileSize + quad.destX - ox);
          const float top = static_cast<float>((y - cellY) * scene::tiles::kTileSize + quad.destY - oy);
          quads.push_back({image->texture(),
                           {quad.srcX, quad.srcY, quad.srcX + quad.srcWidth, quad.srcY + quad.srcHeight},
                           {left, top, 0.5f},
                           0xFFFFFFFF});
        }
      }
    }
  }
  return quads;
}

// Milliseconds per change of one random cell of a large map, each followed by the tile map's update.
double cellChangeMilliseconds(scene::Tilemap& tilemap) {
  std::vector<std::int16_t> elements = mapElements(kLargeMapSize);
  engine::TableData map{
      3, kLargeMapSize, kLargeMapSize, 4, static_cast<std::int32_t>(elements.size()), elements.data()};
  tilemap.dirty = true;
  tilemap.update(&map, nullptr);
  std::mt19937 random(7u);
  const auto start = Clock::now();
  for (int i = 0; i < kCellChanges; ++i) {
    const std::size_t at = random() % (static_cast<std::size_t>(kLargeMapSize) * kLargeMapSize);
    elements[at + static_cast<std::size_t>(kLargeMapSize) * kLargeMapSize] = static_cast<std::int16_t>(2816 + i);
    map.dimensions = -map.dimensions;  // what the table writer leaves for the tile map to see
    tilemap.update(&map, nullptr);
  }
  const double milliseconds = millisecondsSince(start) / kCellChanges;
  tilemap.dirty = true;
  tilemap.update(nullptr, nullptr);
  return milliseconds;
}

}  // namespace

int main() {
  std::unique_ptr<render::Renderer> renderer =
      rendertest::makeRenderer(kScreenWidth, kScreenHeight, kScreenWidth, kScreenHeight);
  if (!renderer) return 1;
  scene::installSceneFrame();
  renderer->resizeScreen(kScreenWidth, kScreenHeight);
  renderer->setVsync(false);

  std::vector<std::unique_ptr<bitmap::Bitmap>> sheets;
  std::array<bitmap::Bitmap*, scene::tiles::kTileBitmapCount> images{};
  const int sizes[][2] = {{512, 384}, {512, 384}, {512, 512}, {512, 480}, {512, 512},
                          {512, 512}, {512, 512}, {512, 512}, {512, 512}};
  for (std::size_t i = 0; i < images.size(); ++i) {
    sheets.push_back(sheet(sizes[i][0], sizes[i][1], static_cast<std::uint32_t>(2654435761u + i)));
    images[i] = sheets.back().get();
  }
  std::vector<std::int16_t> elements = mapElements(kMapSize);
  engine::TableData map{3, kMapSize, kMapSize, 4, static_cast<std::int32_t>(elements.size()), elements.data()};
  std::vector<std::int16_t> flagElements(8192);
  for (int id = 5888; id < 8192; ++id) {
    if ((id - 5888) / 48 % 4 == 0) flagElements[static_cast<std::size_t>(id)] = 0x10;  // a quarter above characters
  }
  const engine::TableData flags{1, 8192, 1, 1, 8192, flagElements.data()};

  {
    scene::Tilemap tilemap;
    tilemap.initialize(nullptr);
    tilemap.setFlags(flags);
    tilemap.setBitmaps(images);
    // Processor time beside wall time: on a shared machine the wall clock also counts other processes' turns.
    auto timeCompile = [&](double& cpuMs) {
      const auto start = Clock::now();
      const std::clock_t cpuStart = std::clock();
      tilemap.dirty = true;
      tilemap.update(&map, nullptr);
      cpuMs = 1000.0 * static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC;
      return millisecondsSince(start);
    };
    double firstCpuMs = 0.0;
    double againCpuMs = 0.0;
    const double firstMs = timeCompile(firstCpuMs);
    const double againMs = timeCompile(againCpuMs);

    std::printf("GL: %s\n", renderer->context().rendererName().c_str());
    std::printf("screen %dx%d, map %dx%d cells, %d frames\n", kScreenWidth, kScreenHeight, kMapSize, kMapSize, kFrames);
    std::printf("compile of the whole map: %.3f ms (%.3f ms processor); again: %.3f ms (%.3f ms processor)\n", firstMs,
                firstCpuMs, againMs, againCpuMs);

    int frame = 0;
    auto scrolled = [&] {
      tilemap.setOx(frame * 3);
      tilemap.setOy(frame * 2);
      tilemap.update(&map, nullptr);
      renderer->render(false);
      frame = (frame + 1) % kFrames;
    };
    bench::printCostHeader("scene");
    // The same frames with the map hidden: what the renderer costs around it (composite, scaling, present).
    tilemap.setVisible(false);
    const bench::FrameCost hidden = bench::measureFrames(renderer->device(), kFrames, scrolled);
    bench::printCostRow("map hidden (renderer alone)", hidden,
                        bench::AtlasFloor(kScreenWidth, kScreenHeight, {}).measure(*renderer, kFrames));
    tilemap.setVisible(true);
    const bench::FrameCost shown = bench::measureFrames(renderer->device(), kFrames, scrolled);
    const std::vector<bench::FloorQuad> quads = quadsAt(tilemap, kFrames / 2 * 3, kFrames / 2 * 2);
    char label[64];
    std::snprintf(label, sizeof(label), "tilemap, ~%zu quads/frame", quads.size());
    bench::printCostRow(label, shown,
                        bench::AtlasFloor(kScreenWidth, kScreenHeight, quads).measure(*renderer, kFrames));

    std::printf("changing one cell of a %dx%d map: %.3f ms\n", kLargeMapSize, kLargeMapSize,
                cellChangeMilliseconds(tilemap));
    tilemap.dispose();
  }
  sheets.clear();
  renderer.reset();
  return 0;
}
