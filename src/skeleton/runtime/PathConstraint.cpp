#include "skeleton/runtime/PathConstraint.h"

#include <cmath>

#include "skeleton/runtime/Bone.h"
#include "skeleton/runtime/PathAttachment.h"
#include "skeleton/runtime/Skeleton.h"
#include "skeleton/runtime/Slot.h"
#include "skeleton/runtime/private/MathUtil.h"

namespace spine {

using namespace math;

namespace {
constexpr float kEpsilon = 0.00001f;
constexpr size_t kSegments = 10;  // arc-length samples per curve for constant speed

struct CurvePoints {
  float x1, y1, cx1, cy1, cx2, cy2, x2, y2;

  void at(float t, float& x, float& y) const {
    float u = 1 - t, uu = u * u, tt = t * t;
    float w0 = uu * u, w1 = 3 * uu * t, w2 = 3 * u * tt, w3 = tt * t;
    x = x1 * w0 + cx1 * w1 + cx2 * w2 + x2 * w3;
    y = y1 * w0 + cy1 * w1 + cy2 * w2 + y2 * w3;
  }
  // Direction of travel at t; falls back to the chord where the derivative vanishes (coincident handles).
  float tangent(float t) const {
    float u = 1 - t;
    float dx = 3 * u * u * (cx1 - x1) + 6 * u * t * (cx2 - cx1) + 3 * t * t * (x2 - cx2);
    float dy = 3 * u * u * (cy1 - y1) + 6 * u * t * (cy2 - cy1) + 3 * t * t * (y2 - cy2);
    if (std::abs(dx) < kEpsilon && std::abs(dy) < kEpsilon) return std::atan2(y2 - y1, x2 - x1);
    return std::atan2(dy, dx);
  }
};

CurvePoints curveAt(const std::vector<float>& world, size_t curve, size_t verticesLength) {
  auto at = [&](size_t i) { return world[i % verticesLength]; };
  size_t o = curve * 6 + 2;
  return {at(o), at(o + 1), at(o + 2), at(o + 3), at(o + 4), at(o + 5), at(o + 6), at(o + 7)};
}
}  // namespace

PathConstraint::PathConstraint(const PathConstraintData& data, Skeleton& skeleton) : data(data) {
  for (const BoneData* boneData : data.bones)
    bones.push_back(skeleton.bones[static_cast<size_t>(boneData->index)].get());
  target = skeleton.slots[static_cast<size_t>(data.target->index)].get();
  setToSetupPose();
}

void PathConstraint::setToSetupPose() {
  position = data.position;
  spacing = data.spacing;
  rotateMix = data.rotateMix;
  translateMix = data.translateMix;
}

void PathConstraint::update() {
  if (!target->attachment || target->attachment->type() != AttachmentType::Path) return;
  const auto& path = static_cast<const PathAttachment&>(*target->attachment);
  const bool rotate = rotateMix > 0, translate = translateMix > 0;
  if (!rotate && !translate) return;

  const size_t boneCount = bones.size();
  if (boneCount == 0) return;
  const bool tangents = data.rotateMode == RotateMode::Tangent;
  const bool scale = data.rotateMode == RotateMode::ChainScale;
  const bool percentSpacing = data.spacingMode == SpacingMode::Percent;

  // One distance per bone start plus the tip of the last bone, which the chain modes aim at.
  m_spaces.assign(boneCount + 1, 0);
  m_lengths.assign(boneCount, 0);
  for (size_t i = 0; i < boneCount; ++i) {
    const Bone& bone = *bones[i];
    float worldScale = bone.worldScaleX();
    float setupLength = bone.data.length;
    m_lengths[i] = setupLength * worldScale;
    switch (data.spacingMode) {
      case SpacingMode::Length:
        m_spaces[i + 1] = (setupLength + spacing) * worldScale;
        break;
      case SpacingMode::Fixed:
        m_spaces[i + 1] = spacing * worldScale;
        break;
      case SpacingMode::Percent:
        m_spaces[i + 1] = spacing;
        break;
    }
  }
  if (!computeWorldPositions(path, boneCount + 1, data.positionMode == PositionMode::Percent, percentSpacing)) return;

  const Bone& slotBone = target->bone;
  float offsetRotation = data.offsetRotation;
  const bool tip = !tangents && offsetRotation == 0;
  if (offsetRotation != 0)
    offsetRotation *= (slotBone.a * slotBone.d - slotBone.b * slotBone.c > 0 ? kDegRad : -kDegRad);

  float boneX = m_positions[0], boneY = m_positions[1];
  for (size_t i = 0, p = 3; i < boneCount; ++i, p += 3) {
    Bone& bone = *bones[i];
    bone.worldX += (boneX - bone.worldX) * translateMix;
    bone.worldY += (boneY - bone.worldY) * translateMix;
    float x = m_positions[p], y = m_positions[p + 1], dx = x - boneX, dy = y - boneY;
    if (scale) {
      float length = m_lengths[i];
      if (length >= kEpsilon) {
        float s = (std::sqrt(dx * dx + dy * dy) / length - 1) * rotateMix + 1;
        bone.a *= s;
        bone.c *= s;
      }
    }
    boneX = x;
    boneY = y;
    if (rotate) {
      float a = bone.a, b = bone.b, c = bone.c, d = bone.d;
      float r = tangents ? m_positions[p - 1] : std::atan2(dy, dx);
      r -= std::atan2(c, a);
      r = wrapRadians(r + offsetRotation) * rotateMix;
      float cos = std::cos(r), sin = std::sin(r);
      if (tip) {
        // Let the next bone start where this one's rotated tip is, so the chain stays joined.
        float length = bone.data.length;
        boneX += (length * (cos * a - sin * c) - dx) * rotateMix;
        boneY += (length * (sin * a + cos * c) - dy) * rotateMix;
      }
      bone.a = cos * a - sin * c;
      bone.b = cos * b - sin * d;
      bone.c = sin * a + cos * c;
      bone.d = sin * b + cos * d;
    }
    bone.appliedValid = false;
  }
}

bool PathConstraint::computeWorldPositions(const PathAttachment& path, size_t count, bool percentPosition,
                                           bool percentSpacing) {
  const size_t verticesLength = static_cast<size_t>(path.worldVerticesLength);
  const size_t pointCount = verticesLength / 6;
  const size_t curveCount = path.closed ? pointCount : (pointCount > 0 ? pointCount - 1 : 0);
  if (curveCount == 0) return false;

  m_world.resize(verticesLength);
  path.computeWorldVertices(*target, 0, verticesLength, m_world.data(), 0, 2);

  m_curves.assign(curveCount, 0);
  m_segments.assign(curveCount * kSegments, 0);
  const bool useStoredLengths = !path.constantSpeed && path.lengths.size() >= curveCount;
  float total = 0;
  for (size_t k = 0; k < curveCount; ++k) {
    CurvePoints curve = curveAt(m_world, k, verticesLength);
    float px = curve.x1, py = curve.y1, length = 0;
    for (size_t j = 1; j <= kSegments; ++j) {
      float x, y;
      curve.at(static_cast<float>(j) / kSegments, x, y);
      length += std::sqrt((x - px) * (x - px) + (y - py) * (y - py));
      m_segments[k * kSegments + j - 1] = length;
      px = x;
      py = y;
    }
    total = useStoredLengths ? path.lengths[k] : total + length;
    m_curves[k] = total;
  }
  const float pathLength = m_curves.back();
  if (!(pathLength > 0)) return false;

  float p = percentPosition ? position * pathLength : position;
  m_positions.assign(count * 3, 0);
  for (size_t i = 0; i < count; ++i) {
    p += percentSpacing ? m_spaces[i] * pathLength : m_spaces[i];
    float distance = p;
    float* out = &m_positions[i * 3];
    if (path.closed) {
      distance = std::fmod(distance, pathLength);
      if (distance < 0) distance += pathLength;
    } else if (distance < 0) {
      // Before the start: straight on along the first curve's direction.
      CurvePoints curve = curveAt(m_world, 0, verticesLength);
      float angle = curve.tangent(0);
      out[0] = curve.x1 + distance * std::cos(angle);
      out[1] = curve.y1 + distance * std::sin(angle);
      out[2] = angle;
      continue;
    } else if (distance > pathLength) {
      CurvePoints curve = curveAt(m_world, curveCount - 1, verticesLength);
      float angle = curve.tangent(1);
      float beyond = distance - pathLength;
      out[0] = curve.x2 + beyond * std::cos(angle);
      out[1] = curve.y2 + beyond * std::sin(angle);
      out[2] = angle;
      continue;
    }
    if (!std::isfinite(distance)) distance = 0;

    size_t k = 0;
    while (k + 1 < curveCount && distance > m_curves[k]) ++k;
    float curveStart = k > 0 ? m_curves[k - 1] : 0;
    float local = distance - curveStart;
    float t;
    if (useStoredLengths) {
      float curveLength = m_curves[k] - curveStart;
      t = curveLength > 0 ? local / curveLength : 0;
    } else {
      const float* segments = &m_segments[k * kSegments];
      size_t j = 0;
      while (j + 1 < kSegments && local > segments[j]) ++j;
      float segmentStart = j > 0 ? segments[j - 1] : 0;
      float segmentLength = segments[j] - segmentStart;
      float within = segmentLength > 0 ? (local - segmentStart) / segmentLength : 0;
      t = (static_cast<float>(j) + clamp(within, 0, 1)) / kSegments;
    }
    t = clamp(t, 0, 1);
    CurvePoints curve = curveAt(m_world, k, verticesLength);
    curve.at(t, out[0], out[1]);
    out[2] = curve.tangent(t);
  }
  return true;
}

}  // namespace spine
