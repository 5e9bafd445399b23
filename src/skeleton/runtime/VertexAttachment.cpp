#include "skeleton/runtime/VertexAttachment.h"

#include <atomic>

#include "skeleton/runtime/Bone.h"
#include "skeleton/runtime/Skeleton.h"
#include "skeleton/runtime/Slot.h"

namespace spine {
namespace {
std::atomic<int> g_nextAttachmentId{0};
}

VertexAttachment::VertexAttachment(std::string name) : Attachment(std::move(name)), id(g_nextAttachmentId++) {}

void VertexAttachment::copyVerticesFrom(const VertexAttachment& other) {
  bones = other.bones;
  vertices = other.vertices;
  worldVerticesLength = other.worldVerticesLength;
}

void VertexAttachment::computeWorldVertices(const Slot& slot, size_t start, size_t count, float* out, size_t offset,
                                            size_t stride) const {
  count = offset + (count >> 1) * stride;
  const std::vector<float>& deform = slot.deform;
  if (bones.empty()) {
    const Bone& bone = slot.bone;
    // Deform holds absolute positions for unweighted vertices; it only counts when it covers them all.
    const float* source = deform.size() >= vertices.size() && !deform.empty() ? deform.data() : vertices.data();
    for (size_t v = start, w = offset; w < count; v += 2, w += stride) {
      float vx = source[v], vy = source[v + 1];
      out[w] = vx * bone.a + vy * bone.b + bone.worldX;
      out[w + 1] = vx * bone.c + vy * bone.d + bone.worldY;
    }
    return;
  }

  const auto& skeletonBones = slot.bone.skeleton.bones;
  size_t v = 0, skip = 0;
  for (size_t i = 0; i < start; i += 2) {
    size_t n = static_cast<size_t>(bones[v]);
    v += n + 1;
    skip += n;
  }
  const bool useDeform = !deform.empty() && deform.size() >= vertices.size() / 3 * 2;
  for (size_t w = offset, b = skip * 3, f = skip << 1; w < count; w += stride) {
    float wx = 0, wy = 0;
    size_t n = v + 1 + static_cast<size_t>(bones[v]);
    for (++v; v < n; ++v, b += 3, f += 2) {
      const Bone& bone = *skeletonBones[static_cast<size_t>(bones[v])];
      float vx = vertices[b], vy = vertices[b + 1], weight = vertices[b + 2];
      if (useDeform) {
        vx += deform[f];
        vy += deform[f + 1];
      }
      wx += (vx * bone.a + vy * bone.b + bone.worldX) * weight;
      wy += (vx * bone.c + vy * bone.d + bone.worldY) * weight;
    }
    out[w] = wx;
    out[w + 1] = wy;
  }
}

}  // namespace spine
