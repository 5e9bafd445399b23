// Frame times of one Geometry mesh on the machine's GL (headless: SDL_VIDEODRIVER=offscreen), drawn through the real
// record and the renderer's frame. World mode turns the mesh by a new matrix each frame without uploading its
// vertices again; screen mode, given a new matrix each frame, transforms and uploads every vertex each frame. The
// floor is the device alone drawing the same triangles (already transformed) into one screen-sized target in one
// draw call. Each frame ends with glFinish, so the GPU's work is inside the time.

#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <functional>
#include <memory>
#include <random>
#include <vector>

#include "RenderTestSupport.h"
#include "platform/gfx/Context.h"
#include "platform/gfx/Device.h"
#include "platform/gfx/Texture.h"
#include "platform/window/Screen.h"
#include "render/Renderer.h"
#include "scene/Geometry.h"
#include "scene/SceneFrame.h"

namespace {

constexpr int kScreenWidth = 544;
constexpr int kScreenHeight = 416;
constexpr int kFrames = 60;

double millisecondsPerFrame(gfx::Device& device, const std::function<void(int)>& frame) {
  frame(0);  // warm-up: targets made, programs linked, buffers sized
  device.finish();
  const auto start = std::chrono::steady_clock::now();
  for (int i = 1; i <= kFrames; ++i) {
    frame(i);
    device.finish();
  }
  const std::chrono::duration<double, std::milli> elapsed = std::chrono::steady_clock::now() - start;
  return elapsed.count() / kFrames;
}

// Small random triangles over the screen, each with its own colour, at depths in 0.1…0.9.
std::vector<gfx::Vertex> triangles(int count) {
  std::mt19937 random(20261208u);
  std::uniform_real_distribution<float> place(0.0f, 1.0f);
  std::vector<gfx::Vertex> vertices;
  for (int t = 0; t < count; ++t) {
    const float x = place(random) * kScreenWidth;
    const float y = place(random) * kScreenHeight;
    const float z = 0.1f + 0.8f * place(random);
    const std::uint32_t colour = 0xFF000000u | (static_cast<std::uint32_t>(random()) & 0xFFFFFFu);
    vertices.push_back({x, y, z, 1.0f, colour, 0, 0});
    vertices.push_back({x + 12.0f, y, z, 1.0f, colour, 1, 0});
    vertices.push_back({x, y + 12.0f, z, 1.0f, colour, 0, 1});
  }
  return vertices;
}

std::array<float, 16> turnAboutCentre(int frame) {
  const float angle = 0.01f * static_cast<float>(frame);
  const float c = std::cos(angle);
  const float s = std::sin(angle);
  const float cx = kScreenWidth / 2.0f;
  const float cy = kScreenHeight / 2.0f;
  return {c, -s, 0, cx - c * cx + s * cy, s, c, 0, cy - s * cx - c * cy, 0, 0, 1, 0, 0, 0, 0, 1};
}

void fill(scene::Geometry& mesh, const std::vector<gfx::Vertex>& vertices) {
  for (std::size_t i = 0; i < vertices.size(); ++i) {
    const gfx::Vertex& v = vertices[i];
    const int triangle = static_cast<int>(i / 3);
    const int corner = static_cast<int>(i % 3);
    mesh.setPointPosition(triangle, corner, v.x, v.y, v.z, 1.0f);
    mesh.setPointColor(triangle, corner,
                       {static_cast<std::uint8_t>(v.colour), static_cast<std::uint8_t>(v.colour >> 8),
                        static_cast<std::uint8_t>(v.colour >> 16), 0xFF});
  }
}

}  // namespace

int main() {
  std::unique_ptr<render::Renderer> renderer =
      rendertest::makeRenderer(kScreenWidth, kScreenHeight, kScreenWidth, kScreenHeight);
  if (!renderer) return 1;
  scene::installSceneFrame();
  gfx::Device& device = renderer->device();
  std::printf("Geometry frames on %s, %d x %d, ms per frame over %d frames\n",
              renderer->context().rendererName().c_str(), kScreenWidth, kScreenHeight, kFrames);
  std::printf("%10s %14s %14s %12s %10s\n", "triangles", "world turning", "screen turning", "device floor", "uploads");
  for (int count : {1000, 10000, 100000}) {
    const std::vector<gfx::Vertex> vertices = triangles(count);
    double world = 0.0;
    double screen = 0.0;
    std::uint64_t uploads = 0;
    {
      scene::Geometry mesh;
      mesh.setup(nullptr, true);
      fill(mesh, vertices);
      world = millisecondsPerFrame(device, [&](int frame) {
        mesh.setTransformMatrix(turnAboutCentre(frame));
        renderer->render(false);
      });
      uploads = mesh.uploadCount();
    }
    {
      scene::Geometry mesh;
      mesh.setup(nullptr, false);
      fill(mesh, vertices);
      screen = millisecondsPerFrame(device, [&](int frame) {
        mesh.setTransformMatrix(turnAboutCentre(frame));
        renderer->render(false);
      });
    }
    auto target = gfx::Texture::createRenderTarget(kScreenWidth, kScreenHeight);
    const double floor = millisecondsPerFrame(device, [&](int) {
      device.setRenderTarget(0, target.get());
      device.clear(gfx::ClearFlags::Both, 0xFF000000, 1.0f);
      device.renderState().zEnable = true;
      device.renderState().cullMode = gfx::Cull::None;
      device.drawTriangles(vertices.data(), vertices.size(), gfx::VertexSpace::TargetPixels);
      device.renderState().zEnable = false;
      device.setRenderTarget(0, nullptr);
    });
    std::printf("%10d %14.3f %14.3f %12.3f %10llu\n", count, world, screen, floor,
                static_cast<unsigned long long>(uploads));
  }
  return 0;
}
