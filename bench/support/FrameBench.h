#pragma once

// What the renderer benchmarks share: timing a frame (best of several rounds, since other processes share the
// machine, with the GPU's work waited for by glFinish and draw calls counted), and the floor every renderer
// benchmark is measured against: the same quads, their textures packed into one atlas, drawn in one batch with
// one draw call into one screen-sized target.
//
// Run a benchmark with GALLIUM_NOOP=1 (Mesa) and the driver does nothing: the times are then the processor's
// alone, the scene's beside the floor's.

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "platform/gfx/Types.h"

namespace gfx {
class Device;
class Texture;
}  // namespace gfx

namespace render {
class Renderer;
}

namespace bench {

struct FrameCost {
  double wallMs = 0.0;     // per frame, the best round
  double processMs = 0.0;  // processor time of the whole process (driver threads included), the best round
  double drawCalls = 0.0;  // per frame
};

// Runs `frame` once to warm up, then `rounds` rounds of `frames` frames, each frame followed by glFinish.
FrameCost measureFrames(gfx::Device& device, int frames, const std::function<void()>& frame, int rounds = 3);

// One quad of a floor: a region of a texture drawn untransformed at a position, with a colour (opacity in alpha).
struct FloorQuad {
  const gfx::Texture* texture = nullptr;
  gfx::Rect source;
  gfx::Vector3 position;
  std::uint32_t colour = 0xFFFFFFFF;
};

class AtlasFloor {
 public:
  // Packs the quads' textures into one atlas and remaps their sources into it.
  AtlasFloor(int screenWidth, int screenHeight, const std::vector<FloorQuad>& quads);
  ~AtlasFloor();
  AtlasFloor(const AtlasFloor&) = delete;
  AtlasFloor& operator=(const AtlasFloor&) = delete;

  // The quads drawn in one batch into a cleared screen-sized target, frame after frame.
  FrameCost measure(render::Renderer& renderer, int frames, int rounds = 3);
  std::size_t quadCount() const { return m_quads.size(); }

 private:
  int m_width = 0;
  int m_height = 0;
  std::unique_ptr<gfx::Texture> m_atlas;
  std::unique_ptr<gfx::Texture> m_target;
  std::vector<FloorQuad> m_quads;
};

// The header line and one row of the table every renderer benchmark prints.
void printCostHeader(const char* what);
void printCostRow(const char* label, const FrameCost& scene, const FrameCost& floor);

}  // namespace bench
