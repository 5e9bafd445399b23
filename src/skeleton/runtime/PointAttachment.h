#pragma once

#include "skeleton/runtime/Attachment.h"
#include "skeleton/runtime/Color.h"

namespace spine {

class Bone;

// A position and direction on a bone, e.g. where a projectile leaves a gun.
class PointAttachment : public Attachment {
 public:
  using Attachment::Attachment;
  AttachmentType type() const override { return AttachmentType::Point; }

  void computeWorldPosition(const Bone& bone, float& outX, float& outY) const;
  float computeWorldRotation(const Bone& bone) const;  // degrees

  float x = 0, y = 0, rotation = 0;
  Color color{0.9451f, 0.9451f, 0, 1};
};

}  // namespace spine
