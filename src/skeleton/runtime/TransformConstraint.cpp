#include "skeleton/runtime/TransformConstraint.h"

#include <cmath>

#include "skeleton/runtime/Bone.h"
#include "skeleton/runtime/Skeleton.h"
#include "skeleton/runtime/private/MathUtil.h"

namespace spine {

using namespace math;

TransformConstraint::TransformConstraint(const TransformConstraintData& data, Skeleton& skeleton) : data(data) {
  for (const BoneData* boneData : data.bones)
    bones.push_back(skeleton.bones[static_cast<size_t>(boneData->index)].get());
  target = skeleton.bones[static_cast<size_t>(data.target->index)].get();
  setToSetupPose();
}

void TransformConstraint::setToSetupPose() {
  rotateMix = data.rotateMix;
  translateMix = data.translateMix;
  scaleMix = data.scaleMix;
  shearMix = data.shearMix;
}

void TransformConstraint::update() {
  if (data.local) {
    if (data.relative)
      applyRelativeLocal();
    else
      applyAbsoluteLocal();
  } else {
    if (data.relative)
      applyRelativeWorld();
    else
      applyAbsoluteWorld();
  }
}

void TransformConstraint::applyAbsoluteWorld() {
  const float ta = target->a, tb = target->b, tc = target->c, td = target->d;
  const float degRadReflect = ta * td - tb * tc > 0 ? kDegRad : -kDegRad;
  const float offsetRotation = data.offsetRotation * degRadReflect;
  const float offsetShearY = data.offsetShearY * degRadReflect;
  for (Bone* bone : bones) {
    bool modified = false;
    if (rotateMix != 0) {
      float a = bone->a, b = bone->b, c = bone->c, d = bone->d;
      float r = wrapRadians(std::atan2(tc, ta) - std::atan2(c, a) + offsetRotation) * rotateMix;
      float cos = std::cos(r), sin = std::sin(r);
      bone->a = cos * a - sin * c;
      bone->b = cos * b - sin * d;
      bone->c = sin * a + cos * c;
      bone->d = sin * b + cos * d;
      modified = true;
    }
    if (translateMix != 0) {
      float tx, ty;
      target->localToWorld(data.offsetX, data.offsetY, tx, ty);
      bone->worldX += (tx - bone->worldX) * translateMix;
      bone->worldY += (ty - bone->worldY) * translateMix;
      modified = true;
    }
    if (scaleMix > 0) {
      float s = std::sqrt(bone->a * bone->a + bone->c * bone->c);
      if (s != 0) {
        float k = (s + (std::sqrt(ta * ta + tc * tc) - s + data.offsetScaleX) * scaleMix) / s;
        bone->a *= k;
        bone->c *= k;
      }
      s = std::sqrt(bone->b * bone->b + bone->d * bone->d);
      if (s != 0) {
        float k = (s + (std::sqrt(tb * tb + td * td) - s + data.offsetScaleY) * scaleMix) / s;
        bone->b *= k;
        bone->d *= k;
      }
      modified = true;
    }
    if (shearMix > 0) {
      float b = bone->b, d = bone->d;
      float by = std::atan2(d, b);
      float r = wrapRadians(std::atan2(td, tb) - std::atan2(tc, ta) - (by - std::atan2(bone->c, bone->a)));
      r = by + (r + offsetShearY) * shearMix;
      float s = std::sqrt(b * b + d * d);
      bone->b = std::cos(r) * s;
      bone->d = std::sin(r) * s;
      modified = true;
    }
    if (modified) bone->appliedValid = false;
  }
}

void TransformConstraint::applyRelativeWorld() {
  const float ta = target->a, tb = target->b, tc = target->c, td = target->d;
  const float degRadReflect = ta * td - tb * tc > 0 ? kDegRad : -kDegRad;
  const float offsetRotation = data.offsetRotation * degRadReflect;
  const float offsetShearY = data.offsetShearY * degRadReflect;
  for (Bone* bone : bones) {
    bool modified = false;
    if (rotateMix != 0) {
      float a = bone->a, b = bone->b, c = bone->c, d = bone->d;
      float r = wrapRadians(std::atan2(tc, ta) + offsetRotation) * rotateMix;
      float cos = std::cos(r), sin = std::sin(r);
      bone->a = cos * a - sin * c;
      bone->b = cos * b - sin * d;
      bone->c = sin * a + cos * c;
      bone->d = sin * b + cos * d;
      modified = true;
    }
    if (translateMix != 0) {
      float tx, ty;
      target->localToWorld(data.offsetX, data.offsetY, tx, ty);
      bone->worldX += tx * translateMix;
      bone->worldY += ty * translateMix;
      modified = true;
    }
    if (scaleMix > 0) {
      float s = (std::sqrt(ta * ta + tc * tc) - 1 + data.offsetScaleX) * scaleMix + 1;
      bone->a *= s;
      bone->c *= s;
      s = (std::sqrt(tb * tb + td * td) - 1 + data.offsetScaleY) * scaleMix + 1;
      bone->b *= s;
      bone->d *= s;
      modified = true;
    }
    if (shearMix > 0) {
      float r = wrapRadians(std::atan2(td, tb) - std::atan2(tc, ta));
      float b = bone->b, d = bone->d;
      r = std::atan2(d, b) + (r - kPi / 2 + offsetShearY) * shearMix;
      float s = std::sqrt(b * b + d * d);
      bone->b = std::cos(r) * s;
      bone->d = std::sin(r) * s;
      modified = true;
    }
    if (modified) bone->appliedValid = false;
  }
}

void TransformConstraint::applyAbsoluteLocal() {
  if (!target->appliedValid) target->updateAppliedTransform();
  for (Bone* bone : bones) {
    if (!bone->appliedValid) bone->updateAppliedTransform();
    float rotation = bone->arotation;
    if (rotateMix != 0) {
      float r = wrapDegrees(target->arotation - rotation + data.offsetRotation);
      rotation += r * rotateMix;
    }
    float x = bone->ax, y = bone->ay;
    if (translateMix != 0) {
      x += (target->ax - x + data.offsetX) * translateMix;
      y += (target->ay - y + data.offsetY) * translateMix;
    }
    float scaleX = bone->ascaleX, scaleY = bone->ascaleY;
    // Dividing by the bone's own scale is what the editor's runtime does in this mode; kept to pose the same.
    if (scaleMix != 0) {
      if (scaleX != 0) scaleX = (scaleX + (target->ascaleX - scaleX + data.offsetScaleX) * scaleMix) / scaleX;
      if (scaleY != 0) scaleY = (scaleY + (target->ascaleY - scaleY + data.offsetScaleY) * scaleMix) / scaleY;
    }
    float shearY = bone->ashearY;
    if (shearMix != 0) {
      float r = wrapDegrees(target->ashearY - shearY + data.offsetShearY);
      shearY += r * shearMix;
    }
    bone->updateWorldTransform(x, y, rotation, scaleX, scaleY, bone->ashearX, shearY);
  }
}

void TransformConstraint::applyRelativeLocal() {
  if (!target->appliedValid) target->updateAppliedTransform();
  for (Bone* bone : bones) {
    if (!bone->appliedValid) bone->updateAppliedTransform();
    float rotation = bone->arotation;
    if (rotateMix != 0) rotation += (target->arotation + data.offsetRotation) * rotateMix;
    float x = bone->ax, y = bone->ay;
    if (translateMix != 0) {
      x += (target->ax + data.offsetX) * translateMix;
      y += (target->ay + data.offsetY) * translateMix;
    }
    float scaleX = bone->ascaleX, scaleY = bone->ascaleY;
    if (scaleMix != 0) {
      scaleX *= (target->ascaleX - 1 + data.offsetScaleX) * scaleMix + 1;
      scaleY *= (target->ascaleY - 1 + data.offsetScaleY) * scaleMix + 1;
    }
    float shearY = bone->ashearY;
    if (shearMix != 0) shearY += (target->ashearY + data.offsetShearY) * shearMix;
    bone->updateWorldTransform(x, y, rotation, scaleX, scaleY, bone->ashearX, shearY);
  }
}

}  // namespace spine
