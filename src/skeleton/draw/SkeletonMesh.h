#pragma once

// The triangles of a posed skeleton, ready to draw: every region and mesh attachment in draw order as vertices in
// skeleton space (y up, z 0.5) with straight vertex colours, one index list, and batches — runs of consecutive
// attachments on the same atlas page with the same blend mode, each drawn with one call. Clipping attachments
// clip the slots up to their end slot.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/gfx/Types.h"
#include "skeleton/draw/SkeletonClipping.h"
#include "skeleton/runtime/SlotData.h"

namespace spine {
class AtlasPage;
struct Color;
class Skeleton;
}  // namespace spine

namespace skeleton {

struct SkeletonBatch {
  const spine::AtlasPage* page = nullptr;  // null: drawn without a texture
  spine::BlendMode blendMode = spine::BlendMode::Normal;
  std::uint32_t firstIndex = 0;
  std::uint32_t indexCount = 0;

  bool operator==(const SkeletonBatch&) const = default;
};

// The A8R8G8B8 colour of a slot's vertices: tint = skeleton colour × slot colour, each channel clamped to 0…1;
// red, green and blue bytes ⌊tint × 255⌋, alpha byte ⌊opacity × tint alpha⌋ (opacity 0…255).
std::uint32_t slotVertexColour(const spine::Color& skeletonColour, const spine::Color& slotColour, int opacity);

class SkeletonMesh {
 public:
  // Replaces the contents with the skeleton's current pose.
  void build(const spine::Skeleton& skeleton, int opacity);

  const std::vector<gfx::Vertex>& vertices() const { return m_vertices; }
  const std::vector<std::uint32_t>& indices() const { return m_indices; }
  const std::vector<SkeletonBatch>& batches() const { return m_batches; }

 private:
  void append(const float* positions, const float* uvs, std::size_t vertexCount, const std::uint16_t* indices,
              std::size_t indexCount, std::uint32_t colour, const spine::AtlasPage* page, spine::BlendMode mode);
  void addVertices(const float* positions, const float* uvs, std::size_t count, std::uint32_t colour);

  std::vector<gfx::Vertex> m_vertices;
  std::vector<std::uint32_t> m_indices;
  std::vector<SkeletonBatch> m_batches;
  SkeletonClipping m_clipping;
  // Scratch reused from build to build.
  std::vector<float> m_world;
  std::vector<std::uint16_t> m_triangles;
  std::vector<float> m_clippedPositions;
  std::vector<float> m_clippedUvs;
};

}  // namespace skeleton
