#pragma once

#include <memory>
#include <string_view>
#include <vector>

#include "skeleton/runtime/Bone.h"
#include "skeleton/runtime/Color.h"
#include "skeleton/runtime/IkConstraint.h"
#include "skeleton/runtime/PathConstraint.h"
#include "skeleton/runtime/Slot.h"
#include "skeleton/runtime/TransformConstraint.h"

namespace spine {

class Attachment;
class SkeletonData;
class Skin;

// One posable instance of a SkeletonData, which must outlive it. Starts in the setup pose with no skin
// (attachments come from the default skin).
class Skeleton {
 public:
  explicit Skeleton(const SkeletonData& data);
  Skeleton(const Skeleton&) = delete;
  Skeleton& operator=(const Skeleton&) = delete;

  // Rebuilds the order bones and constraints are computed in; needed after the skin changes (setSkin does it).
  void updateCache();
  void updateWorldTransform();

  void setToSetupPose();
  void setBonesToSetupPose();
  void setSlotsToSetupPose();

  Bone* findBone(std::string_view name) const;
  Slot* findSlot(std::string_view name) const;
  IkConstraint* findIkConstraint(std::string_view name) const;
  TransformConstraint* findTransformConstraint(std::string_view name) const;
  PathConstraint* findPathConstraint(std::string_view name) const;

  // Switches skin (null for none): slots showing an attachment of the old skin take the new skin's attachment
  // under the same key; with no old skin, slots take their setup attachment from the new skin.
  void setSkin(Skin* newSkin);
  // Returns false when the skeleton data has no skin of that name.
  bool setSkin(std::string_view skinName);
  Skin* skin() const { return m_skin; }

  // Looks the skin key up in the current skin, then the default skin.
  Attachment* getAttachment(int slotIndex, std::string_view name) const;
  Attachment* getAttachment(std::string_view slotName, std::string_view name) const;
  // Null name clears the slot. Returns false for an unknown slot or attachment.
  bool setAttachment(std::string_view slotName, const std::string* name);

  // Axis-aligned bounds of the drawn region and mesh attachments in world space; false when nothing is drawn.
  bool getBounds(float& x, float& y, float& width, float& height, std::vector<float>& scratch) const;

  // Advances the clock used for attachment times.
  void update(float delta) { time += delta; }

  const SkeletonData& data;
  std::vector<std::unique_ptr<Bone>> bones;
  std::vector<std::unique_ptr<Slot>> slots;
  std::vector<Slot*> drawOrder;
  std::vector<std::unique_ptr<IkConstraint>> ikConstraints;
  std::vector<std::unique_ptr<TransformConstraint>> transformConstraints;
  std::vector<std::unique_ptr<PathConstraint>> pathConstraints;
  Color color;
  float x = 0, y = 0, scaleX = 1, scaleY = 1;
  float time = 0;

  const std::vector<Updatable*>& updateOrder() const { return m_updateCache; }

 private:
  void sortIkConstraint(IkConstraint& constraint);
  void sortTransformConstraint(TransformConstraint& constraint);
  void sortPathConstraint(PathConstraint& constraint);
  void sortPathConstraintAttachment(const Skin& skin, int slotIndex, Bone& slotBone);
  void sortPathConstraintAttachment(const Attachment* attachment, Bone& slotBone);
  void sortBone(Bone& bone);
  void sortReset(const std::vector<Bone*>& bones);

  Skin* m_skin = nullptr;  // not owned: a skin of the data, or one the caller keeps alive while it is set
  std::vector<Updatable*> m_updateCache;
  std::vector<Bone*> m_updateCacheReset;
  std::vector<Bone*> m_sortScratch;
};

}  // namespace spine
