#include "skeleton/runtime/SkeletonData.h"

namespace spine {
namespace {
template <typename T, typename Name>
T* findByName(const std::vector<std::unique_ptr<T>>& items, std::string_view name, Name getName) {
  for (const auto& item : items)
    if (getName(*item) == name) return item.get();
  return nullptr;
}
}  // namespace

BoneData* SkeletonData::findBone(std::string_view n) const {
  return findByName(bones, n, [](const BoneData& b) -> const std::string& { return b.name; });
}
SlotData* SkeletonData::findSlot(std::string_view n) const {
  return findByName(slots, n, [](const SlotData& s) -> const std::string& { return s.name; });
}
Skin* SkeletonData::findSkin(std::string_view n) const {
  return findByName(skins, n, [](const Skin& s) -> const std::string& { return s.name(); });
}
EventData* SkeletonData::findEvent(std::string_view n) const {
  return findByName(events, n, [](const EventData& e) -> const std::string& { return e.name; });
}
Animation* SkeletonData::findAnimation(std::string_view n) const {
  return findByName(animations, n, [](const Animation& a) -> const std::string& { return a.name(); });
}
IkConstraintData* SkeletonData::findIkConstraint(std::string_view n) const {
  return findByName(ikConstraints, n, [](const IkConstraintData& c) -> const std::string& { return c.name; });
}
TransformConstraintData* SkeletonData::findTransformConstraint(std::string_view n) const {
  return findByName(transformConstraints, n,
                    [](const TransformConstraintData& c) -> const std::string& { return c.name; });
}
PathConstraintData* SkeletonData::findPathConstraint(std::string_view n) const {
  return findByName(pathConstraints, n, [](const PathConstraintData& c) -> const std::string& { return c.name; });
}
int SkeletonData::findBoneIndex(std::string_view n) const {
  const BoneData* bone = findBone(n);
  return bone ? bone->index : -1;
}
int SkeletonData::findSlotIndex(std::string_view n) const {
  const SlotData* slot = findSlot(n);
  return slot ? slot->index : -1;
}

}  // namespace spine
