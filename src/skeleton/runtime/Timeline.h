#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "skeleton/runtime/EventData.h"

namespace spine {

class Skeleton;
class VertexAttachment;

// Where a timeline's value is blended from: the setup pose, the current pose (first/replace; first also restores
// setup before the first key), or added on top of the current pose.
enum class MixBlend { Setup, First, Replace, Add };
// Whether the animation is being mixed in or out; decides discrete values (attachments, draw order, flips).
enum class MixDirection { In, Out };

enum class TimelineType {
  Rotate,
  Translate,
  Scale,
  Shear,
  Attachment,
  Color,
  Deform,
  Event,
  DrawOrder,
  IkConstraint,
  TransformConstraint,
  PathConstraintPosition,
  PathConstraintSpacing,
  PathConstraintMix,
  TwoColor
};

using PropertyId = uint64_t;

// Keys for one property. Frames are stored flat: `entries` floats per frame, the time first.
class Timeline {
 public:
  Timeline(TimelineType type, size_t entries, size_t frameCount)
      : frames(entries * frameCount), m_type(type), m_entries(entries) {}
  virtual ~Timeline() = default;
  Timeline(const Timeline&) = delete;
  Timeline& operator=(const Timeline&) = delete;

  // Poses the skeleton at `time`. lastTime is the time of the previous application (for events).
  virtual void apply(Skeleton& skeleton, float lastTime, float time, std::vector<const Event*>* events, float alpha,
                     MixBlend blend, MixDirection direction) const = 0;
  // Two timelines with the same id key the same property of the same object.
  virtual PropertyId propertyId() const = 0;

  TimelineType type() const { return m_type; }
  size_t entries() const { return m_entries; }
  size_t frameCount() const { return frames.size() / m_entries; }
  float frameTime(size_t frame) const { return frames[frame * m_entries]; }
  float duration() const { return frames.empty() ? 0 : frames[frames.size() - m_entries]; }

  std::vector<float> frames;

 protected:
  static PropertyId makeId(TimelineType type, uint64_t index) { return (static_cast<uint64_t>(type) << 56) | index; }
  // Index (in floats) of the first frame whose time is greater than `time`; needs at least two frames.
  static size_t search(const std::vector<float>& frames, float time, size_t step);

 private:
  TimelineType m_type;
  size_t m_entries;
};

// A timeline whose frames interpolate. The curve stored for frame i shapes the change from frame i to i + 1.
class CurveTimeline : public Timeline {
 public:
  enum class CurveType { Linear, Stepped, Bezier };
  static constexpr size_t kBezierSamples = 9;

  CurveTimeline(TimelineType type, size_t entries, size_t frameCount);

  void setLinear(size_t frame);
  void setStepped(size_t frame);
  // Control points of a cubic Bezier from (0,0) to (1,1) in (time fraction, value fraction).
  void setBezier(size_t frame, float cx1, float cy1, float cx2, float cy2);
  CurveType curveType(size_t frame) const;
  // Maps the linear progress between frame and frame + 1 through that frame's curve.
  float curvePercent(size_t frame, float percent) const;

 protected:
  // Finds the frame pair around `time` and the curved progress between them: prev frame index (floats).
  size_t interpolate(float time, float& percent) const;

 private:
  static constexpr size_t kCurveSize = 1 + kBezierSamples * 2;
  std::vector<float> m_curves;  // per frame but the last: type, then 9 sampled (x, y) points
};

class RotateTimeline : public CurveTimeline {
 public:
  RotateTimeline(size_t frameCount, int boneIndex)
      : CurveTimeline(TimelineType::Rotate, 2, frameCount), boneIndex(boneIndex) {}
  void setFrame(size_t frame, float time, float degrees);
  void apply(Skeleton&, float, float, std::vector<const Event*>*, float, MixBlend, MixDirection) const override;
  PropertyId propertyId() const override { return makeId(type(), static_cast<uint64_t>(boneIndex)); }
  // The keyed rotation (relative to setup) at `time`; used by AnimationState's crossfade rule.
  float valueAt(float time) const;
  int boneIndex;
};

// Translate, scale and shear share one layout: time, x, y.
class TranslateTimeline : public CurveTimeline {
 public:
  TranslateTimeline(size_t frameCount, int boneIndex, TimelineType kind = TimelineType::Translate)
      : CurveTimeline(kind, 3, frameCount), boneIndex(boneIndex) {}
  void setFrame(size_t frame, float time, float x, float y);
  void apply(Skeleton&, float, float, std::vector<const Event*>*, float, MixBlend, MixDirection) const override;
  PropertyId propertyId() const override { return makeId(type(), static_cast<uint64_t>(boneIndex)); }
  int boneIndex;

