#pragma once

#include <vector>

#include "skeleton/runtime/ConstraintData.h"
#include "skeleton/runtime/Updatable.h"

namespace spine {

class Bone;
class Skeleton;

// Moves the constrained bones' rotation, translation, scale and shear towards the target bone's.
class TransformConstraint : public Updatable {
 public:
  TransformConstraint(const TransformConstraintData& data, Skeleton& skeleton);

  void update() override;
  bool isActive() const override { return active; }
  void setToSetupPose();

  const TransformConstraintData& data;
  std::vector<Bone*> bones;
  Bone* target = nullptr;
  float rotateMix = 1, translateMix = 1, scaleMix = 1, shearMix = 1;
  bool active = false;

 private:
  void applyAbsoluteWorld();
  void applyRelativeWorld();
  void applyAbsoluteLocal();
  void applyRelativeLocal();
};

}  // namespace spine
