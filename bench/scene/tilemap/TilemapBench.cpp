// Frame time of a 200 x 200-cell tile map with autotiles on all three map layers and shadows, scrolled
// diagonally through the whole frame of the renderer (prepare, sort, layers drawn, composite, back buffer) on the
// machine's GL (headless: SDL_VIDEODRIVER=offscreen). The floor is the sprite batch alone drawing the same number
// of 16 x 16 quads into one screen-sized target. Each frame ends by reading one back-buffer pixel, so the GPU's
// work is inside the time. Compiling the map once is timed apart.

#include <array>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <memory>
#include <vector>

#include "bitmap/Bitmap.h"
#include "platform/gfx/Context.h"
#include "platform/gfx/Device.h"
#include "platform/gfx/SpriteBatch.h"
#include "platform/gfx/Texture.h"
#include "platform/window/Screen.h"
#include "render/Renderer.h"
#include "scene/SceneFrame.h"
#include "scene/Tilemap.h"
#include "RenderTestSupport.h"

namespace {

constexpr int kScreenWidth = 544;
constexpr int kScreenHeight = 416;
constexpr int kMapSize = 200;
constexpr int kFrames = 120;

using Clock = std::chrono::steady_clock;

double millisecondsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

void sync(gfx::Device& device) {
  std::vector<std::uint32_t> pixel;
  if (!device.readBackBuffer({0, 0, 1, 1}, pixel)) std::fprintf(stderr, "bench_scene_tilemap: back buffer not readable\n");
}

std::unique_ptr<bitmap::Bitmap> sheet(int width, int height, std::uint32_t seed) {
  std::vector<bitmap::Pixel> pixels(static_cast<std::size_t>(width * height));
  for (std::size_t i = 0; i < pixels.size(); ++i) pixels[i] = 0xFF000000u | static_cast<std::uint32_t>(i * seed);
  auto image = std::make_unique<bitmap::Bitmap>();
  if (!image->adopt(bitmap::ConstPixelView(pixels.data(), width, height, width))) return nullptr;
  return image;
}

// Water on layer 0, ground autotiles on layer 1, wall tops on layer 2 (some flagged above characters), shadows.
std::vector<std::int16_t> mapElements() {
  std::vector<std::int16_t> elements(static_cast<std::size_t>(kMapSize * kMapSize * 4));
  auto at = [&](int x, int y, int z) -> std::int16_t& {
    return elements[static_cast<std::size_t>(x + kMapSize * (y + kMapSize * z))];
  };
  for (int y = 0; y < kMapSize; ++y) {
    for (int x = 0; x < kMapSize; ++x) {
      at(x, y, 0) = static_cast<std::int16_t>(2048 + (x * 7 + y) % 48);
      at(x, y, 1) = static_cast<std::int16_t>(2816 + 48 * ((x + y) % 32) + (x * y) % 48);
      at(x, y, 2) = static_cast<std::int16_t>(5888 + 48 * ((x + 3 * y) % 48) + (x + y) % 48);
      at(x, y, 3) = static_cast<std::int16_t>((x ^ y) & 0xF);
    }
  }
  return elements;
}

// Quads the layers draw at this scroll position, for a floor of the same size.
int quadsAt(const scene::Tilemap& map, int ox, int oy) {
  const scene::tiles::CellSpan columns = scene::tiles::visibleCells(ox, kScreenWidth, 1.0f);
  const scene::tiles::CellSpan rows = scene::tiles::visibleCells(oy, kScreenHeight, 1.0f);
  std::size_t quads = 0;
  for (std::size_t i = 0; i < scene::Tilemap::kLayerCount; ++i) {
    const scene::TilemapLayer& layer = *map.layer(static_cast<scene::Tilemap::Layer>(i));
    if (!layer.hasCells()) continue;
    for (std::int64_t x = columns.first; x <= columns.last; ++x) {
      for (std::int64_t y = rows.first; y <= rows.last; ++y) {
        quads += layer
                     .cell(static_cast<int>(scene::tiles::wrapCell(x, kMapSize)),
                           static_cast<int>(scene::tiles::wrapCell(y, kMapSize)))
                     .size();
      }
    }
  }
  return static_cast<int>(quads);
}

double floorMilliseconds(render::Renderer& renderer, int quads) {
  gfx::Device& device = renderer.device();
  auto target = gfx::Texture::createRenderTarget(kScreenWidth, kScreenHeight);
  auto texture = gfx::Texture::createManaged(512, 512);
  texture->fill(0xFF408060);
  gfx::SpriteBatch& batch = renderer.batch();
  auto frame = [&] {
    device.setRenderTarget(0, target.get());
    device.clear(gfx::ClearFlags::Target, 0xFF000000);
    batch.begin(true);
    for (int i = 0; i < quads; ++i) {
      const gfx::Rect source{(i * 16) % 512, (i * 48) % 512, (i * 16) % 512 + 16, (i * 48) % 512 + 16};
      const gfx::Vector3 position{static_cast<float>(i * 16 % kScreenWidth), static_cast<float>(i * 7 % kScreenHeight),
                                  0.5f};
      batch.draw(texture.get(), &source, nullptr, &position, 0xFFFFFFFF);
    }
    batch.end();
    device.setRenderTarget(0, nullptr);
    sync(device);
  };
  frame();
  const auto start = Clock::now();
  for (int i = 0; i < kFrames; ++i) frame();
  return millisecondsSince(start) / kFrames;
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
  std::vector<std::int16_t> elements = mapElements();
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

    renderer->render(false);  // warm-up: programs linked, textures uploaded, buffers sized
    sync(renderer->device());
    long quads = 0;
    auto scrolledFrames = [&] {
      quads = 0;
      const auto start = Clock::now();
      for (int frame = 0; frame < kFrames; ++frame) {
        tilemap.setOx(frame * 3);
        tilemap.setOy(frame * 2);
        tilemap.update(&map, nullptr);
        quads += quadsAt(tilemap, frame * 3, frame * 2);
        renderer->render(false);
        sync(renderer->device());
      }
      return millisecondsSince(start) / kFrames;
    };
    const double frameMs = scrolledFrames();
    const int quadsPerFrame = static_cast<int>(quads / kFrames);
    // The same frames with the map hidden: what the renderer costs around it (composite, scaling, present).
    tilemap.setVisible(false);
    const double hiddenMs = scrolledFrames();
    std::printf("%-34s %12s %12s\n", "scene", "frame ms", "floor ms");
    std::printf("%-34s %12.3f %12.3f\n", "map hidden (renderer alone)", hiddenMs, floorMilliseconds(*renderer, 0));
    char label[64];
    std::snprintf(label, sizeof(label), "tilemap, %d quads/frame", quadsPerFrame);
    std::printf("%-34s %12.3f %12.3f\n", label, frameMs, floorMilliseconds(*renderer, quadsPerFrame));
    tilemap.dispose();
  }
  sheets.clear();
  renderer.reset();
  return 0;
}
