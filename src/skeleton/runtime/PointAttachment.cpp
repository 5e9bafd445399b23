#include "skeleton/runtime/PointAttachment.h"

#include "skeleton/runtime/Bone.h"
#include "skeleton/runtime/private/MathUtil.h"

namespace spine {

void PointAttachment::computeWorldPosition(const Bone& bone, float& outX, float& outY) const {
  outX = x * bone.a + y * bone.b + bone.worldX;
  outY = x * bone.c + y * bone.d + bone.worldY;
}

float PointAttachment::computeWorldRotation(const Bone& bone) const {
  float cos = math::cosDeg(rotation), sin = math::sinDeg(rotation);
  float x = cos * bone.a + sin * bone.b;
  float y = cos * bone.c + sin * bone.d;
  return math::atan2Deg(y, x);
}

}  // namespace spine
