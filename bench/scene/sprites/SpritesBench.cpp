// Frame times of sprite scenes on the machine's GL (headless: SDL_VIDEODRIVER=offscreen), drawn through the real
// Sprite and Viewport records and the renderer's frame: prepare, sort, the screen's objects merged with the viewports
// (one of them with a fast layer), each drawn in its own target only where its tone or effect needs one, and the
// composite and scaling only where the picture needs them. Mixed z, opacity, tone, colour and blend type over eight
// bitmaps. The floor draws the same quads, their bitmaps packed into one atlas, in one draw call. Also: the empty
// scene's frame, and disposing many sprites of one list.
//
// Usage: bench_scene_sprites [COUNT...]   (default 100 1000 10000 50000)

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <random>
#include <vector>

#include "FrameBench.h"
#include "RenderTestSupport.h"
#include "bitmap/Bitmap.h"
#include "platform/gfx/Context.h"
#include "platform/gfx/Device.h"
#include "platform/gfx/Texture.h"
#include "render/Renderer.h"
#include "scene/SceneFrame.h"
#include "scene/Sprite.h"
#include "scene/Viewport.h"

namespace {

constexpr int kScreenWidth = 544;
constexpr int kScreenHeight = 416;
constexpr int kBitmapCount = 8;
constexpr int kViewportCount = 3;
constexpr int kFastLayerZ = 2;
constexpr int kDisposedSprites = 50000;

class SpriteScene {
 public:
  SpriteScene() {
    for (int i = 0; i < kBitmapCount; ++i) {
      const int side = 16 + 8 * (i % 3);
      std::vector<std::uint32_t> pixels(static_cast<std::size_t>(side * side), 0xFF000000u | (0x1F3D5Bu * (i + 1)));
      auto image = std::make_unique<bitmap::Bitmap>();
      if (!image->adopt(bitmap::ConstPixelView(pixels.data(), side, side, side))) {
        std::fprintf(stderr, "bench_scene_sprites: bitmap %d not made\n", i);
      }
      m_bitmaps.push_back(std::move(image));
    }
    for (int i = 0; i < kViewportCount; ++i) {
      auto viewport = std::make_unique<scene::Viewport>();
      viewport->rectangle() = {40 * i, 30 * i, kScreenWidth - 80 * i, kScreenHeight - 60 * i};
      viewport->z = i * 3;
      m_viewports.push_back(std::move(viewport));
    }
    m_viewports.front()->fastLayers[kFastLayerZ] = 1;
  }

  ~SpriteScene() {
    // Sprites leave their lists before the viewports go, and let go of their bitmaps before those go.
    m_sprites.clear();
    m_viewports.clear();
  }
  SpriteScene(const SpriteScene&) = delete;
  SpriteScene& operator=(const SpriteScene&) = delete;

  // Four in five sprites on the screen, the rest spread over the viewports; the first viewport's share sits on its
  // fast layer's z.
  void populate(int count) {
    m_sprites.clear();
    m_quads.clear();
    std::mt19937 random(20261208u);
    auto below = [&](int bound) { return static_cast<int>(random() % static_cast<unsigned>(bound)); };
    for (int i = 0; i < count; ++i) {
      const int place = below(5);
      scene::Viewport* viewport =
          place < 4 ? nullptr : m_viewports[static_cast<std::size_t>(below(kViewportCount))].get();
      auto sprite = std::make_unique<scene::Sprite>();
      sprite->initialize(viewport);
      sprite->ownSourceRect();
      sprite->ownColor();
      sprite->ownTone();
      bitmap::Bitmap* image = m_bitmaps[static_cast<std::size_t>(below(kBitmapCount))].get();
      sprite->setBitmap(image, nullptr);
      sprite->x = below(kScreenWidth);
      sprite->y = below(kScreenHeight);
      sprite->z = viewport == m_viewports.front().get() ? kFastLayerZ : below(8);
      sprite->opacity = 128 + below(128);
      if (below(4) == 0) *sprite->tone = {0.2f, -0.1f, 0.0f, 0.3f};
      if (below(8) == 0) *sprite->color = {0, 0, 255, 96};
      sprite->blendType = below(10) == 0 ? 1 : 0;
      const float offsetX = viewport != nullptr ? static_cast<float>(viewport->rectangle().x) : 0.0f;
      const float offsetY = viewport != nullptr ? static_cast<float>(viewport->rectangle().y) : 0.0f;
      m_quads.push_back({image->texture(),
                         {0, 0, image->width(), image->height()},
                         {static_cast<float>(sprite->x) + offsetX, static_cast<float>(sprite->y) + offsetY, 0.0f},
                         (static_cast<std::uint32_t>(sprite->opacity) << 24) | 0xFFFFFFu});
      m_sprites.push_back(std::move(sprite));
    }
    // The floor draws in the scene's order too (z, then y; creation breaks ties).
    std::vector<std::size_t> index(m_quads.size());
    for (std::size_t i = 0; i < index.size(); ++i) index[i] = i;
    std::stable_sort(index.begin(), index.end(), [&](std::size_t a, std::size_t b) {
      const scene::Sprite& left = *m_sprites[a];
      const scene::Sprite& right = *m_sprites[b];
      if (left.z != right.z) return left.z < right.z;
      return left.y < right.y;
    });
    std::vector<bench::FloorQuad> sorted;
    sorted.reserve(m_quads.size());
    for (std::size_t i : index) sorted.push_back(m_quads[i]);
    m_quads = std::move(sorted);
  }

