#include "skeleton/runtime/IkConstraint.h"

#include <cmath>

#include "skeleton/runtime/Bone.h"
#include "skeleton/runtime/Skeleton.h"
#include "skeleton/runtime/private/MathUtil.h"

namespace spine {

using namespace math;

IkConstraint::IkConstraint(const IkConstraintData& data, Skeleton& skeleton) : data(data) {
  for (const BoneData* boneData : data.bones)
    bones.push_back(skeleton.bones[static_cast<size_t>(boneData->index)].get());
  target = skeleton.bones[static_cast<size_t>(data.target->index)].get();
  setToSetupPose();
}

void IkConstraint::setToSetupPose() {
  mix = data.mix;
  softness = data.softness;
  bendDirection = data.bendDirection;
  compress = data.compress;
  stretch = data.stretch;
}

void IkConstraint::update() {
  if (bones.size() == 1)
    apply(*bones[0], target->worldX, target->worldY, compress, stretch, data.uniform, mix);
  else if (bones.size() == 2)
    apply(*bones[0], *bones[1], target->worldX, target->worldY, bendDirection, stretch, softness, mix);
}

void IkConstraint::apply(Bone& bone, float targetX, float targetY, bool compress, bool stretch, bool uniform,
                         float alpha) {
  if (!bone.appliedValid) bone.updateAppliedTransform();
  Bone* p = bone.parent;
  if (!p) {
    // The root has no parent frame: aim in world space.
    float tx = targetX - bone.worldX, ty = targetY - bone.worldY;
    float rotationIK = -bone.ashearX - bone.arotation + atan2Deg(ty, tx);
    if (bone.ascaleX < 0) rotationIK += 180;
    rotationIK = wrapDegrees(rotationIK);
    bone.updateWorldTransform(bone.ax, bone.ay, bone.arotation + rotationIK * alpha, bone.ascaleX, bone.ascaleY,
                              bone.ashearX, bone.ashearY);
    return;
  }
  const Skeleton& skeleton = bone.skeleton;
  float pa = p->a, pb = p->b, pc = p->c, pd = p->d;
  float rotationIK = -bone.ashearX - bone.arotation;
  float tx = 0, ty = 0;
  switch (bone.data.transformMode) {
    case TransformMode::OnlyTranslation:
      tx = targetX - bone.worldX;
      ty = targetY - bone.worldY;
      break;
    case TransformMode::NoRotationOrReflection: {
      float s = std::abs(pa * pd - pb * pc) / (pa * pa + pc * pc);
      float sa = pa / skeleton.scaleX;
      float sc = pc / skeleton.scaleY;
      pb = -sc * s * skeleton.scaleX;
      pd = sa * s * skeleton.scaleY;
      rotationIK += atan2Deg(sc, sa);
      [[fallthrough]];
    }
    default: {
      float x = targetX - p->worldX, y = targetY - p->worldY;
      float det = pa * pd - pb * pc;
      if (det == 0) {
        tx = ty = 0;
      } else {
        tx = (x * pd - y * pb) / det - bone.ax;
        ty = (y * pa - x * pc) / det - bone.ay;
      }
    }
  }
  rotationIK += atan2Deg(ty, tx);
  if (bone.ascaleX < 0) rotationIK += 180;
  rotationIK = wrapDegrees(rotationIK);
  if (rotationIK == -180) rotationIK = 180;  // (-180, 180]
  float sx = bone.ascaleX, sy = bone.ascaleY;
  if (compress || stretch) {
    switch (bone.data.transformMode) {
      case TransformMode::NoScale:
      case TransformMode::NoScaleOrReflection:
        tx = targetX - bone.worldX;
        ty = targetY - bone.worldY;
        break;
      default:
        break;
    }
    float b = bone.data.length * sx, dd = std::sqrt(tx * tx + ty * ty);
    if ((compress && dd < b) || (stretch && dd > b && b > 0.0001f)) {
      float s = (dd / b - 1) * alpha + 1;
      sx *= s;
      if (uniform) sy *= s;
    }
  }
  bone.updateWorldTransform(bone.ax, bone.ay, bone.arotation + rotationIK * alpha, sx, sy, bone.ashearX, bone.ashearY);
}

void IkConstraint::apply(Bone& parent, Bone& child, float targetX, float targetY, int bendDir, bool stretch,
                         float softness, float alpha) {
  if (alpha == 0) {
    child.updateWorldTransform();
    return;
  }
  if (!parent.appliedValid) parent.updateAppliedTransform();
  if (!child.appliedValid) child.updateAppliedTransform();
  float px = parent.ax, py = parent.ay, psx = parent.ascaleX, sx = psx, psy = parent.ascaleY;
  float csx = child.ascaleX;
  int os1, os2, s2;
  if (psx < 0) {
    psx = -psx;
    os1 = 180;
    s2 = -1;
  } else {
    os1 = 0;
    s2 = 1;
  }
  if (psy < 0) {
    psy = -psy;
    s2 = -s2;
  }
  if (csx < 0) {
    csx = -csx;
    os2 = 180;
  } else {
    os2 = 0;
  }
  float cx = child.ax, cy, cwx, cwy, a = parent.a, b = parent.b, c = parent.c, d = parent.d;
  bool u = std::abs(psx - psy) <= 0.0001f;
  if (!u) {
    cy = 0;
    cwx = a * cx + parent.worldX;
    cwy = c * cx + parent.worldY;
  } else {
    cy = child.ay;
    cwx = a * cx + b * cy + parent.worldX;
    cwy = c * cx + d * cy + parent.worldY;
  }
  // Work in the grandparent's frame; the root's parent frame is the skeleton's world.
  float ppa = 1, ppb = 0, ppc = 0, ppd = 1, ppx = 0, ppy = 0;
  if (Bone* pp = parent.parent) {
    ppa = pp->a;
    ppb = pp->b;
    ppc = pp->c;
    ppd = pp->d;
    ppx = pp->worldX;
    ppy = pp->worldY;
  }
  float det = ppa * ppd - ppb * ppc;
  float id = det != 0 ? 1 / det : 0;
  float x = cwx - ppx, y = cwy - ppy;
  float dx = (x * ppd - y * ppb) * id - px, dy = (y * ppa - x * ppc) * id - py;
  float l1 = std::sqrt(dx * dx + dy * dy), l2 = child.data.length * csx, a1, a2;
  if (l1 < 0.0001f) {
    apply(parent, targetX, targetY, false, stretch, false, alpha);
    child.updateWorldTransform(cx, cy, 0, child.ascaleX, child.ascaleY, child.ashearX, child.ashearY);
    return;
  }
  x = targetX - ppx;
  y = targetY - ppy;
  float tx = (x * ppd - y * ppb) * id - px, ty = (y * ppa - x * ppc) * id - py;
  float dd = tx * tx + ty * ty;
  if (softness != 0) {
    softness *= psx * (csx + 1) / 2;
    float td = std::sqrt(dd), sd = td - l1 - l2 * psx + softness;
    if (sd > 0) {
      float p = std::min(1.0f, sd / (softness * 2)) - 1;
      p = (sd - softness * (1 - p * p)) / td;
      tx -= p * tx;
      ty -= p * ty;
      dd = tx * tx + ty * ty;
    }
  }
  bool solved = false;
  if (u) {
    l2 *= psx;
    float cos = (dd - l1 * l1 - l2 * l2) / (l1 * l2 * 2);
    if (cos < -1) {
      cos = -1;
    } else if (cos > 1) {
      cos = 1;
      if (stretch) sx *= (std::sqrt(dd) / (l1 + l2) - 1) * alpha + 1;
    }
    a2 = std::acos(cos) * static_cast<float>(bendDir);
    a = l1 + l2 * cos;
    b = l2 * std::sin(a2);
    a1 = std::atan2(ty * a - tx * b, tx * a + ty * b);
    solved = true;
  } else {
    a = psx * l2;
    b = psy * l2;
    float aa = a * a, bb = b * b, ta = std::atan2(ty, tx);
    c = bb * l1 * l1 + aa * dd - aa * bb;
    float c1 = -2 * bb * l1, c2 = bb - aa;
    d = c1 * c1 - 4 * c2 * c;
    if (d >= 0) {
      float q = std::sqrt(d);
      if (c1 < 0) q = -q;
      q = -(c1 + q) / 2;
      float r0 = q / c2, r1 = c / q;
      float r = std::abs(r0) < std::abs(r1) ? r0 : r1;
      if (r * r <= dd) {
        y = std::sqrt(dd - r * r) * static_cast<float>(bendDir);
        a1 = ta - std::atan2(y, r);
        a2 = std::atan2(y / psy, (r - l1) / psx);
        solved = true;
      }
    }
    if (!solved) {
      float minAngle = kPi, minX = l1 - a, minDist = minX * minX, minY = 0;
      float maxAngle = 0, maxX = l1 + a, maxDist = maxX * maxX, maxY = 0;
      c = -a * l1 / (aa - bb);
      if (c >= -1 && c <= 1) {
        c = std::acos(c);
        x = a * std::cos(c) + l1;
        y = b * std::sin(c);
        d = x * x + y * y;
        if (d < minDist) {
          minAngle = c;
          minDist = d;
          minX = x;
          minY = y;
        }
        if (d > maxDist) {
          maxAngle = c;
          maxDist = d;
          maxX = x;
          maxY = y;
        }
      }
      if (dd <= (minDist + maxDist) / 2) {
        a1 = ta - std::atan2(minY * static_cast<float>(bendDir), minX);
        a2 = minAngle * static_cast<float>(bendDir);
      } else {
        a1 = ta - std::atan2(maxY * static_cast<float>(bendDir), maxX);
        a2 = maxAngle * static_cast<float>(bendDir);
      }
    }
  }
  float os = std::atan2(cy, cx) * static_cast<float>(s2);
  float rotation = parent.arotation;
  a1 = (a1 - os) * kRadDeg + static_cast<float>(os1) - rotation;
  a1 = wrapDegrees(a1);
  if (a1 == -180) a1 = 180;
  parent.updateWorldTransform(px, py, rotation + a1 * alpha, sx, parent.ascaleY, 0, 0);
  rotation = child.arotation;
  a2 = ((a2 + os) * kRadDeg - child.ashearX) * static_cast<float>(s2) + static_cast<float>(os2) - rotation;
  a2 = wrapDegrees(a2);
  if (a2 == -180) a2 = 180;
  child.updateWorldTransform(cx, cy, rotation + a2 * alpha, child.ascaleX, child.ascaleY, child.ashearX, child.ashearY);
}

}  // namespace spine