 protected:
  void valueAt(float time, float& x, float& y) const;
};

class ScaleTimeline : public TranslateTimeline {
 public:
  ScaleTimeline(size_t frameCount, int boneIndex) : TranslateTimeline(frameCount, boneIndex, TimelineType::Scale) {}
  void apply(Skeleton&, float, float, std::vector<const Event*>*, float, MixBlend, MixDirection) const override;
};

class ShearTimeline : public TranslateTimeline {
 public:
  ShearTimeline(size_t frameCount, int boneIndex) : TranslateTimeline(frameCount, boneIndex, TimelineType::Shear) {}
  void apply(Skeleton&, float, float, std::vector<const Event*>*, float, MixBlend, MixDirection) const override;
};

class ColorTimeline : public CurveTimeline {
 public:
  ColorTimeline(size_t frameCount, int slotIndex)
      : CurveTimeline(TimelineType::Color, 5, frameCount), slotIndex(slotIndex) {}
  void setFrame(size_t frame, float time, float r, float g, float b, float a);
  void apply(Skeleton&, float, float, std::vector<const Event*>*, float, MixBlend, MixDirection) const override;
  PropertyId propertyId() const override { return makeId(type(), static_cast<uint64_t>(slotIndex)); }
  int slotIndex;
};

class TwoColorTimeline : public CurveTimeline {
 public:
  TwoColorTimeline(size_t frameCount, int slotIndex)
      : CurveTimeline(TimelineType::TwoColor, 8, frameCount), slotIndex(slotIndex) {}
  void setFrame(size_t frame, float time, float r, float g, float b, float a, float r2, float g2, float b2);
  void apply(Skeleton&, float, float, std::vector<const Event*>*, float, MixBlend, MixDirection) const override;
  PropertyId propertyId() const override { return makeId(type(), static_cast<uint64_t>(slotIndex)); }
  int slotIndex;
};

class AttachmentTimeline : public Timeline {
 public:
  AttachmentTimeline(size_t frameCount, int slotIndex)
      : Timeline(TimelineType::Attachment, 1, frameCount), attachmentNames(frameCount), slotIndex(slotIndex) {}
  void setFrame(size_t frame, float time, std::optional<std::string> attachmentName);
  void apply(Skeleton&, float, float, std::vector<const Event*>*, float, MixBlend, MixDirection) const override;
  PropertyId propertyId() const override { return makeId(type(), static_cast<uint64_t>(slotIndex)); }
  // The key in effect at `time` (the first key before it); null name clears the slot.
  size_t frameAt(float time) const;
  // Sets the slot's attachment to the skin key (looked up through the skeleton) or clears it.
  static void setAttachment(Skeleton& skeleton, int slotIndex, const std::optional<std::string>& name);

  std::vector<std::optional<std::string>> attachmentNames;
  int slotIndex;
};

class DeformTimeline : public CurveTimeline {
 public:
  DeformTimeline(size_t frameCount, int slotIndex, VertexAttachment* attachment)
      : CurveTimeline(TimelineType::Deform, 1, frameCount),
        frameVertices(frameCount),
        slotIndex(slotIndex),
        attachment(attachment) {}
  void setFrame(size_t frame, float time, std::vector<float> vertices);
  void apply(Skeleton&, float, float, std::vector<const Event*>*, float, MixBlend, MixDirection) const override;
  PropertyId propertyId() const override;

