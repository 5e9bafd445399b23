#include "skeleton/runtime/Skeleton.h"

#include <algorithm>
#include <limits>

#include "skeleton/runtime/MeshAttachment.h"
#include "skeleton/runtime/PathAttachment.h"
#include "skeleton/runtime/RegionAttachment.h"
#include "skeleton/runtime/SkeletonData.h"

namespace spine {

Skeleton::Skeleton(const SkeletonData& skeletonData) : data(skeletonData) {
  bones.reserve(data.bones.size());
  for (const auto& boneData : data.bones) {
    Bone* parent = boneData->parent ? bones[static_cast<size_t>(boneData->parent->index)].get() : nullptr;
    bones.push_back(std::make_unique<Bone>(*boneData, *this, parent));
    if (parent) parent->children.push_back(bones.back().get());
  }
  slots.reserve(data.slots.size());
  for (const auto& slotData : data.slots) {
    Bone& bone = *bones[static_cast<size_t>(slotData->boneData->index)];
    slots.push_back(std::make_unique<Slot>(*slotData, bone));
    drawOrder.push_back(slots.back().get());
  }
  for (const auto& constraintData : data.ikConstraints)
    ikConstraints.push_back(std::make_unique<IkConstraint>(*constraintData, *this));
  for (const auto& constraintData : data.transformConstraints)
    transformConstraints.push_back(std::make_unique<TransformConstraint>(*constraintData, *this));
  for (const auto& constraintData : data.pathConstraints)
    pathConstraints.push_back(std::make_unique<PathConstraint>(*constraintData, *this));
  updateCache();
}

void Skeleton::updateCache() {
  m_updateCache.clear();
  m_updateCacheReset.clear();

  for (auto& bone : bones) {
    bone->sorted = bone->data.skinRequired;
    bone->active = !bone->sorted;
  }
  if (m_skin) {
    for (const BoneData* boneData : m_skin->bones) {
      for (Bone* bone = bones[static_cast<size_t>(boneData->index)].get(); bone; bone = bone->parent) {
        bone->sorted = false;
        bone->active = true;
      }
    }
  }

  // Constraints run in their global order; bones they read are computed first, bones they write after.
  const size_t constraintCount = ikConstraints.size() + transformConstraints.size() + pathConstraints.size();
  for (size_t i = 0; i < constraintCount; ++i) {
    const int order = static_cast<int>(i);
    bool found = false;
    for (auto& constraint : ikConstraints) {
      if (constraint->data.order == order) {
        sortIkConstraint(*constraint);
        found = true;
        break;
      }
    }
    if (found) continue;
    for (auto& constraint : transformConstraints) {
      if (constraint->data.order == order) {
        sortTransformConstraint(*constraint);
        found = true;
        break;
      }
    }
    if (found) continue;
    for (auto& constraint : pathConstraints) {
      if (constraint->data.order == order) {
        sortPathConstraint(*constraint);
        break;
      }
    }
  }
  for (auto& bone : bones) sortBone(*bone);
}

namespace {
bool skinListsConstraint(const Skin* skin, const ConstraintData& data) {
  if (!data.skinRequired) return true;
  if (!skin) return false;
  return std::find(skin->constraints.begin(), skin->constraints.end(), &data) != skin->constraints.end();
}
}  // namespace

void Skeleton::sortIkConstraint(IkConstraint& constraint) {
  constraint.active = constraint.target->active && skinListsConstraint(m_skin, constraint.data);
  if (!constraint.active) return;

  sortBone(*constraint.target);
  Bone& parent = *constraint.bones.front();
  sortBone(parent);
  if (constraint.bones.size() > 1) {
    Bone* child = constraint.bones.back();
    if (std::find(m_updateCache.begin(), m_updateCache.end(), child) == m_updateCache.end())
      m_updateCacheReset.push_back(child);
  }
  m_updateCache.push_back(&constraint);
  sortReset(parent.children);
  constraint.bones.back()->sorted = true;
}

void Skeleton::sortTransformConstraint(TransformConstraint& constraint) {
  constraint.active = constraint.target->active && skinListsConstraint(m_skin, constraint.data);
  if (!constraint.active) return;

  sortBone(*constraint.target);
  if (constraint.data.local) {
    for (Bone* bone : constraint.bones) {
      if (bone->parent) sortBone(*bone->parent);
      if (std::find(m_updateCache.begin(), m_updateCache.end(), bone) == m_updateCache.end())
        m_updateCacheReset.push_back(bone);
    }
  } else {
    for (Bone* bone : constraint.bones) sortBone(*bone);
  }
  m_updateCache.push_back(&constraint);
  for (Bone* bone : constraint.bones) sortReset(bone->children);
  for (Bone* bone : constraint.bones) bone->sorted = true;
}

void Skeleton::sortPathConstraint(PathConstraint& constraint) {
  constraint.active = constraint.target->bone.active && skinListsConstraint(m_skin, constraint.data);
  if (!constraint.active) return;

  Slot& slot = *constraint.target;
  const int slotIndex = slot.data.index;
  Bone& slotBone = slot.bone;
  if (m_skin) sortPathConstraintAttachment(*m_skin, slotIndex, slotBone);
  if (data.defaultSkin && data.defaultSkin != m_skin)
    sortPathConstraintAttachment(*data.defaultSkin, slotIndex, slotBone);
  sortPathConstraintAttachment(slot.attachment, slotBone);

  for (Bone* bone : constraint.bones) sortBone(*bone);
  m_updateCache.push_back(&constraint);
  for (Bone* bone : constraint.bones) sortReset(bone->children);
  for (Bone* bone : constraint.bones) bone->sorted = true;
}

void Skeleton::sortPathConstraintAttachment(const Skin& skin, int slotIndex, Bone& slotBone) {
  for (const Skin::Entry* entry : skin.entriesForSlot(slotIndex))
    sortPathConstraintAttachment(entry->attachment.get(), slotBone);
}

void Skeleton::sortPathConstraintAttachment(const Attachment* attachment, Bone& slotBone) {
  if (!attachment || attachment->type() != AttachmentType::Path) return;
  const auto& path = static_cast<const PathAttachment&>(*attachment);
  if (path.bones.empty()) {
    sortBone(slotBone);
    return;
  }
  for (size_t i = 0; i < path.bones.size();) {
    size_t n = static_cast<size_t>(path.bones[i++]);
    for (size_t end = i + n; i < end; ++i) sortBone(*bones[static_cast<size_t>(path.bones[i])]);
  }
}

// Iterative, like sortReset: a skeleton file may chain thousands of bones, deeper than the stack allows.
void Skeleton::sortBone(Bone& bone) {
  if (bone.sorted) return;
  m_sortScratch.clear();
  for (Bone* ancestor = &bone; ancestor && !ancestor->sorted; ancestor = ancestor->parent)
    m_sortScratch.push_back(ancestor);
  for (auto it = m_sortScratch.rbegin(); it != m_sortScratch.rend(); ++it) {
    (*it)->sorted = true;
    m_updateCache.push_back(*it);
  }
}

void Skeleton::sortReset(const std::vector<Bone*>& children) {
  m_sortScratch.assign(children.begin(), children.end());
  while (!m_sortScratch.empty()) {
    Bone* bone = m_sortScratch.back();
    m_sortScratch.pop_back();
    if (!bone->active) continue;
    if (bone->sorted) m_sortScratch.insert(m_sortScratch.end(), bone->children.begin(), bone->children.end());
    bone->sorted = false;
  }
}

void Skeleton::updateWorldTransform() {
  for (Bone* bone : m_updateCacheReset) {
    bone->ax = bone->x;
    bone->ay = bone->y;
    bone->arotation = bone->rotation;
    bone->ascaleX = bone->scaleX;
    bone->ascaleY = bone->scaleY;
    bone->ashearX = bone->shearX;
    bone->ashearY = bone->shearY;
    bone->appliedValid = true;
  }
  for (Updatable* updatable : m_updateCache) updatable->update();
}

void Skeleton::setToSetupPose() {
  setBonesToSetupPose();
  setSlotsToSetupPose();
}

void Skeleton::setBonesToSetupPose() {
  for (auto& bone : bones) bone->setToSetupPose();
  for (auto& constraint : ikConstraints) constraint->setToSetupPose();
  for (auto& constraint : transformConstraints) constraint->setToSetupPose();
  for (auto& constraint : pathConstraints) constraint->setToSetupPose();
}

void Skeleton::setSlotsToSetupPose() {
  drawOrder.clear();
  for (auto& slot : slots) drawOrder.push_back(slot.get());
  for (auto& slot : slots) slot->setToSetupPose();
}

Bone* Skeleton::findBone(std::string_view name) const {
  for (const auto& bone : bones)
    if (bone->data.name == name) return bone.get();
  return nullptr;
}

Slot* Skeleton::findSlot(std::string_view name) const {
  for (const auto& slot : slots)
    if (slot->data.name == name) return slot.get();
  return nullptr;
}

IkConstraint* Skeleton::findIkConstraint(std::string_view name) const {
  for (const auto& constraint : ikConstraints)
    if (constraint->data.name == name) return constraint.get();
  return nullptr;
}

TransformConstraint* Skeleton::findTransformConstraint(std::string_view name) const {
  for (const auto& constraint : transformConstraints)
    if (constraint->data.name == name) return constraint.get();
  return nullptr;
}

PathConstraint* Skeleton::findPathConstraint(std::string_view name) const {
  for (const auto& constraint : pathConstraints)
    if (constraint->data.name == name) return constraint.get();
  return nullptr;
}

void Skeleton::setSkin(Skin* newSkin) {
  if (newSkin == m_skin) return;
  if (newSkin) {
    if (m_skin) {
      // Only slots still showing the old skin's own attachment follow the switch; attachments from the
      // default skin or set by hand stay.
      for (const Skin::Entry* entry : m_skin->entries()) {
        if (static_cast<size_t>(entry->slotIndex) >= slots.size()) continue;
        Slot& slot = *slots[static_cast<size_t>(entry->slotIndex)];
        if (slot.attachment != entry->attachment.get()) continue;
        if (Attachment* attachment = newSkin->getAttachment(entry->slotIndex, entry->name))
          slot.setAttachment(attachment);
      }
    } else {
      for (auto& slot : slots) {
        if (!slot->data.attachmentName) continue;
        if (Attachment* attachment = newSkin->getAttachment(slot->data.index, *slot->data.attachmentName))
          slot->setAttachment(attachment);
      }
    }
  }
  m_skin = newSkin;
  updateCache();
}

bool Skeleton::setSkin(std::string_view skinName) {
  Skin* found = data.findSkin(skinName);
  if (!found) return false;
  setSkin(found);
  return true;
}

Attachment* Skeleton::getAttachment(int slotIndex, std::string_view name) const {
  if (m_skin)
    if (Attachment* attachment = m_skin->getAttachment(slotIndex, name)) return attachment;
  if (data.defaultSkin) return data.defaultSkin->getAttachment(slotIndex, name);
  return nullptr;
}

Attachment* Skeleton::getAttachment(std::string_view slotName, std::string_view name) const {
  int slotIndex = data.findSlotIndex(slotName);
  return slotIndex < 0 ? nullptr : getAttachment(slotIndex, name);
}

bool Skeleton::setAttachment(std::string_view slotName, const std::string* name) {
  Slot* slot = findSlot(slotName);
  if (!slot) return false;
  if (!name) {
    slot->setAttachment(nullptr);
    return true;
  }
  Attachment* attachment = getAttachment(slot->data.index, *name);
  if (!attachment) return false;
  slot->setAttachment(attachment);
  return true;
}

bool Skeleton::getBounds(float& outX, float& outY, float& outWidth, float& outHeight,
                         std::vector<float>& scratch) const {
  float minX = std::numeric_limits<float>::max(), minY = minX;
  float maxX = std::numeric_limits<float>::lowest(), maxY = maxX;
  bool any = false;
  for (const Slot* slot : drawOrder) {
    if (!slot->bone.active || !slot->attachment) continue;
    size_t count = 0;
    if (slot->attachment->type() == AttachmentType::Region) {
      count = 8;
      scratch.resize(count);
      static_cast<const RegionAttachment*>(slot->attachment)->computeWorldVertices(slot->bone, scratch.data(), 0, 2);
    } else if (slot->attachment->type() == AttachmentType::Mesh) {
      const auto* mesh = static_cast<const MeshAttachment*>(slot->attachment);
      count = static_cast<size_t>(mesh->worldVerticesLength);
      scratch.resize(count);
      mesh->computeWorldVertices(*slot, scratch.data());
    }
    for (size_t i = 0; i + 1 < count; i += 2) {
      minX = std::min(minX, scratch[i]);
      minY = std::min(minY, scratch[i + 1]);
      maxX = std::max(maxX, scratch[i]);
      maxY = std::max(maxY, scratch[i + 1]);
      any = true;
    }
  }
  if (!any) {
    outX = outY = outWidth = outHeight = 0;
    return false;
  }
  outX = minX;
  outY = minY;
  outWidth = maxX - minX;
  outHeight = maxY - minY;
  return true;
}

}  // namespace spine
