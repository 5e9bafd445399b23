#include "live2d/cubism/private/MotionCurve.h"

#include <cmath>
#include <algorithm>
#include <numbers>

#include <nlohmann/json.hpp>

namespace live2d::cubism {

namespace {

MotionPoint lerp(const MotionPoint& a, const MotionPoint& b, float t) {
  return {a.time + (b.time - a.time) * t, a.value + (b.value - a.value) * t};
}

float cubeRoot(float v) { return v < 0.0f ? -std::cbrt(-v) : std::cbrt(v); }

bool inUnit(float s) { return s >= -1e-5f && s <= 1.0f + 1e-5f; }

}  // namespace

bool MotionCurveSet::appendSegments(const nlohmann::json& flat, MotionCurve& curve) {
  curve.segmentBegin = static_cast<int>(segments.size());
  curve.segmentCount = 0;
  if (!flat.is_array() || flat.size() < 2) return false;
  const auto at = [&](std::size_t i, float& out) {
    if (i >= flat.size() || !flat[i].is_number()) return false;
    out = flat[i].get<float>();
    return std::isfinite(out);
  };
  MotionPoint first;
  if (!at(0, first.time) || !at(1, first.value)) return false;
  curve.firstPointIndex = static_cast<int>(points.size());
  points.push_back(first);
  std::size_t i = 2;
  while (i < flat.size()) {
    float typeValue = 0.0f;
    // Only values that truncate to a segment type (0 to 3) are converted: a huge one does not fit an int.
    if (!at(i, typeValue) || !(typeValue > -1.0f && typeValue < 4.0f)) return false;
    const int type = static_cast<int>(typeValue);
    const std::size_t pointCount = type == 1 ? 3 : (type >= 0 && type <= 3 ? 1 : 0);
    if (pointCount == 0 || i + 1 + 2 * pointCount > flat.size()) return false;
    MotionSegment segment{static_cast<MotionSegmentType>(type), static_cast<int>(points.size()) - 1};
    for (std::size_t p = 0; p < pointCount; ++p) {
      MotionPoint point;
      if (!at(i + 1 + 2 * p, point.time) || !at(i + 2 + 2 * p, point.value)) return false;
      points.push_back(point);
    }
    segments.push_back(segment);
    ++curve.segmentCount;
    i += 1 + 2 * pointCount;
  }
  return true;
}

float bezierParameterForTime(float x0, float x1, float x2, float x3, float x) {
  // x(s) = a s³ + b s² + c s + d
  const float a = x3 - 3.0f * x2 + 3.0f * x1 - x0;
  const float b = 3.0f * x2 - 6.0f * x1 + 3.0f * x0;
  const float c = 3.0f * x1 - 3.0f * x0;
  const float d = x0 - x;
  const float epsilon = 1e-5f;
  if (std::fabs(a) < epsilon) {
    if (std::fabs(b) < epsilon) {
      if (std::fabs(c) < epsilon) return 0.0f;
      return std::clamp(-d / c, 0.0f, 1.0f);
    }
    const float disc = c * c - 4.0f * b * d;
    if (disc < 0.0f) return 0.0f;
    const float root = std::sqrt(disc);
    const float s1 = (-c + root) / (2.0f * b);
    if (inUnit(s1)) return std::clamp(s1, 0.0f, 1.0f);
    return std::clamp((-c - root) / (2.0f * b), 0.0f, 1.0f);
  }
  const float ba = b / a;
  const float ca = c / a;
  const float da = d / a;
  const float p = (3.0f * ca - ba * ba) / 3.0f;
  const float p3 = p / 3.0f;
  const float q = (2.0f * ba * ba * ba - 9.0f * ba * ca + 27.0f * da) / 27.0f;
  const float q2 = q / 2.0f;
  const float discriminant = q2 * q2 + p3 * p3 * p3;
  const float shift = ba / 3.0f;
  if (discriminant < 0.0f) {
    const float mp3 = -p / 3.0f;
    const float r = std::sqrt(mp3 * mp3 * mp3);
    const float t = std::clamp(-q / (2.0f * r), -1.0f, 1.0f);
    const float phi = std::acos(t);
    const float crtr = cubeRoot(r);
    const float t1 = 2.0f * crtr;
    const float s1 = t1 * std::cos(phi / 3.0f) - shift;
    if (inUnit(s1)) return std::clamp(s1, 0.0f, 1.0f);
    const float s2 = t1 * std::cos((phi + 2.0f * std::numbers::pi_v<float>) / 3.0f) - shift;
    if (inUnit(s2)) return std::clamp(s2, 0.0f, 1.0f);
    const float s3 = t1 * std::cos((phi + 4.0f * std::numbers::pi_v<float>) / 3.0f) - shift;
    return std::clamp(s3, 0.0f, 1.0f);
  }
  if (discriminant == 0.0f) {
    const float u1 = q2 < 0.0f ? cubeRoot(-q2) : -cubeRoot(q2);
    const float s1 = 2.0f * u1 - shift;
    if (inUnit(s1)) return std::clamp(s1, 0.0f, 1.0f);
    return std::clamp(-u1 - shift, 0.0f, 1.0f);
  }
  const float sd = std::sqrt(discriminant);
  const float u1 = cubeRoot(sd - q2);
  const float v1 = cubeRoot(sd + q2);
  return std::clamp(u1 - v1 - shift, 0.0f, 1.0f);
}

float MotionCurveSet::evaluate(const MotionCurve& curve, float time) const {
  if (curve.segmentCount <= 0) return firstValue(curve);
  for (int k = 0; k < curve.segmentCount; ++k) {
    const MotionSegment& segment = segments[static_cast<std::size_t>(curve.segmentBegin + k)];
    const MotionPoint* p = points.data() + segment.basePointIndex;
    const int last = segment.type == MotionSegmentType::Bezier ? 3 : 1;
    if (!(p[last].time > time) && k + 1 < curve.segmentCount) continue;
    if (!(p[last].time > time)) return p[last].value;  // past the end: hold the last value
    switch (segment.type) {
      case MotionSegmentType::Linear: {
        const float span = p[1].time - p[0].time;
        const float s = span > 0.0f ? std::max(0.0f, (time - p[0].time) / span) : 0.0f;
        return p[0].value + (p[1].value - p[0].value) * s;
      }
      case MotionSegmentType::Bezier: {
        float s = 0.0f;
        if (restrictedBeziers) {
          const float span = p[3].time - p[0].time;
          s = span > 0.0f ? std::max(0.0f, (time - p[0].time) / span) : 0.0f;
        } else {
          s = bezierParameterForTime(p[0].time, p[1].time, p[2].time, p[3].time, time);
        }
        const MotionPoint p01 = lerp(p[0], p[1], s);
        const MotionPoint p12 = lerp(p[1], p[2], s);
        const MotionPoint p23 = lerp(p[2], p[3], s);
        return lerp(lerp(p01, p12, s), lerp(p12, p23, s), s).value;
      }
      case MotionSegmentType::Stepped: return p[0].value;
      case MotionSegmentType::InverseStepped: return p[1].value;
    }
  }
  return lastValue(curve);
}

float MotionCurveSet::firstValue(const MotionCurve& curve) const {
  return curve.firstPointIndex >= 0 ? points[static_cast<std::size_t>(curve.firstPointIndex)].value : 0.0f;
}

float MotionCurveSet::lastValue(const MotionCurve& curve) const {
  if (curve.segmentCount <= 0) return firstValue(curve);
  const MotionSegment& segment = segments[static_cast<std::size_t>(curve.segmentBegin + curve.segmentCount - 1)];
  const int last = segment.type == MotionSegmentType::Bezier ? 3 : 1;
  return points[static_cast<std::size_t>(segment.basePointIndex + last)].value;
}

}  // namespace live2d::cubism