  // Unweighted: absolute local vertex positions. Weighted: offsets, one pair per bone influence.
  std::vector<std::vector<float>> frameVertices;
  int slotIndex;
  VertexAttachment* attachment;  // owned by a skin of the same SkeletonData
};

class EventTimeline : public Timeline {
 public:
  explicit EventTimeline(size_t frameCount) : Timeline(TimelineType::Event, 1, frameCount), events(frameCount) {}
  void setFrame(size_t frame, Event event);
  // Fires every key with lastTime < key time <= time; a lastTime after time means the animation looped.
  void apply(Skeleton&, float, float, std::vector<const Event*>*, float, MixBlend, MixDirection) const override;
  PropertyId propertyId() const override { return makeId(type(), 0); }
  std::vector<Event> events;
};

class DrawOrderTimeline : public Timeline {
 public:
  explicit DrawOrderTimeline(size_t frameCount)
      : Timeline(TimelineType::DrawOrder, 1, frameCount), drawOrders(frameCount) {}
  // An empty order means the setup order; otherwise entry i is the slot index drawn i-th.
  void setFrame(size_t frame, float time, std::vector<int> drawOrder);
  void apply(Skeleton&, float, float, std::vector<const Event*>*, float, MixBlend, MixDirection) const override;
  PropertyId propertyId() const override { return makeId(type(), 0); }
  std::vector<std::vector<int>> drawOrders;
};

class IkConstraintTimeline : public CurveTimeline {
 public:
  IkConstraintTimeline(size_t frameCount, int constraintIndex)
      : CurveTimeline(TimelineType::IkConstraint, 6, frameCount), constraintIndex(constraintIndex) {}
  void setFrame(size_t frame, float time, float mix, float softness, int bendDirection, bool compress, bool stretch);
  void apply(Skeleton&, float, float, std::vector<const Event*>*, float, MixBlend, MixDirection) const override;
  PropertyId propertyId() const override { return makeId(type(), static_cast<uint64_t>(constraintIndex)); }
  int constraintIndex;
};

class TransformConstraintTimeline : public CurveTimeline {
 public:
  TransformConstraintTimeline(size_t frameCount, int constraintIndex)
      : CurveTimeline(TimelineType::TransformConstraint, 5, frameCount), constraintIndex(constraintIndex) {}
  void setFrame(size_t frame, float time, float rotateMix, float translateMix, float scaleMix, float shearMix);
  void apply(Skeleton&, float, float, std::vector<const Event*>*, float, MixBlend, MixDirection) const override;
  PropertyId propertyId() const override { return makeId(type(), static_cast<uint64_t>(constraintIndex)); }
  int constraintIndex;
};

// Position and spacing share the layout time, value.
class PathConstraintPositionTimeline : public CurveTimeline {
 public:
  PathConstraintPositionTimeline(size_t frameCount, int constraintIndex,
                                 TimelineType kind = TimelineType::PathConstraintPosition)
      : CurveTimeline(kind, 2, frameCount), constraintIndex(constraintIndex) {}
  void setFrame(size_t frame, float time, float value);
  void apply(Skeleton&, float, float, std::vector<const Event*>*, float, MixBlend, MixDirection) const override;
  PropertyId propertyId() const override { return makeId(type(), static_cast<uint64_t>(constraintIndex)); }
  int constraintIndex;
};

class PathConstraintSpacingTimeline : public PathConstraintPositionTimeline {
 public:
  PathConstraintSpacingTimeline(size_t frameCount, int constraintIndex)
      : PathConstraintPositionTimeline(frameCount, constraintIndex, TimelineType::PathConstraintSpacing) {}
  void apply(Skeleton&, float, float, std::vector<const Event*>*, float, MixBlend, MixDirection) const override;
};

class PathConstraintMixTimeline : public CurveTimeline {
 public:
  PathConstraintMixTimeline(size_t frameCount, int constraintIndex)
      : CurveTimeline(TimelineType::PathConstraintMix, 3, frameCount), constraintIndex(constraintIndex) {}
  void setFrame(size_t frame, float time, float rotateMix, float translateMix);
  void apply(Skeleton&, float, float, std::vector<const Event*>*, float, MixBlend, MixDirection) const override;
  PropertyId propertyId() const override { return makeId(type(), static_cast<uint64_t>(constraintIndex)); }
  int constraintIndex;
};

}  // namespace spine
