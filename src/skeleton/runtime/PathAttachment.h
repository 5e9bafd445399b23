#pragma once

#include "skeleton/runtime/Color.h"
#include "skeleton/runtime/VertexAttachment.h"

namespace spine {

// A chain of cubic Bezier curves, one (handle, point, handle) triple per path vertex; drives path constraints.
class PathAttachment : public VertexAttachment {
 public:
  using VertexAttachment::VertexAttachment;
  AttachmentType type() const override { return AttachmentType::Path; }
  std::vector<float> lengths;  // cumulative length at the end of each curve
  bool closed = false;
  bool constantSpeed = true;
  Color color{1, 0.5f, 0, 1};
};

}  // namespace spine
