// Frame times of the renderer on the machine's GL (headless: SDL_VIDEODRIVER=offscreen): a scene of one
// whole-screen picture and N batched quads through the effect's AlphaBlend pass, each frame composited and scaled
// into the back buffer. The floor draws the same quads in one draw call into one screen-sized target.

#include <cstdio>
#include <vector>

#include "FrameBench.h"
#include "RenderTestSupport.h"
#include "platform/gfx/Context.h"
#include "platform/gfx/Device.h"
#include "platform/gfx/Texture.h"

namespace {

constexpr int kScreenWidth = 544;
constexpr int kScreenHeight = 416;
constexpr int kFrames = 60;

// The quads TestScene adds, as the floor draws them.
std::vector<bench::FloorQuad> extraQuads(const gfx::Texture& texture, int count) {
  std::vector<bench::FloorQuad> quads;
  for (int i = 0; i < count; ++i) {
    quads.push_back({&texture,
                     {0, 0, texture.width(), texture.height()},
                     {static_cast<float>(i * 7 % kScreenWidth), static_cast<float>(i * 13 % kScreenHeight), 0.0f},
                     0xFFFFFFFF});
  }
  return quads;
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
  auto quad = gfx::Texture::createManaged(16, 16);
  quad->fill(0x80FF8040);
  std::printf("GL: %s\n", renderer->context().rendererName().c_str());
  std::printf("screen %dx%d, %d frames each\n", kScreenWidth, kScreenHeight, kFrames);
  bench::printCostHeader("scene");
  for (int quads : {0, 1000, 10000}) {
    scene.setExtraQuads(quads);
    const bench::FrameCost frame = bench::measureFrames(renderer->device(), kFrames, [&] { renderer->render(false); });
    bench::AtlasFloor floor(kScreenWidth, kScreenHeight, extraQuads(*quad, quads));
    char label[64];
    std::snprintf(label, sizeof(label), "picture + %d quads", quads);
    bench::printCostRow(label, frame, floor.measure(*renderer, kFrames));
  }
  return 0;
}
