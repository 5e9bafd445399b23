// Frame times of sprite scenes on the machine's GL (headless: SDL_VIDEODRIVER=offscreen), drawn through the real
// Sprite and Viewport records and the renderer's frame: prepare, sort, viewports rendered into their targets (one of
// them with a fast layer), the screen's objects merged with them, composite and scale. Mixed z, opacity and tone.
// The floor is the sprite batch alone drawing the same quads, in the same order, into one screen-sized target in a
// single batch. Each frame ends by reading one back-buffer pixel, so the GPU's work is inside the time.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <random>
#include <vector>

#include "bitmap/Bitmap.h"
#include "platform/gfx/Context.h"
#include "platform/gfx/Device.h"
#include "platform/gfx/SpriteBatch.h"
#include "platform/gfx/Texture.h"
#include "platform/window/Screen.h"
#include "render/Renderer.h"
#include "scene/SceneFrame.h"
#include "scene/Sprite.h"
#include "scene/Viewport.h"
#include "RenderTestSupport.h"

namespace {

constexpr int kScreenWidth = 544;
constexpr int kScreenHeight = 416;
constexpr int kBitmapCount = 8;
constexpr int kViewportCount = 3;
constexpr int kFastLayerZ = 2;

void sync(gfx::Device& device) {
  std::vector<std::uint32_t> pixel;
  if (!device.readBackBuffer({0, 0, 1, 1}, pixel)) std::fprintf(stderr, "bench_scene_sprites: no read-back\n");
}

// What the floor draws for one sprite: its texture where the scene puts it, at its opacity.
struct Quad {
  gfx::Texture* texture = nullptr;
  gfx::Vector3 position{};
  std::uint32_t colour = 0;
};

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
      sprite->blendType = below(10) == 0 ? 1 : 0;
      m_quads.push_back({image->texture(),
                         {static_cast<float>(sprite->x), static_cast<float>(sprite->y), 0.0f},
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
    std::vector<Quad> sorted;
    sorted.reserve(m_quads.size());
    for (std::size_t i : index) sorted.push_back(m_quads[i]);
    m_quads = std::move(sorted);
  }

  const std::vector<Quad>& quads() const { return m_quads; }

 private:
  std::vector<std::unique_ptr<bitmap::Bitmap>> m_bitmaps;
  std::vector<std::unique_ptr<scene::Viewport>> m_viewports;
  std::vector<std::unique_ptr<scene::Sprite>> m_sprites;
  std::vector<Quad> m_quads;
};

double millisecondsPerFrame(render::Renderer& renderer, int frames) {
  renderer.render(false);  // warm-up: targets made, programs linked, buffers sized
  sync(renderer.device());
  const auto start = std::chrono::steady_clock::now();
  for (int frame = 0; frame < frames; ++frame) {
    renderer.render(false);
    sync(renderer.device());
  }
  const std::chrono::duration<double, std::milli> elapsed = std::chrono::steady_clock::now() - start;
  return elapsed.count() / frames;
}

double floorMillisecondsPerFrame(render::Renderer& renderer, const std::vector<Quad>& quads, int frames) {
  gfx::Device& device = renderer.device();
  auto target = gfx::Texture::createRenderTarget(kScreenWidth, kScreenHeight);
  gfx::SpriteBatch& batch = renderer.batch();
  batch.setTransform(gfx::Matrix4::identity());
  auto frame = [&] {
    device.setRenderTarget(0, target.get());
    device.clear(gfx::ClearFlags::Target, 0xFF000000);
    batch.begin(true);
    for (const Quad& quad : quads) batch.draw(quad.texture, nullptr, nullptr, &quad.position, quad.colour);
    batch.end();
    device.setRenderTarget(0, nullptr);
    sync(device);
  };
  frame();
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < frames; ++i) frame();
  const std::chrono::duration<double, std::milli> elapsed = std::chrono::steady_clock::now() - start;
  return elapsed.count() / frames;
}

}  // namespace

int main() {
  std::unique_ptr<render::Renderer> renderer =
      rendertest::makeRenderer(kScreenWidth, kScreenHeight, kScreenWidth, kScreenHeight);
  if (!renderer) return 1;
  renderer->setVsync(false);
  scene::installSceneFrame();
  renderer->resizeScreen(kScreenWidth, kScreenHeight);
  std::printf("GL: %s\n", renderer->context().rendererName().c_str());
  std::printf("screen %dx%d, %d viewports (one fast layer), mixed z, opacity, tone\n", kScreenWidth, kScreenHeight,
              kViewportCount);
  std::printf("%-16s %8s %12s %12s %8s\n", "scene", "frames", "frame ms", "floor ms", "ratio");
  {
    SpriteScene scene;
    for (const int count : {1000, 10000}) {
      scene.populate(count);
      const int frames = count >= 10000 ? 8 : 30;
      const double frame = millisecondsPerFrame(*renderer, frames);
      const double floor = floorMillisecondsPerFrame(*renderer, scene.quads(), frames);
      char label[32];
      std::snprintf(label, sizeof(label), "%d sprites", count);
      std::printf("%-16s %8d %12.3f %12.3f %8.1f\n", label, frames, frame, floor, frame / floor);
    }
  }
  return 0;
}
