#include "FrameBench.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <limits>
#include <map>

#include "platform/gfx/Device.h"
#include "platform/gfx/SpriteBatch.h"
#include "platform/gfx/Texture.h"
#include "render/Renderer.h"

namespace bench {

FrameCost measureFrames(gfx::Device& device, int frames, const std::function<void()>& frame, int rounds) {
  frame();  // warm-up: targets made, programs linked, buffers sized
  device.finish();
  FrameCost best{std::numeric_limits<double>::max(), std::numeric_limits<double>::max(), 0.0};
  for (int round = 0; round < rounds; ++round) {
    const std::uint64_t drawsBefore = device.drawCallCount();
    const auto start = std::chrono::steady_clock::now();
    const std::clock_t processStart = std::clock();
    for (int i = 0; i < frames; ++i) {
      frame();
      device.finish();
    }
    const std::chrono::duration<double, std::milli> wall = std::chrono::steady_clock::now() - start;
    const double process = 1000.0 * static_cast<double>(std::clock() - processStart) / CLOCKS_PER_SEC;
    best.wallMs = std::min(best.wallMs, wall.count() / frames);
    best.processMs = std::min(best.processMs, process / frames);
    best.drawCalls = static_cast<double>(device.drawCallCount() - drawsBefore) / frames;
  }
  return best;
}

AtlasFloor::AtlasFloor(int screenWidth, int screenHeight, const std::vector<FloorQuad>& quads)
    : m_width(screenWidth), m_height(screenHeight), m_quads(quads) {
  // Shelf packing: each distinct texture once, rows of textures as tall as their tallest.
  constexpr int kAtlasWidth = 2048;
  std::map<const gfx::Texture*, gfx::Rect> placed;
  int x = 0;
  int y = 0;
  int rowHeight = 0;
  for (const FloorQuad& quad : m_quads) {
    if (quad.texture == nullptr || placed.count(quad.texture) != 0) continue;
    const int w = quad.texture->width();
    const int h = quad.texture->height();
    if (x + w > kAtlasWidth) {
      x = 0;
      y += rowHeight;
      rowHeight = 0;
    }
    placed[quad.texture] = {x, y, x + w, y + h};
    x += w;
    rowHeight = std::max(rowHeight, h);
  }
  m_atlas = gfx::Texture::createManaged(kAtlasWidth, std::max(1, y + rowHeight));
  for (const auto& [texture, area] : placed) {
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(area.width() * area.height()));
    if (!texture->readPixels({0, 0, area.width(), area.height()}, pixels.data(), area.width() * 4) ||
        !m_atlas->update(area, pixels.data(), area.width() * 4)) {
      std::fprintf(stderr, "floor: a texture could not be copied into the atlas\n");
    }
  }
  for (FloorQuad& quad : m_quads) {
    if (quad.texture == nullptr) continue;
    const gfx::Rect& area = placed[quad.texture];
    quad.source = {quad.source.left + area.left, quad.source.top + area.top, quad.source.right + area.left,
                   quad.source.bottom + area.top};
    quad.texture = m_atlas.get();
  }
  m_target = gfx::Texture::createRenderTarget(m_width, m_height);
}

AtlasFloor::~AtlasFloor() = default;

FrameCost AtlasFloor::measure(render::Renderer& renderer, int frames, int rounds) {
  gfx::Device& device = renderer.device();
  gfx::SpriteBatch& batch = renderer.batch();
  batch.setTransform(gfx::Matrix4::identity());
  return measureFrames(
      device, frames,
      [&] {
        device.setRenderTarget(0, m_target.get());
        device.clear(gfx::ClearFlags::Target, 0xFF000000);
        batch.begin(true);
        for (const FloorQuad& quad : m_quads) {
          if (quad.texture != nullptr) batch.draw(quad.texture, &quad.source, nullptr, &quad.position, quad.colour);
        }
        batch.end();
        device.setRenderTarget(0, nullptr);
      },
      rounds);
}

void printCostHeader(const char* what) {
  std::printf("%-30s %9s %9s %6s %9s %9s %6s %8s %7s\n", what, "frame ms", "floor ms", "ratio", "frame cpu",
              "floor cpu", "ratio", "draws", "floor");
}

void printCostRow(const char* label, const FrameCost& scene, const FrameCost& floor) {
  const auto ratio = [](double a, double b) { return b > 0.0 ? a / b : 0.0; };
  std::printf("%-30s %9.3f %9.3f %6.2f %9.3f %9.3f %6.2f %8.0f %7.0f\n", label, scene.wallMs, floor.wallMs,
              ratio(scene.wallMs, floor.wallMs), scene.processMs, floor.processMs,
              ratio(scene.processMs, floor.processMs), scene.drawCalls, floor.drawCalls);
  std::fflush(stdout);
}

}  // namespace bench
