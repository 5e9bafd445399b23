#pragma once

#include <vector>

#include "skeleton/runtime/BoneData.h"
#include "skeleton/runtime/Updatable.h"

namespace spine {

class Skeleton;

// A bone's pose: local values (set by animations), applied values (what the world transform was last computed
// from, possibly changed by constraints) and the world matrix [a b; c d] with translation (worldX, worldY).
class Bone : public Updatable {
 public:
  Bone(const BoneData& data, Skeleton& skeleton, Bone* parent);

  void update() override { updateWorldTransform(x, y, rotation, scaleX, scaleY, shearX, shearY); }
  bool isActive() const override { return active; }

  void updateWorldTransform() { update(); }
  void updateWorldTransform(float x, float y, float rotation, float scaleX, float scaleY, float shearX, float shearY);
  void setToSetupPose();
  // Recovers the applied local values from the world matrix, assuming normal inheritance.
  void updateAppliedTransform();

  void worldToLocal(float worldX, float worldY, float& localX, float& localY) const;
  void localToWorld(float localX, float localY, float& worldX, float& worldY) const;
  float worldToLocalRotation(float worldRotation) const;
  float localToWorldRotation(float localRotation) const;
  // Rotates the world matrix; the applied values become stale.
  void rotateWorld(float degrees);

  float worldRotationX() const;
  float worldRotationY() const;
  float worldScaleX() const;
  float worldScaleY() const;

  const BoneData& data;
  Skeleton& skeleton;
  Bone* const parent;
  std::vector<Bone*> children;

  float x = 0, y = 0, rotation = 0, scaleX = 1, scaleY = 1, shearX = 0, shearY = 0;
  float ax = 0, ay = 0, arotation = 0, ascaleX = 1, ascaleY = 1, ashearX = 0, ashearY = 0;
  bool appliedValid = false;
  float a = 1, b = 0, c = 0, d = 1, worldX = 0, worldY = 0;
  bool sorted = false;
  bool active = false;
};

}  // namespace spine
