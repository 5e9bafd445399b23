// Frame times of windows on the machine's GL (headless: SDL_VIDEODRIVER=offscreen): N open windows with a
// skin, three lines of text, a cursor, arrows and the pause sign, laid out and drawn by the scene's frame.
// The floor is the sprite batch alone drawing the same textures as the same number of quads in one batch
// into a screen-sized target. Each frame ends by reading one pixel back, so the GPU's work is inside the time.
// The layout alone (no drawing) is timed too.

#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "bitmap/Bitmap.h"
#include "bitmap/core/GlyphSource.h"
#include "bitmap/core/TextLayout.h"
#include "platform/gfx/Context.h"
#include "platform/gfx/Device.h"
#include "platform/gfx/SpriteBatch.h"
#include "platform/gfx/Texture.h"
#include "platform/text/FontFace.h"
#include "platform/window/Screen.h"
#include "render/Renderer.h"
#include "scene/SceneFrame.h"
#include "scene/Sprite.h"
#include "scene/Window.h"
#include "RenderTestSupport.h"

namespace {

constexpr int kScreenWidth = 544;
constexpr int kScreenHeight = 416;
constexpr int kFrames = 60;

void sync(gfx::Device& device) {
  std::vector<std::uint32_t> pixel;
  if (!device.readBackBuffer({0, 0, 1, 1}, pixel)) std::fprintf(stderr, "bench_scene_window: no read-back\n");
}

std::unique_ptr<bitmap::Bitmap> makeSkin() {
  std::unique_ptr<bitmap::Bitmap> skin = bitmap::createBitmap(128, 128);
  bitmap::PixelView pixels = skin->lockAll();
  bitmap::fillRect(pixels, {0, 0, 64, 64}, 0xFF203070);
  bitmap::fillRect(pixels, {0, 64, 64, 64}, 0x20FFFFFF);
  bitmap::fillRect(pixels, {64, 0, 64, 64}, 0xFFE0E4FF);
  bitmap::clearRect(pixels, {66, 2, 60, 60});
  bitmap::fillRect(pixels, {88, 16, 16, 8}, 0xFFFFFFFF);
  bitmap::fillRect(pixels, {88, 40, 16, 8}, 0xFFFFFFFF);
  bitmap::fillRect(pixels, {64, 64, 32, 32}, 0x60FFFFFF);
  bitmap::fillRect(pixels, {96, 64, 32, 32}, 0xFFFFE080);
  skin->unlock();
  return skin;
}

// Three lines of text, or a filled block when no font can be opened here.
std::unique_ptr<bitmap::Bitmap> makeContents(int width, int height, int index, text::FontFace* face) {
  std::unique_ptr<bitmap::Bitmap> contents = bitmap::createBitmap(width, height);
  bitmap::PixelView pixels = contents->lockAll();
  if (face != nullptr) {
    bitmap::FaceGlyphs glyphs(*face);
    for (int line = 0; line < 3; ++line) {
      const std::string text = "Window " + std::to_string(index) + ", line " + std::to_string(line + 1);
      bitmap::drawText(pixels, glyphs, bitmap::TextStyle{}, {4, line * 24, width - 8, 24}, text, 0);
    }
  } else {
    bitmap::fillRect(pixels, {4, 4, width - 8, 60}, 0xFFFFFFFF);
  }
  contents->unlock();
  return contents;
}

struct Scene {
  std::unique_ptr<bitmap::Bitmap> skin;
  std::vector<std::unique_ptr<bitmap::Bitmap>> contents;
  std::vector<std::unique_ptr<scene::Window>> windows;
};

void addWindows(Scene& scene, int count, text::FontFace* face) {
  for (int i = 0; i < count; ++i) {
    auto window = std::make_unique<scene::Window>();
    window->initialize(8 + (i % 4) * 132, 8 + (i / 4) * 80, 128, 96);
    scene.contents.push_back(makeContents(112, 120, i, face));  // taller than the inside: a down arrow
    window->setContents(scene.contents.back().get());
    window->setWindowskin(scene.skin.get());
    *window->cursorRect = {0, 24, 112, 24};
    window->pause = i % 2 == 0;
    scene.windows.push_back(std::move(window));
  }
}

template <class Frame>
double millisecondsPerFrame(Frame frame) {
  frame();  // warm-up: programs linked, textures uploaded
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < kFrames; ++i) frame();
  const std::chrono::duration<double, std::milli> elapsed = std::chrono::steady_clock::now() - start;
  return elapsed.count() / kFrames;
}

