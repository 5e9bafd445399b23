#pragma once

#include <cstddef>
#include <vector>

#include "skeleton/runtime/Attachment.h"

namespace spine {

class Slot;

// An attachment made of vertices that follow one bone (unweighted) or are blended from several (weighted).
class VertexAttachment : public Attachment {
 public:
  explicit VertexAttachment(std::string name);

  // Transforms vertices [start, start + count) (counted in floats) of this attachment, as deformed by the slot,
  // to world space, writing pairs at out[offset] with a stride of `stride` floats.
  void computeWorldVertices(const Slot& slot, size_t start, size_t count, float* out, size_t offset,
                            size_t stride) const;
  void computeWorldVertices(const Slot& slot, float* out) const {
    computeWorldVertices(slot, 0, static_cast<size_t>(worldVerticesLength), out, 0, 2);
  }

  bool isWeighted() const { return !bones.empty(); }
  // Floats per deform frame: one pair per vertex, or per bone influence when weighted.
  size_t deformLength() const { return isWeighted() ? vertices.size() / 3 * 2 : vertices.size(); }
  // Copies the vertex layout (used by linked meshes and attachment copies).
  void copyVerticesFrom(const VertexAttachment& other);

  const int id;  // unique per attachment, distinguishes deform timelines of different attachments
  // Weighted: per vertex the influence count then that many bone indices. Empty when unweighted.
  std::vector<int> bones;
  // Unweighted: x, y per vertex in the slot bone's space. Weighted: x, y, weight per influence.
  std::vector<float> vertices;
  int worldVerticesLength = 0;
  // Deform timelines keyed on this attachment drive slots showing any attachment whose deformAttachment it is.
  VertexAttachment* deformAttachment = this;
};

}  // namespace spine
