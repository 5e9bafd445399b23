// Frame times of 1, 10 and 100 animated spineboys (the sample skeleton, running) drawn as Spine objects through the
// renderer's frame, on the machine's GL (headless: SDL_VIDEODRIVER=offscreen), with draw calls per frame. Beside
// them: the pose time alone (each object's 1/60 s step: animation, pose and world transforms) and the floor, the
// same triangles of all the skeletons uploaded and drawn in one call into a screen-sized target. Each frame ends
// by reading one back-buffer pixel, so the GPU's work is inside the time.

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <vector>

#include "RenderTestSupport.h"
#include "bitmap/Bitmap.h"
#include "platform/gfx/Context.h"
#include "platform/gfx/Device.h"
#include "platform/gfx/Texture.h"
#include "platform/gfx/VertexBuffer.h"
#include "render/Renderer.h"
#include "scene/SceneFrame.h"
#include "skeleton/Spine.h"
#include "skeleton/draw/SkeletonMesh.h"
#include "skeleton/runtime/Atlas.h"

namespace {

constexpr int kScreenWidth = 544;
constexpr int kScreenHeight = 416;
constexpr int kFrames = 60;
const std::filesystem::path kSpineboy = std::filesystem::path(QUILLON_TESTDATA_DIR) / "spine38" / "spineboy";

void sync(gfx::Device& device) {
  std::vector<std::uint32_t> pixel;
  if (!device.readBackBuffer({0, 0, 1, 1}, pixel)) std::fprintf(stderr, "bench_spine_scene: no read-back\n");
}

double millisecondsPerFrame(gfx::Device* device, const std::function<void()>& frame) {
  frame();  // warm-up: targets made, programs linked, buffers sized
  if (device != nullptr) sync(*device);
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < kFrames; ++i) {
    frame();
    if (device != nullptr) sync(*device);
  }
  const std::chrono::duration<double, std::milli> elapsed = std::chrono::steady_clock::now() - start;
  return elapsed.count() / kFrames;
}

}  // namespace

int main() {
  if (!std::filesystem::is_directory(kSpineboy)) {
    std::printf("skeleton samples not found in %s\n", kSpineboy.c_str());
    return 0;
  }
  std::unique_ptr<render::Renderer> renderer =
      rendertest::makeRenderer(kScreenWidth, kScreenHeight, kScreenWidth, kScreenHeight);
  if (!renderer) return 1;
  scene::installSceneFrame();
  gfx::Device& device = renderer->device();
  std::printf("Spine frames on %s, %d x %d, ms per frame over %d frames (spineboy-pro running)\n",
              renderer->context().rendererName().c_str(), kScreenWidth, kScreenHeight, kFrames);
  std::printf("%8s %10s %12s %10s %12s %12s %14s\n", "objects", "triangles", "scene frame", "pose", "floor",
              "draw calls", "uploads/frame");
  for (int count : {1, 10, 100}) {
    std::vector<std::unique_ptr<skeleton::Spine>> objects;
    for (int i = 0; i < count; ++i) {
      auto spine = std::make_unique<skeleton::Spine>();
      spine->initialize(nullptr);
      if (spine->load((kSpineboy / "spineboy.atlas").string(), (kSpineboy / "spineboy-pro.skel").string()) !=
          skeleton::LoadResult::Loaded) {
        std::printf("spineboy-pro did not load\n");
        return 1;
      }
      spine->setSkeletonZoom(0.25f, 0.25f);
      spine->setPosition(i % 10 * 50 - 225, i / 10 * 30 - 60);
      spine->setAnimation(0, "run", true);
      for (int step = 0; step < i % 20; ++step) spine->step();  // spread over the loop
      objects.push_back(std::move(spine));
    }

    auto uploadsSoFar = [&] {
      std::uint64_t uploads = 0;
      for (const auto& spine : objects) uploads += spine->uploadCount();
      return uploads;
    };
    const std::uint64_t uploadsBefore = uploadsSoFar();
    std::uint64_t drawCalls = 0;
    const double frame = millisecondsPerFrame(&device, [&] {
      for (auto& spine : objects) spine->step();
      const std::uint64_t before = device.drawCallCount();
      renderer->render(false);
      drawCalls = device.drawCallCount() - before;
    });
    const double pose = millisecondsPerFrame(nullptr, [&] {
      for (auto& spine : objects) spine->step();
    });
    const double uploads = static_cast<double>(uploadsSoFar() - uploadsBefore) / (kFrames + 1);

    // The floor: every skeleton's triangles in one buffer, one upload and one draw with the page texture.
    std::vector<gfx::Vertex> vertices;
    std::vector<std::uint32_t> indices;
    const skeleton::SkeletonBatch* firstBatch = nullptr;
    for (const auto& spine : objects) {
      const skeleton::SkeletonMesh& mesh = spine->mesh();
      if (firstBatch == nullptr && !mesh.batches().empty()) firstBatch = &mesh.batches().front();
      const auto base = static_cast<std::uint32_t>(vertices.size());
      for (gfx::Vertex vertex : mesh.vertices()) {
        vertex.x += kScreenWidth / 2.0f;
        vertex.y = kScreenHeight / 2.0f - vertex.y;
        vertices.push_back(vertex);
      }
      for (std::uint32_t index : mesh.indices()) indices.push_back(base + index);
    }
    auto target = gfx::Texture::createRenderTarget(kScreenWidth, kScreenHeight);
    gfx::VertexBuffer buffer;
    const double floor = millisecondsPerFrame(&device, [&] {
      device.setRenderTarget(0, target.get());
      device.clear(gfx::ClearFlags::Target, 0xFF000000);
      buffer.upload(vertices.data(), vertices.size());
      buffer.uploadIndices(indices.data(), indices.size());
      gfx::RenderState& state = device.renderState();
      state.alphaBlendEnable = true;
      state.srcBlend = gfx::Blend::SrcAlpha;
      state.destBlend = gfx::Blend::InvSrcAlpha;
      state.cullMode = gfx::Cull::None;
      state.zEnable = false;
      device.setProgram(nullptr);
      const auto* page = firstBatch != nullptr ? firstBatch->page : nullptr;
      device.setTexture(0, page != nullptr ? static_cast<bitmap::Bitmap*>(page->rendererObject)->texture() : nullptr);
      device.drawIndexedTriangles(buffer, 0, indices.size(), gfx::VertexSpace::TargetPixels, gfx::Matrix4::identity());
      device.setTexture(0, nullptr);
      device.setRenderTarget(0, nullptr);
    });
    std::printf("%8d %10zu %12.3f %10.3f %12.3f %12llu %14.1f\n", count, indices.size() / 3, frame, pose, floor,
                static_cast<unsigned long long>(drawCalls), uploads);
  }
  return 0;
}
