#include <cmath>

#include "skeleton/runtime/Skeleton.h"
#include "skeleton/runtime/Timeline.h"
#include "skeleton/runtime/private/MathUtil.h"

namespace spine {

using math::wrapDegrees;

void RotateTimeline::setFrame(size_t frame, float time, float degrees) {
  frames[frame * 2] = time;
  frames[frame * 2 + 1] = degrees;
}

float RotateTimeline::valueAt(float time) const {
  if (!(time < frames[frames.size() - 2])) return frames[frames.size() - 1];
  float percent;
  size_t prev = interpolate(time, percent);
  float prevRotation = frames[prev + 1];
  return prevRotation + wrapDegrees(frames[prev + 3] - prevRotation) * percent;
}

void RotateTimeline::apply(Skeleton& skeleton, float, float time, std::vector<const Event*>*, float alpha,
                           MixBlend blend, MixDirection) const {
  Bone& bone = *skeleton.bones[static_cast<size_t>(boneIndex)];
  if (!bone.active || frames.empty()) return;
  if (time < frames[0]) {
    switch (blend) {
      case MixBlend::Setup:
        bone.rotation = bone.data.rotation;
        return;
      case MixBlend::First:
        bone.rotation += wrapDegrees(bone.data.rotation - bone.rotation) * alpha;
        return;
      default:
        return;
    }
  }
  if (!(time < frames[frames.size() - 2])) {
    float r = frames[frames.size() - 1];
    switch (blend) {
      case MixBlend::Setup:
        bone.rotation = bone.data.rotation + r * alpha;
        break;
      case MixBlend::First:
      case MixBlend::Replace:
        bone.rotation += wrapDegrees(r + bone.data.rotation - bone.rotation) * alpha;
        break;
      case MixBlend::Add:
        bone.rotation += r * alpha;
        break;
    }
    return;
  }
  float r = valueAt(time);
  switch (blend) {
    case MixBlend::Setup:
      bone.rotation = bone.data.rotation + wrapDegrees(r) * alpha;
      break;
    case MixBlend::First:
    case MixBlend::Replace:
      bone.rotation += wrapDegrees(r + bone.data.rotation - bone.rotation) * alpha;
      break;
    case MixBlend::Add:
      bone.rotation += wrapDegrees(r) * alpha;
      break;
  }
}

void TranslateTimeline::setFrame(size_t frame, float time, float x, float y) {
  frames[frame * 3] = time;
  frames[frame * 3 + 1] = x;
  frames[frame * 3 + 2] = y;
}

void TranslateTimeline::valueAt(float time, float& x, float& y) const {
  if (!(time < frames[frames.size() - 3])) {
    x = frames[frames.size() - 2];
    y = frames[frames.size() - 1];
    return;
  }
  float percent;
  size_t prev = interpolate(time, percent);
  x = frames[prev + 1] + (frames[prev + 4] - frames[prev + 1]) * percent;
  y = frames[prev + 2] + (frames[prev + 5] - frames[prev + 2]) * percent;
}

void TranslateTimeline::apply(Skeleton& skeleton, float, float time, std::vector<const Event*>*, float alpha,
                              MixBlend blend, MixDirection) const {
  Bone& bone = *skeleton.bones[static_cast<size_t>(boneIndex)];
  if (!bone.active || frames.empty()) return;
  if (time < frames[0]) {
    if (blend == MixBlend::Setup) {
      bone.x = bone.data.x;
      bone.y = bone.data.y;
    } else if (blend == MixBlend::First) {
      bone.x += (bone.data.x - bone.x) * alpha;
      bone.y += (bone.data.y - bone.y) * alpha;
    }
    return;
  }
  float x, y;
  valueAt(time, x, y);
  switch (blend) {
    case MixBlend::Setup:
      bone.x = bone.data.x + x * alpha;
      bone.y = bone.data.y + y * alpha;
      break;
    case MixBlend::First:
    case MixBlend::Replace:
      bone.x += (bone.data.x + x - bone.x) * alpha;
      bone.y += (bone.data.y + y - bone.y) * alpha;
      break;
    case MixBlend::Add:
      bone.x += x * alpha;
      bone.y += y * alpha;
      break;
  }
}

namespace {
// Blends one scale axis. Magnitude and sign blend separately so a flip does not pass through zero.
float blendScale(float current, float setup, float target, float alpha, MixBlend blend, MixDirection direction) {
  using math::signum;
  if (alpha == 1) return blend == MixBlend::Add ? current + target - setup : target;
  if (direction == MixDirection::Out) {
    switch (blend) {
      case MixBlend::Setup:
        return setup + (std::abs(target) * signum(setup) - setup) * alpha;
      case MixBlend::First:
      case MixBlend::Replace:
        return current + (std::abs(target) * signum(current) - current) * alpha;
      case MixBlend::Add:
        return current + (std::abs(target) * signum(current) - setup) * alpha;
    }
  }
  switch (blend) {
    case MixBlend::Setup: {
      float base = std::abs(setup) * signum(target);
      return base + (target - base) * alpha;
    }
    case MixBlend::First:
    case MixBlend::Replace: {
      float base = std::abs(current) * signum(target);
      return base + (target - base) * alpha;
    }
    case MixBlend::Add:
      return std::abs(current) * signum(target) + (target - std::abs(setup) * signum(target)) * alpha;
  }
  return current;
}
}  // namespace

void ScaleTimeline::apply(Skeleton& skeleton, float, float time, std::vector<const Event*>*, float alpha,
                          MixBlend blend, MixDirection direction) const {
  Bone& bone = *skeleton.bones[static_cast<size_t>(boneIndex)];
  if (!bone.active || frames.empty()) return;
  if (time < frames[0]) {
    if (blend == MixBlend::Setup) {
      bone.scaleX = bone.data.scaleX;
      bone.scaleY = bone.data.scaleY;
    } else if (blend == MixBlend::First) {
      bone.scaleX += (bone.data.scaleX - bone.scaleX) * alpha;
      bone.scaleY += (bone.data.scaleY - bone.scaleY) * alpha;
    }
    return;
  }
  float x, y;
  valueAt(time, x, y);
  x *= bone.data.scaleX;
  y *= bone.data.scaleY;
  bone.scaleX = blendScale(bone.scaleX, bone.data.scaleX, x, alpha, blend, direction);
  bone.scaleY = blendScale(bone.scaleY, bone.data.scaleY, y, alpha, blend, direction);
}

void ShearTimeline::apply(Skeleton& skeleton, float, float time, std::vector<const Event*>*, float alpha,
                          MixBlend blend, MixDirection) const {
  Bone& bone = *skeleton.bones[static_cast<size_t>(boneIndex)];
  if (!bone.active || frames.empty()) return;
  if (time < frames[0]) {
    if (blend == MixBlend::Setup) {
      bone.shearX = bone.data.shearX;
      bone.shearY = bone.data.shearY;
    } else if (blend == MixBlend::First) {
      bone.shearX += (bone.data.shearX - bone.shearX) * alpha;
      bone.shearY += (bone.data.shearY - bone.shearY) * alpha;
    }
    return;
  }
  float x, y;
  valueAt(time, x, y);
  switch (blend) {
    case MixBlend::Setup:
      bone.shearX = bone.data.shearX + x * alpha;
      bone.shearY = bone.data.shearY + y * alpha;
      break;
    case MixBlend::First:
    case MixBlend::Replace:
      bone.shearX += (bone.data.shearX + x - bone.shearX) * alpha;
      bone.shearY += (bone.data.shearY + y - bone.shearY) * alpha;
      break;
    case MixBlend::Add:
      bone.shearX += x * alpha;
      bone.shearY += y * alpha;
      break;
  }
}

}  // namespace spine
