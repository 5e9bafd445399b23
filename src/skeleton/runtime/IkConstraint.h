#pragma once

#include <vector>

#include "skeleton/runtime/ConstraintData.h"
#include "skeleton/runtime/Updatable.h"

namespace spine {

class Bone;
class Skeleton;

// Rotates one bone, or a parent and child, so the chain's tip reaches the target bone.
class IkConstraint : public Updatable {
 public:
  IkConstraint(const IkConstraintData& data, Skeleton& skeleton);

  void update() override;
  bool isActive() const override { return active; }
  void setToSetupPose();

  // Points bone at (targetX, targetY) in world space; alpha blends from the current rotation.
  static void apply(Bone& bone, float targetX, float targetY, bool compress, bool stretch, bool uniform, float alpha);
  // Bends parent and child so the child's tip reaches the target; bendDirection is +1 or -1.
  static void apply(Bone& parent, Bone& child, float targetX, float targetY, int bendDirection, bool stretch,
                    float softness, float alpha);

  const IkConstraintData& data;
  std::vector<Bone*> bones;
  Bone* target = nullptr;
  int bendDirection = 1;
  bool compress = false, stretch = false;
  float mix = 1, softness = 0;
  bool active = false;
};

}  // namespace spine
