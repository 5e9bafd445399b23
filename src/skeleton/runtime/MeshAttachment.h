#pragma once

#include <cstdint>

#include "skeleton/runtime/Color.h"
#include "skeleton/runtime/VertexAttachment.h"

namespace spine {

class AtlasRegion;

// A textured triangle mesh. A linked mesh (parentMesh set) shares its parent's geometry and has its own region.
class MeshAttachment : public VertexAttachment {
 public:
  using VertexAttachment::VertexAttachment;
  AttachmentType type() const override { return AttachmentType::Mesh; }

  // Converts regionUVs (0..1 over the untrimmed image) into page UVs of the region; without a region they are
  // used as they are.
  void updateUVs();
  // Makes this a linked mesh of parent: geometry is copied from it (it is immutable once loaded).
  void setParentMesh(MeshAttachment* parent);

  std::string path;
  Color color;
  const AtlasRegion* region = nullptr;
  std::vector<float> regionUVs;
  std::vector<float> uvs;
  std::vector<uint16_t> triangles;
  int hullLength = 0;  // floats: twice the number of hull vertices
  std::vector<uint16_t> edges;
  float width = 0, height = 0;
  MeshAttachment* parentMesh = nullptr;
};

}  // namespace spine
