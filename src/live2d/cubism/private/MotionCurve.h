#pragma once

// Curves of a motion3.json file: the flat segment encoding, and evaluation at a time.

#include <vector>

#include "live2d/cubism/CubismId.h"
#include "nlohmann/json_fwd.hpp"

namespace live2d::cubism {

enum class MotionCurveTarget { Model, Parameter, PartOpacity };
enum class MotionSegmentType { Linear = 0, Bezier = 1, Stepped = 2, InverseStepped = 3 };

struct MotionPoint {
  float time = 0.0f;
  float value = 0.0f;
};

struct MotionSegment {
  MotionSegmentType type = MotionSegmentType::Linear;
  int basePointIndex = 0;  // the segment's start point; its other points follow
};

struct MotionCurve {
  MotionCurveTarget target = MotionCurveTarget::Parameter;
  CubismIdHandle id = nullptr;
  int firstPointIndex = -1;
  int segmentBegin = 0;
  int segmentCount = 0;
  float fadeInSeconds = -1.0f;   // own fades; -1 uses the motion's
  float fadeOutSeconds = -1.0f;
};

struct MotionCurveSet {
  std::vector<MotionPoint> points;
  std::vector<MotionSegment> segments;
  bool restrictedBeziers = true;

  // Appends one curve's "Segments" array; stops (false) at the first malformed segment, keeping those
  // before it.
  bool appendSegments(const nlohmann::json& flat, MotionCurve& curve);
  float evaluate(const MotionCurve& curve, float time) const;
  float firstValue(const MotionCurve& curve) const;
  float lastValue(const MotionCurve& curve) const;
};

// The s in [0, 1] where a cubic Bézier with control abscissae x0..x3 reaches x (Cardano's formula).
float bezierParameterForTime(float x0, float x1, float x2, float x3, float x);

}  // namespace live2d::cubism
