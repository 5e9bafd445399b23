#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "skeleton/runtime/Animation.h"
#include "skeleton/runtime/BoneData.h"
#include "skeleton/runtime/ConstraintData.h"
#include "skeleton/runtime/EventData.h"
#include "skeleton/runtime/Skin.h"
#include "skeleton/runtime/SlotData.h"

namespace spine {

// Everything loaded from one skeleton file; shared, read-only, by every Skeleton made from it.
class SkeletonData {
 public:
  BoneData* findBone(std::string_view name) const;
  SlotData* findSlot(std::string_view name) const;
  Skin* findSkin(std::string_view name) const;
  EventData* findEvent(std::string_view name) const;
  Animation* findAnimation(std::string_view name) const;
  IkConstraintData* findIkConstraint(std::string_view name) const;
  TransformConstraintData* findTransformConstraint(std::string_view name) const;
  PathConstraintData* findPathConstraint(std::string_view name) const;
  int findBoneIndex(std::string_view name) const;
  int findSlotIndex(std::string_view name) const;

  std::string name;
  std::vector<std::unique_ptr<BoneData>> bones;  // parents before children; bone 0 is the root
  std::vector<std::unique_ptr<SlotData>> slots;  // setup draw order
  std::vector<std::unique_ptr<Skin>> skins;      // the default skin first, when there is one
  Skin* defaultSkin = nullptr;
  std::vector<std::unique_ptr<EventData>> events;
  std::vector<std::unique_ptr<Animation>> animations;  // in file order
  std::vector<std::unique_ptr<IkConstraintData>> ikConstraints;
  std::vector<std::unique_ptr<TransformConstraintData>> transformConstraints;
  std::vector<std::unique_ptr<PathConstraintData>> pathConstraints;
  float x = 0, y = 0, width = 0, height = 0;  // setup-pose bounds recorded by the editor
  std::string version, hash;
  float fps = 30;
  std::string imagesPath, audioPath;
};

}  // namespace spine
