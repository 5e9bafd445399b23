#include "skeleton/runtime/Bone.h"

#include <cmath>

#include "skeleton/runtime/Skeleton.h"
#include "skeleton/runtime/private/MathUtil.h"

namespace spine {

using namespace math;

Bone::Bone(const BoneData& data, Skeleton& skeleton, Bone* parent) : data(data), skeleton(skeleton), parent(parent) {
  setToSetupPose();
}

void Bone::setToSetupPose() {
  x = data.x;
  y = data.y;
  rotation = data.rotation;
  scaleX = data.scaleX;
  scaleY = data.scaleY;
  shearX = data.shearX;
  shearY = data.shearY;
}

void Bone::updateWorldTransform(float x_, float y_, float rotation_, float scaleX_, float scaleY_, float shearX_,
                                float shearY_) {
  ax = x_;
  ay = y_;
  arotation = rotation_;
  ascaleX = scaleX_;
  ascaleY = scaleY_;
  ashearX = shearX_;
  ashearY = shearY_;
  appliedValid = true;

  const float sx = skeleton.scaleX, sy = skeleton.scaleY;
  if (!parent) {
    // The skeleton's position and scale enter only at the root; children inherit them through the chain.
    float rotationY = rotation_ + 90 + shearY_;
    a = cosDeg(rotation_ + shearX_) * scaleX_ * sx;
    b = cosDeg(rotationY) * scaleY_ * sx;
    c = sinDeg(rotation_ + shearX_) * scaleX_ * sy;
    d = sinDeg(rotationY) * scaleY_ * sy;
    worldX = x_ * sx + skeleton.x;
    worldY = y_ * sy + skeleton.y;
    return;
  }

  float pa = parent->a, pb = parent->b, pc = parent->c, pd = parent->d;
  worldX = pa * x_ + pb * y_ + parent->worldX;
  worldY = pc * x_ + pd * y_ + parent->worldY;

  switch (data.transformMode) {
    case TransformMode::Normal: {
      float rotationY = rotation_ + 90 + shearY_;
      float la = cosDeg(rotation_ + shearX_) * scaleX_;
      float lb = cosDeg(rotationY) * scaleY_;
      float lc = sinDeg(rotation_ + shearX_) * scaleX_;
      float ld = sinDeg(rotationY) * scaleY_;
      a = pa * la + pb * lc;
      b = pa * lb + pb * ld;
      c = pc * la + pd * lc;
      d = pc * lb + pd * ld;
      return;
    }
    case TransformMode::OnlyTranslation: {
      float rotationY = rotation_ + 90 + shearY_;
      a = cosDeg(rotation_ + shearX_) * scaleX_;
      b = cosDeg(rotationY) * scaleY_;
      c = sinDeg(rotation_ + shearX_) * scaleX_;
      d = sinDeg(rotationY) * scaleY_;
      break;
    }
    case TransformMode::NoRotationOrReflection: {
      float s = pa * pa + pc * pc;
      float prx;
      if (s > 0.0001f) {
        s = std::abs(pa * pd - pb * pc) / s;
        pa /= sx;
        pc /= sy;
        pb = pc * s;
        pd = pa * s;
        prx = atan2Deg(pc, pa);
      } else {
        pa = 0;
        pc = 0;
        prx = 90 - atan2Deg(pd, pb);
      }
      float rx = rotation_ + shearX_ - prx;
      float ry = rotation_ + shearY_ - prx + 90;
      float la = cosDeg(rx) * scaleX_;
      float lb = cosDeg(ry) * scaleY_;
      float lc = sinDeg(rx) * scaleX_;
      float ld = sinDeg(ry) * scaleY_;
      a = pa * la - pb * lc;
      b = pa * lb - pb * ld;
      c = pc * la + pd * lc;
      d = pc * lb + pd * ld;
      break;
    }
    case TransformMode::NoScale:
    case TransformMode::NoScaleOrReflection: {
      float cos = cosDeg(rotation_), sin = sinDeg(rotation_);
      float za = (pa * cos + pb * sin) / sx;
      float zc = (pc * cos + pd * sin) / sy;
      float s = std::sqrt(za * za + zc * zc);
      if (s > 0.00001f) {
        za /= s;
        zc /= s;
      }
      s = std::sqrt(za * za + zc * zc);
      // Reflection that comes from the skeleton's own flip is not the parent's, so it does not count.
      if (data.transformMode == TransformMode::NoScale && (pa * pd - pb * pc < 0) != ((sx < 0) != (sy < 0))) s = -s;
      float r = kPi / 2 + std::atan2(zc, za);
      float zb = std::cos(r) * s;
      float zd = std::sin(r) * s;
      float la = cosDeg(shearX_) * scaleX_;
      float lb = cosDeg(90 + shearY_) * scaleY_;
      float lc = sinDeg(shearX_) * scaleX_;
      float ld = sinDeg(90 + shearY_) * scaleY_;
      a = za * la + zb * lc;
      b = za * lb + zb * ld;
      c = zc * la + zd * lc;
      d = zc * lb + zd * ld;
      break;
    }
  }
  a *= sx;
  b *= sx;
  c *= sy;
  d *= sy;
}

void Bone::updateAppliedTransform() {
  appliedValid = true;
  if (!parent) {
    ax = worldX;
    ay = worldY;
    arotation = atan2Deg(c, a);
    ascaleX = std::sqrt(a * a + c * c);
    ascaleY = std::sqrt(b * b + d * d);
    ashearX = 0;
    ashearY = atan2Deg(a * b + c * d, a * d - b * c);
    return;
  }
  float pa = parent->a, pb = parent->b, pc = parent->c, pd = parent->d;
  float det = pa * pd - pb * pc;
  float pid = det != 0 ? 1 / det : 0;
  float dx = worldX - parent->worldX, dy = worldY - parent->worldY;
  ax = dx * pd * pid - dy * pb * pid;
  ay = dy * pa * pid - dx * pc * pid;
  float ia = pid * pd, id = pid * pa, ib = pid * pb, ic = pid * pc;
  float ra = ia * a - ib * c;
  float rb = ia * b - ib * d;
  float rc = id * c - ic * a;
  float rd = id * d - ic * b;
  ashearX = 0;
  ascaleX = std::sqrt(ra * ra + rc * rc);
  if (ascaleX > 0.0001f) {
    float detR = ra * rd - rb * rc;
    ascaleY = detR / ascaleX;
    ashearY = atan2Deg(ra * rb + rc * rd, detR);
    arotation = atan2Deg(rc, ra);
  } else {
    ascaleX = 0;
    ascaleY = std::sqrt(rb * rb + rd * rd);
    ashearY = 0;
    arotation = 90 - atan2Deg(rd, rb);
  }
}

void Bone::worldToLocal(float wx, float wy, float& localX, float& localY) const {
  float det = a * d - b * c;
  float invDet = det != 0 ? 1 / det : 0;
  float x_ = wx - worldX, y_ = wy - worldY;
  localX = x_ * d * invDet - y_ * b * invDet;
  localY = y_ * a * invDet - x_ * c * invDet;
}

void Bone::localToWorld(float localX, float localY, float& wx, float& wy) const {
  wx = localX * a + localY * b + worldX;
  wy = localX * c + localY * d + worldY;
}

float Bone::worldToLocalRotation(float worldRotation) const {
  float sin = sinDeg(worldRotation), cos = cosDeg(worldRotation);
  return atan2Deg(a * sin - c * cos, d * cos - b * sin) + rotation - shearX;
}

float Bone::localToWorldRotation(float localRotation) const {
  localRotation -= rotation - shearX;
  float sin = sinDeg(localRotation), cos = cosDeg(localRotation);
  return atan2Deg(cos * c + sin * d, cos * a + sin * b);
}

void Bone::rotateWorld(float degrees) {
  float cos = cosDeg(degrees), sin = sinDeg(degrees);
  float a0 = a, b0 = b, c0 = c, d0 = d;
  a = cos * a0 - sin * c0;
  b = cos * b0 - sin * d0;
  c = sin * a0 + cos * c0;
  d = sin * b0 + cos * d0;
  appliedValid = false;
}

float Bone::worldRotationX() const { return atan2Deg(c, a); }
float Bone::worldRotationY() const { return atan2Deg(d, b); }
float Bone::worldScaleX() const { return std::sqrt(a * a + c * c); }
float Bone::worldScaleY() const { return std::sqrt(b * b + d * d); }

}  // namespace spine
