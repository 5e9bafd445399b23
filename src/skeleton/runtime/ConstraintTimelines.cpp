#include "skeleton/runtime/Skeleton.h"
#include "skeleton/runtime/Timeline.h"

namespace spine {

namespace {
// Value `channel` of the keyed frame pair at `time` (or of the last frame past the end).
float keyedValue(const std::vector<float>& frames, size_t step, size_t prev, float percent, bool pastEnd,
                 size_t channel) {
  if (pastEnd) return frames[frames.size() - step + channel];
  float from = frames[prev + channel];
  return from + (frames[prev + step + channel] - from) * percent;
}

// setup: from the data value; otherwise from the current value.
float blendValue(float current, float setup, float keyed, float alpha, MixBlend blend) {
  if (blend == MixBlend::Setup) return setup + (keyed - setup) * alpha;
  return current + (keyed - current) * alpha;
}
}  // namespace

void IkConstraintTimeline::setFrame(size_t frame, float time, float mix, float softness, int bendDirection,
                                    bool compress, bool stretch) {
  float* f = &frames[frame * 6];
  f[0] = time;
  f[1] = mix;
  f[2] = softness;
  f[3] = static_cast<float>(bendDirection);
  f[4] = compress ? 1.0f : 0.0f;
  f[5] = stretch ? 1.0f : 0.0f;
}

void IkConstraintTimeline::apply(Skeleton& skeleton, float, float time, std::vector<const Event*>*, float alpha,
                                 MixBlend blend, MixDirection direction) const {
  IkConstraint& constraint = *skeleton.ikConstraints[static_cast<size_t>(constraintIndex)];
  if (!constraint.active || frames.empty()) return;
  const IkConstraintData& data = constraint.data;
  auto discreteFromData = [&] {
    constraint.bendDirection = data.bendDirection;
    constraint.compress = data.compress;
    constraint.stretch = data.stretch;
  };
  if (time < frames[0]) {
    if (blend == MixBlend::Setup) {
      constraint.mix = data.mix;
      constraint.softness = data.softness;
      discreteFromData();
    } else if (blend == MixBlend::First) {
      constraint.mix += (data.mix - constraint.mix) * alpha;
      constraint.softness += (data.softness - constraint.softness) * alpha;
      discreteFromData();
    }
    return;
  }
  const bool pastEnd = !(time < frames[frames.size() - 6]);
  float percent = 0;
  size_t prev = pastEnd ? frames.size() - 6 : interpolate(time, percent);
  float mix = keyedValue(frames, 6, prev, percent, pastEnd, 1);
  float softness = keyedValue(frames, 6, prev, percent, pastEnd, 2);
  constraint.mix = blendValue(constraint.mix, data.mix, mix, alpha, blend);
  constraint.softness = blendValue(constraint.softness, data.softness, softness, alpha, blend);
  if (direction == MixDirection::Out) {
    if (blend == MixBlend::Setup) discreteFromData();
    return;
  }
  // Discrete values cannot blend: they come from the key in effect.
  constraint.bendDirection = static_cast<int>(frames[prev + 3]);
  constraint.compress = frames[prev + 4] != 0;
  constraint.stretch = frames[prev + 5] != 0;
}

void TransformConstraintTimeline::setFrame(size_t frame, float time, float rotateMix, float translateMix,
                                           float scaleMix, float shearMix) {
  float* f = &frames[frame * 5];
  f[0] = time;
  f[1] = rotateMix;
  f[2] = translateMix;
  f[3] = scaleMix;
  f[4] = shearMix;
}

void TransformConstraintTimeline::apply(Skeleton& skeleton, float, float time, std::vector<const Event*>*, float alpha,
                                        MixBlend blend, MixDirection) const {
  TransformConstraint& constraint = *skeleton.transformConstraints[static_cast<size_t>(constraintIndex)];
  if (!constraint.active || frames.empty()) return;
  const TransformConstraintData& data = constraint.data;
  if (time < frames[0]) {
    if (blend == MixBlend::Setup) {
      constraint.rotateMix = data.rotateMix;
      constraint.translateMix = data.translateMix;
      constraint.scaleMix = data.scaleMix;
      constraint.shearMix = data.shearMix;
    } else if (blend == MixBlend::First) {
      constraint.rotateMix += (data.rotateMix - constraint.rotateMix) * alpha;
      constraint.translateMix += (data.translateMix - constraint.translateMix) * alpha;
      constraint.scaleMix += (data.scaleMix - constraint.scaleMix) * alpha;
      constraint.shearMix += (data.shearMix - constraint.shearMix) * alpha;
    }
    return;
  }
  const bool pastEnd = !(time < frames[frames.size() - 5]);
  float percent = 0;
  size_t prev = pastEnd ? frames.size() - 5 : interpolate(time, percent);
  constraint.rotateMix =
      blendValue(constraint.rotateMix, data.rotateMix, keyedValue(frames, 5, prev, percent, pastEnd, 1), alpha, blend);
  constraint.translateMix = blendValue(constraint.translateMix, data.translateMix,
                                       keyedValue(frames, 5, prev, percent, pastEnd, 2), alpha, blend);
  constraint.scaleMix =
      blendValue(constraint.scaleMix, data.scaleMix, keyedValue(frames, 5, prev, percent, pastEnd, 3), alpha, blend);
  constraint.shearMix =
      blendValue(constraint.shearMix, data.shearMix, keyedValue(frames, 5, prev, percent, pastEnd, 4), alpha, blend);
}

void PathConstraintPositionTimeline::setFrame(size_t frame, float time, float value) {
  frames[frame * 2] = time;
  frames[frame * 2 + 1] = value;
}

void PathConstraintPositionTimeline::apply(Skeleton& skeleton, float, float time, std::vector<const Event*>*,
                                           float alpha, MixBlend blend, MixDirection) const {
  PathConstraint& constraint = *skeleton.pathConstraints[static_cast<size_t>(constraintIndex)];
  if (!constraint.active || frames.empty()) return;
  if (time < frames[0]) {
    if (blend == MixBlend::Setup)
      constraint.position = constraint.data.position;
    else if (blend == MixBlend::First)
      constraint.position += (constraint.data.position - constraint.position) * alpha;
    return;
  }
  const bool pastEnd = !(time < frames[frames.size() - 2]);
  float percent = 0;
  size_t prev = pastEnd ? frames.size() - 2 : interpolate(time, percent);
  constraint.position = blendValue(constraint.position, constraint.data.position,
                                   keyedValue(frames, 2, prev, percent, pastEnd, 1), alpha, blend);
}

void PathConstraintSpacingTimeline::apply(Skeleton& skeleton, float, float time, std::vector<const Event*>*,
                                          float alpha, MixBlend blend, MixDirection) const {
  PathConstraint& constraint = *skeleton.pathConstraints[static_cast<size_t>(constraintIndex)];
  if (!constraint.active || frames.empty()) return;
  if (time < frames[0]) {
    if (blend == MixBlend::Setup)
      constraint.spacing = constraint.data.spacing;
    else if (blend == MixBlend::First)
      constraint.spacing += (constraint.data.spacing - constraint.spacing) * alpha;
    return;
  }
  const bool pastEnd = !(time < frames[frames.size() - 2]);
  float percent = 0;
  size_t prev = pastEnd ? frames.size() - 2 : interpolate(time, percent);
  constraint.spacing = blendValue(constraint.spacing, constraint.data.spacing,
                                  keyedValue(frames, 2, prev, percent, pastEnd, 1), alpha, blend);
}

void PathConstraintMixTimeline::setFrame(size_t frame, float time, float rotateMix, float translateMix) {
  frames[frame * 3] = time;
  frames[frame * 3 + 1] = rotateMix;
  frames[frame * 3 + 2] = translateMix;
}

void PathConstraintMixTimeline::apply(Skeleton& skeleton, float, float time, std::vector<const Event*>*, float alpha,
                                      MixBlend blend, MixDirection) const {
  PathConstraint& constraint = *skeleton.pathConstraints[static_cast<size_t>(constraintIndex)];
  if (!constraint.active || frames.empty()) return;
  const PathConstraintData& data = constraint.data;
  if (time < frames[0]) {
    if (blend == MixBlend::Setup) {
      constraint.rotateMix = data.rotateMix;
      constraint.translateMix = data.translateMix;
    } else if (blend == MixBlend::First) {
      constraint.rotateMix += (data.rotateMix - constraint.rotateMix) * alpha;
      constraint.translateMix += (data.translateMix - constraint.translateMix) * alpha;
    }
    return;
  }
  const bool pastEnd = !(time < frames[frames.size() - 3]);
  float percent = 0;
  size_t prev = pastEnd ? frames.size() - 3 : interpolate(time, percent);
  constraint.rotateMix =
      blendValue(constraint.rotateMix, data.rotateMix, keyedValue(frames, 3, prev, percent, pastEnd, 1), alpha, blend);
  constraint.translateMix = blendValue(constraint.translateMix, data.translateMix,
                                       keyedValue(frames, 3, prev, percent, pastEnd, 2), alpha, blend);
}

}  // namespace spine
