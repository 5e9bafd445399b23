#pragma once

#include <string>
#include <vector>

namespace spine {

struct BoneData;
struct SlotData;

enum class ConstraintType { Ik, Transform, Path };

struct ConstraintData {
  explicit ConstraintData(ConstraintType type) : type(type) {}
  virtual ~ConstraintData() = default;

  const ConstraintType type;
  std::string name;
  int order = 0;  // position in the update sequence shared by all three kinds
  bool skinRequired = false;
  std::vector<BoneData*> bones;
};

struct IkConstraintData : ConstraintData {
  IkConstraintData() : ConstraintData(ConstraintType::Ik) {}
  BoneData* target = nullptr;
  int bendDirection = 1;
  bool compress = false, stretch = false, uniform = false;
  float mix = 1, softness = 0;
};

struct TransformConstraintData : ConstraintData {
  TransformConstraintData() : ConstraintData(ConstraintType::Transform) {}
  BoneData* target = nullptr;
  float rotateMix = 1, translateMix = 1, scaleMix = 1, shearMix = 1;
  float offsetRotation = 0, offsetX = 0, offsetY = 0, offsetScaleX = 0, offsetScaleY = 0, offsetShearY = 0;
  bool relative = false, local = false;
};

enum class PositionMode { Fixed, Percent };
enum class SpacingMode { Length, Fixed, Percent };
enum class RotateMode { Tangent, Chain, ChainScale };

struct PathConstraintData : ConstraintData {
  PathConstraintData() : ConstraintData(ConstraintType::Path) {}
  SlotData* target = nullptr;
  PositionMode positionMode = PositionMode::Percent;
  SpacingMode spacingMode = SpacingMode::Length;
  RotateMode rotateMode = RotateMode::Tangent;
  float offsetRotation = 0, position = 0, spacing = 0, rotateMix = 1, translateMix = 1;
};

}  // namespace spine
