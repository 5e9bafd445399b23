// Frame times of windows on the machine's GL (headless: SDL_VIDEODRIVER=offscreen): N open windows with a
// skin, three lines of text, a cursor, arrows and the pause sign, laid out and drawn by the scene's frame.
// The floor draws the same quads, their textures packed into one atlas, in one draw call. The layout alone (no
// drawing) is timed too.

#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "FrameBench.h"
#include "RenderTestSupport.h"
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

namespace {

constexpr int kScreenWidth = 544;
constexpr int kScreenHeight = 416;
constexpr int kFrames = 60;

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

bench::FrameCost sceneCost(render::Renderer& renderer, Scene& scene) {
  return bench::measureFrames(renderer.device(), kFrames, [&] {
    for (auto& window : scene.windows) window->update();
    renderer.render(false);
  });
}

// The windows' visible parts, each its source rectangle where the scene places it.
std::vector<bench::FloorQuad> floorQuads(Scene& scene) {
  scene::layoutWindows();
  std::vector<bench::FloorQuad> quads;
  for (auto& window : scene.windows) {
    for (int part = 0; part < scene::kWindowParts; ++part) {
      scene::Sprite& sprite = window->part(static_cast<scene::WindowPart>(part));
      if (!sprite.visible || sprite.texture() == nullptr || sprite.sourceRect == nullptr) continue;
      const engine::RectData& source = *sprite.sourceRect;
      quads.push_back({sprite.texture(),
                       {source.x, source.y, source.x + source.width, source.y + source.height},
                       {static_cast<float>(sprite.x - sprite.ox), static_cast<float>(sprite.y - sprite.oy), 0.0f},
                       (static_cast<std::uint32_t>(sprite.opacity) << 24) | 0xFFFFFFu});
    }
  }
  return quads;
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
  bench::printCostHeader("scene");
  bench::printCostRow("no windows", sceneCost(*renderer, scene),
                      bench::AtlasFloor(kScreenWidth, kScreenHeight, {}).measure(*renderer, kFrames));
  addWindows(scene, 20, face.get());
  const bench::FrameCost windows = sceneCost(*renderer, scene);
  bench::AtlasFloor floor(kScreenWidth, kScreenHeight, floorQuads(scene));
  bench::printCostRow("20 open windows with text", windows, floor.measure(*renderer, kFrames));
  std::printf("(floor draws %zu quads); layout alone: %.2f us\n", floor.quadCount(), layoutMicroseconds());

  // Windows before the renderer: their parts leave the screen's list while it still draws.
  scene.windows.clear();
  scene.contents.clear();
  scene.skin.reset();
  return 0;
}