  const std::vector<bench::FloorQuad>& quads() const { return m_quads; }

 private:
  std::vector<std::unique_ptr<bitmap::Bitmap>> m_bitmaps;
  std::vector<std::unique_ptr<scene::Viewport>> m_viewports;
  std::vector<std::unique_ptr<scene::Sprite>> m_sprites;
  std::vector<bench::FloorQuad> m_quads;
};

bench::FrameCost sceneCost(render::Renderer& renderer, int frames) {
  return bench::measureFrames(renderer.device(), frames, [&] { renderer.render(false); });
}

// Sprites made in one list and disposed in creation order, as a scene's teardown does.
double disposeMilliseconds(int count) {
  std::vector<std::unique_ptr<scene::Sprite>> sprites;
  sprites.reserve(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) {
    sprites.push_back(std::make_unique<scene::Sprite>());
    sprites.back()->initialize(nullptr);
  }
  const auto start = std::chrono::steady_clock::now();
  for (auto& sprite : sprites) sprite->dispose();
  const std::chrono::duration<double, std::milli> elapsed = std::chrono::steady_clock::now() - start;
  return elapsed.count();
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<int> counts;
  for (int i = 1; i < argc; ++i) counts.push_back(std::max(0, std::atoi(argv[i])));
  if (counts.empty()) counts = {100, 1000, 10000, 50000};

  std::unique_ptr<render::Renderer> renderer =
      rendertest::makeRenderer(kScreenWidth, kScreenHeight, kScreenWidth, kScreenHeight);
  if (!renderer) return 1;
  renderer->setVsync(false);
  scene::installSceneFrame();
  renderer->resizeScreen(kScreenWidth, kScreenHeight);
  std::printf("GL: %s\n", renderer->context().rendererName().c_str());
  std::printf("screen %dx%d; sprites: %d viewports (one fast layer), mixed z, opacity, tone, colour, blend type\n",
              kScreenWidth, kScreenHeight, kViewportCount);
  bench::printCostHeader("scene");
  {
    bench::AtlasFloor floor(kScreenWidth, kScreenHeight, {});
    bench::printCostRow("empty scene", sceneCost(*renderer, 200), floor.measure(*renderer, 200));
  }
  {
    SpriteScene scene;
    for (const int count : counts) {
      scene.populate(count);
      const int frames = std::clamp(30000 / std::max(count, 1), 2, 200);
      const bench::FrameCost frame = sceneCost(*renderer, frames);
      bench::AtlasFloor floor(kScreenWidth, kScreenHeight, scene.quads());
      char label[32];
      std::snprintf(label, sizeof(label), "%d sprites", count);
      bench::printCostRow(label, frame, floor.measure(*renderer, frames));
    }
  }
  std::printf("disposing %d sprites of one list: %.3f ms\n", kDisposedSprites, disposeMilliseconds(kDisposedSprites));
  return 0;
}
