// Frame times of the renderer on the machine's GL (headless: SDL_VIDEODRIVER=offscreen): an empty scene and N
// batched quads through the effect's AlphaBlend pass, each frame composited and scaled into the back buffer.
// The floor is the sprite batch alone drawing the same quads into one screen-sized target. Each frame ends by
// reading one back-buffer pixel, so the GPU's work is inside the time.

#include <chrono>
#include <cstdio>
#include <vector>

#include "RenderTestSupport.h"
#include "platform/gfx/Context.h"
#include "platform/gfx/Device.h"
#include "platform/gfx/SpriteBatch.h"

namespace {

constexpr int kScreenWidth = 544;
constexpr int kScreenHeight = 416;
constexpr int kFrames = 60;

void sync(gfx::Device& device) {
  std::vector<std::uint32_t> pixel;
  if (!device.readBackBuffer({0, 0, 1, 1}, pixel)) {
    std::fprintf(stderr, "bench_render: back buffer not readable\n");
  }
}

double millisecondsPerFrame(render::Renderer& renderer) {
  renderer.render(true);  // warm-up: programs linked, buffers sized
  sync(renderer.device());
  const auto start = std::chrono::steady_clock::now();
  for (int frame = 0; frame < kFrames; ++frame) {
    renderer.render(false);
    sync(renderer.device());
  }
  const std::chrono::duration<double, std::milli> elapsed = std::chrono::steady_clock::now() - start;
  return elapsed.count() / kFrames;
}

double floorMillisecondsPerFrame(render::Renderer& renderer, int quads) {
  gfx::Device& device = renderer.device();
  auto target = gfx::Texture::createRenderTarget(kScreenWidth, kScreenHeight);
  auto texture = gfx::Texture::createManaged(16, 16);
  texture->fill(0x80FF8040);
  gfx::SpriteBatch& batch = renderer.batch();
  auto frame = [&] {
    device.setRenderTarget(0, target.get());
    device.clear(gfx::ClearFlags::Target, 0xFF000000);
    batch.begin(true);
    for (int i = 0; i < quads; ++i) {
      const gfx::Vector3 position{static_cast<float>(i * 7 % kScreenWidth), static_cast<float>(i * 13 % kScreenHeight),
                                  0.0f};
      batch.draw(texture.get(), nullptr, nullptr, &position, 0xFFFFFFFF);
    }
    batch.end();
    device.setRenderTarget(0, nullptr);
    sync(device);
  };
  frame();
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < kFrames; ++i) frame();
  const std::chrono::duration<double, std::milli> elapsed = std::chrono::steady_clock::now() - start;
  return elapsed.count() / kFrames;
}

}  // namespace

int main() {
  rendertest::TestScene scene;
  auto renderer = rendertest::makeRenderer(kScreenWidth, kScreenHeight, kScreenWidth, kScreenHeight);
  if (!renderer) {
    std::fprintf(stderr, "bench_render: no GL context here\n");
    return 1;
  }
  renderer->setVsync(false);
  scene.setColour(0xFF204060);  // a whole-screen background under the quads
  std::printf("GL: %s\n", renderer->context().rendererName().c_str());
  std::printf("screen %dx%d, %d frames each\n", kScreenWidth, kScreenHeight, kFrames);
  std::printf("%-28s %12s %12s\n", "scene", "frame ms", "floor ms");
  std::printf("%-28s %12.3f %12.3f\n", "empty", millisecondsPerFrame(*renderer),
              floorMillisecondsPerFrame(*renderer, 0));
  for (int quads : {1000, 10000}) {
    scene.setExtraQuads(quads);
    char label[64];
    std::snprintf(label, sizeof(label), "%d quads", quads);
    const double frame = millisecondsPerFrame(*renderer);
    std::printf("%-28s %12.3f %12.3f\n", label, frame, floorMillisecondsPerFrame(*renderer, quads));
  }
  return 0;
}
