#pragma once

#include "skeleton/runtime/Color.h"
#include "skeleton/runtime/VertexAttachment.h"

namespace spine {

// A polygon for hit tests; never drawn.
class BoundingBoxAttachment : public VertexAttachment {
 public:
  using VertexAttachment::VertexAttachment;
  AttachmentType type() const override { return AttachmentType::BoundingBox; }
  Color color{0.38f, 0.94f, 0, 1};
};

}  // namespace spine