double sceneFrame(render::Renderer& renderer, Scene& scene) {
  return millisecondsPerFrame([&] {
    for (auto& window : scene.windows) window->update();
    renderer.render(false);
    sync(renderer.device());
  });
}

// The same textures as the windows' visible parts, each a quad at the same place, one batch.
double floorFrame(render::Renderer& renderer, Scene& scene) {
  struct Quad {
    gfx::Texture* texture;
    gfx::Vector3 position;
  };
  scene::layoutWindows();
  std::vector<Quad> quads;
  for (auto& window : scene.windows) {
    for (int part = 0; part < scene::kWindowParts; ++part) {
      scene::Sprite& sprite = window->part(static_cast<scene::WindowPart>(part));
      if (!sprite.visible || sprite.texture() == nullptr) continue;
      quads.push_back({sprite.texture(), {static_cast<float>(sprite.x), static_cast<float>(sprite.y), 0.0f}});
    }
  }
  gfx::Device& device = renderer.device();
  gfx::SpriteBatch& batch = renderer.batch();
  auto target = gfx::Texture::createRenderTarget(kScreenWidth, kScreenHeight);
  const double milliseconds = millisecondsPerFrame([&] {
    device.setRenderTarget(0, target.get());
    device.clear(gfx::ClearFlags::Target, 0xFF000000);
    batch.begin(true);
    for (const Quad& quad : quads) batch.draw(quad.texture, nullptr, nullptr, &quad.position, 0xFFFFFFFF);
    batch.end();
    device.setRenderTarget(0, nullptr);
    sync(device);
  });
  std::printf("  (floor draws %zu quads)\n", quads.size());
  return milliseconds;
}

double layoutMicroseconds() {
  constexpr int kRuns = 10000;
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < kRuns; ++i) scene::layoutWindows();
  const std::chrono::duration<double, std::micro> elapsed = std::chrono::steady_clock::now() - start;
  return elapsed.count() / kRuns;
}

}  // namespace

int main() {
  std::unique_ptr<render::Renderer> renderer =
      rendertest::makeRenderer(kScreenWidth, kScreenHeight, kScreenWidth, kScreenHeight);
  if (!renderer) return 1;
  scene::installSceneFrame();
  renderer->resizeScreen(kScreenWidth, kScreenHeight);
  renderer->setVsync(false);
  std::unique_ptr<text::FontFace> face = text::FontFace::open({"Liberation Sans", 18});
  if (!face) std::fprintf(stderr, "bench_scene_window: no font here, contents are filled blocks\n");

  Scene scene;
  scene.skin = makeSkin();
  std::printf("GL: %s\n", renderer->context().rendererName().c_str());
  std::printf("screen %dx%d, %d frames each\n", kScreenWidth, kScreenHeight, kFrames);
  std::printf("%-28s %12s %12s %14s\n", "scene", "frame ms", "floor ms", "layout us");
  const double empty = sceneFrame(*renderer, scene);
  std::printf("%-28s %12.3f %12s %14s\n", "no windows", empty, "-", "-");
  addWindows(scene, 20, face.get());
  const double windows = sceneFrame(*renderer, scene);
  const double layout = layoutMicroseconds();
  const double floor = floorFrame(*renderer, scene);
  std::printf("%-28s %12.3f %12.3f %14.2f\n", "20 open windows with text", windows, floor, layout);

  // Windows before the renderer: their parts leave the screen's list while it still draws.
  scene.windows.clear();
  scene.contents.clear();
  scene.skin.reset();
  return 0;
}
