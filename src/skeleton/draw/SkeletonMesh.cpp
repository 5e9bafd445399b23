#include "skeleton/draw/SkeletonMesh.h"

#include <algorithm>
#include <cmath>

#include "skeleton/runtime/Atlas.h"
#include "skeleton/runtime/ClippingAttachment.h"
#include "skeleton/runtime/MeshAttachment.h"
#include "skeleton/runtime/RegionAttachment.h"
#include "skeleton/runtime/Skeleton.h"

namespace skeleton {

namespace {

constexpr std::uint16_t kQuadIndices[6] = {0, 1, 2, 2, 3, 0};
constexpr float kDepth = 0.5f;

// Colours read from the files are bytes ÷ 255; the slack keeps float rounding from turning 195 into 194.
std::uint32_t toByte(double value) {
  constexpr double kSlack = 1e-3;
  return static_cast<std::uint32_t>(std::clamp(std::floor(value + kSlack), 0.0, 255.0));
}

}  // namespace

std::uint32_t slotVertexColour(const spine::Color& skeletonColour, const spine::Color& slotColour, int opacity) {
  auto tint = [](float a, float b) { return std::clamp(static_cast<double>(a) * b, 0.0, 1.0); };
  const double alpha = static_cast<double>(std::clamp(opacity, 0, 255)) * tint(skeletonColour.a, slotColour.a);
  return toByte(alpha) << 24 | toByte(tint(skeletonColour.r, slotColour.r) * 255) << 16 |
         toByte(tint(skeletonColour.g, slotColour.g) * 255) << 8 | toByte(tint(skeletonColour.b, slotColour.b) * 255);
}

void SkeletonMesh::build(const spine::Skeleton& skeleton, int opacity) {
  m_vertices.clear();
  m_indices.clear();
  m_batches.clear();
  m_clipping.clipEnd();
  for (const spine::Slot* slot : skeleton.drawOrder) {
    const spine::Attachment* attachment = slot->attachment;
    // A bone outside the current skin is not posed, so what hangs on it is not shown.
    const bool shown = attachment != nullptr && slot->bone.active;
    if (shown && attachment->type() == spine::AttachmentType::Clipping) {
      m_clipping.clipStart(*slot, static_cast<const spine::ClippingAttachment&>(*attachment));
    } else if (shown && attachment->type() == spine::AttachmentType::Region) {
      const auto& region = static_cast<const spine::RegionAttachment&>(*attachment);
      m_world.resize(8);
      region.computeWorldVertices(slot->bone, m_world.data(), 0, 2);
      append(m_world.data(), region.uvs.data(), 4, kQuadIndices, 6,
             slotVertexColour(skeleton.color, slot->color, opacity), region.region ? region.region->page : nullptr,
             slot->data.blendMode);
    } else if (shown && attachment->type() == spine::AttachmentType::Mesh) {
      const auto& mesh = static_cast<const spine::MeshAttachment&>(*attachment);
      const auto length = static_cast<std::size_t>(std::max(mesh.worldVerticesLength, 0));
      if (length >= 6 && mesh.uvs.size() >= length) {
        m_world.resize(length);
        mesh.computeWorldVertices(*slot, m_world.data());
        const std::size_t vertexCount = length / 2;
        m_triangles.clear();
        for (std::size_t t = 0; t + 2 < mesh.triangles.size(); t += 3) {
          const std::uint16_t* corners = &mesh.triangles[t];
          if (corners[0] < vertexCount && corners[1] < vertexCount && corners[2] < vertexCount) {
            m_triangles.insert(m_triangles.end(), corners, corners + 3);
          }
        }
        append(m_world.data(), mesh.uvs.data(), vertexCount, m_triangles.data(), m_triangles.size(),
               slotVertexColour(skeleton.color, slot->color, opacity), mesh.region ? mesh.region->page : nullptr,
               slot->data.blendMode);
      }
    }
    m_clipping.clipEnd(*slot);
  }
  m_clipping.clipEnd();
}

void SkeletonMesh::addVertices(const float* positions, const float* uvs, std::size_t count, std::uint32_t colour) {
  for (std::size_t i = 0; i < count; ++i) {
    m_vertices.push_back({positions[i * 2], positions[i * 2 + 1], kDepth, 1.0f, colour, uvs[i * 2], uvs[i * 2 + 1]});
  }
}

void SkeletonMesh::append(const float* positions, const float* uvs, std::size_t vertexCount,
                          const std::uint16_t* indices, std::size_t indexCount, std::uint32_t colour,
                          const spine::AtlasPage* page, spine::BlendMode mode) {
  if (vertexCount == 0 || indexCount < 3) return;
  const auto base = static_cast<std::uint32_t>(m_vertices.size());
  const std::size_t firstIndex = m_indices.size();
  if (m_clipping.active()) {
    m_clippedPositions.clear();
    m_clippedUvs.clear();
    m_clipping.clipTriangles(positions, uvs, indices, indexCount, m_clippedPositions, m_clippedUvs, m_indices, base);
    addVertices(m_clippedPositions.data(), m_clippedUvs.data(), m_clippedPositions.size() / 2, colour);
  } else {
    addVertices(positions, uvs, vertexCount, colour);
    const std::size_t whole = indexCount - indexCount % 3;
    for (std::size_t i = 0; i < whole; ++i) m_indices.push_back(base + indices[i]);
  }
  const auto added = static_cast<std::uint32_t>(m_indices.size() - firstIndex);
  if (added == 0) return;
  if (!m_batches.empty() && m_batches.back().page == page && m_batches.back().blendMode == mode) {
    m_batches.back().indexCount += added;
  } else {
    m_batches.push_back({page, mode, static_cast<std::uint32_t>(firstIndex), added});
  }
}

}  // namespace skeleton
