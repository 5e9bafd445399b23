#pragma once

#include <vector>

#include "skeleton/runtime/ConstraintData.h"
#include "skeleton/runtime/Updatable.h"

namespace spine {

class Bone;
class PathAttachment;
class Skeleton;
class Slot;

// Places and rotates the constrained bones along the target slot's path attachment.
class PathConstraint : public Updatable {
 public:
  PathConstraint(const PathConstraintData& data, Skeleton& skeleton);

  void update() override;
  bool isActive() const override { return active; }
  void setToSetupPose();

  const PathConstraintData& data;
  std::vector<Bone*> bones;
  Slot* target = nullptr;
  float position = 0, spacing = 0, rotateMix = 1, translateMix = 1;
  bool active = false;

 private:
  // Fills m_positions with (x, y, tangent angle in radians) for each of `count` distances along the path.
  // Returns false when the path has no curve to follow.
  bool computeWorldPositions(const PathAttachment& path, size_t count, bool percentPosition, bool percentSpacing);

  std::vector<float> m_spaces, m_lengths, m_positions, m_world, m_curves, m_segments;
};

}  // namespace spine
