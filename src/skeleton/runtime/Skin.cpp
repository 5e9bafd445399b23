#include "skeleton/runtime/Skin.h"

#include <algorithm>

namespace spine {

void Skin::setAttachment(int slotIndex, const std::string& name, std::shared_ptr<Attachment> attachment) {
  if (slotIndex < 0) return;
  if (static_cast<size_t>(slotIndex) >= m_slots.size()) m_slots.resize(static_cast<size_t>(slotIndex) + 1);
  for (Entry& entry : m_slots[static_cast<size_t>(slotIndex)]) {
    if (entry.name == name) {
      entry.attachment = std::move(attachment);
      return;
    }
  }
  m_slots[static_cast<size_t>(slotIndex)].push_back({slotIndex, name, std::move(attachment)});
}

Attachment* Skin::getAttachment(int slotIndex, std::string_view name) const {
  if (slotIndex < 0 || static_cast<size_t>(slotIndex) >= m_slots.size()) return nullptr;
  for (const Entry& entry : m_slots[static_cast<size_t>(slotIndex)])
    if (entry.name == name) return entry.attachment.get();
  return nullptr;
}

void Skin::removeAttachment(int slotIndex, std::string_view name) {
  if (slotIndex < 0 || static_cast<size_t>(slotIndex) >= m_slots.size()) return;
  auto& slot = m_slots[static_cast<size_t>(slotIndex)];
  slot.erase(std::remove_if(slot.begin(), slot.end(), [&](const Entry& e) { return e.name == name; }), slot.end());
}

std::vector<const Skin::Entry*> Skin::entriesForSlot(int slotIndex) const {
  std::vector<const Entry*> result;
  if (slotIndex < 0 || static_cast<size_t>(slotIndex) >= m_slots.size()) return result;
  for (const Entry& entry : m_slots[static_cast<size_t>(slotIndex)]) result.push_back(&entry);
  return result;
}

std::vector<const Skin::Entry*> Skin::entries() const {
  std::vector<const Entry*> result;
  for (const auto& slot : m_slots)
    for (const Entry& entry : slot) result.push_back(&entry);
  return result;
}

void Skin::addSkin(const Skin& other) {
  for (BoneData* bone : other.bones)
    if (std::find(bones.begin(), bones.end(), bone) == bones.end()) bones.push_back(bone);
  for (ConstraintData* constraint : other.constraints)
    if (std::find(constraints.begin(), constraints.end(), constraint) == constraints.end())
      constraints.push_back(constraint);
  for (const Entry* entry : other.entries()) setAttachment(entry->slotIndex, entry->name, entry->attachment);
}

}  // namespace spine
