#pragma once

#include <array>
#include <cstddef>

#include "skeleton/runtime/Attachment.h"
#include "skeleton/runtime/Color.h"

namespace spine {

class AtlasRegion;
class Bone;

// A textured quad. World vertices and UVs come out in the order BR, BL, UL, UR; triangles (0,1,2) and (2,3,0).
class RegionAttachment : public Attachment {
 public:
  using Attachment::Attachment;
  AttachmentType type() const override { return AttachmentType::Region; }

  // Takes the packing of an atlas region; call updateOffset() once the placement fields are set.
  void setRegion(const AtlasRegion& region);
  // Recomputes the corner offsets in bone space from the placement fields and the region's trimming.
  void updateOffset();
  // Writes 4 (x, y) pairs, starting at out[offset] and advancing by stride floats per vertex.
  void computeWorldVertices(const Bone& bone, float* out, size_t offset, size_t stride) const;

  std::string path;
  float x = 0, y = 0, rotation = 0, scaleX = 1, scaleY = 1, width = 0, height = 0;
  Color color;

  const AtlasRegion* region = nullptr;  // the atlas region drawn (its page holds the texture); may be null
  // Trimming of the packed image: without a region the whole width x height is assumed to be packed.
  float regionOffsetX = 0, regionOffsetY = 0;
  float regionWidth = 0, regionHeight = 0;
  float regionOriginalWidth = 0, regionOriginalHeight = 0;

  std::array<float, 8> offsets{};
  std::array<float, 8> uvs{};
};

}  // namespace spine
