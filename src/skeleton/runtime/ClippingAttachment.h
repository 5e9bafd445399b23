#pragma once

#include "skeleton/runtime/Color.h"
#include "skeleton/runtime/VertexAttachment.h"

namespace spine {

// A clipping polygon that applies from its slot through endSlot in draw order. Kept as data: drawing ignores it.
class ClippingAttachment : public VertexAttachment {
 public:
  using VertexAttachment::VertexAttachment;
  AttachmentType type() const override { return AttachmentType::Clipping; }
  int endSlot = -1;  // slot index, -1 when clipping lasts to the end of the draw order
  Color color{0.2275f, 0.2275f, 0.8078f, 1};
};

}  // namespace spine
