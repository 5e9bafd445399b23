#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "skeleton/runtime/Attachment.h"

namespace spine {

struct BoneData;
struct ConstraintData;

// Maps (slot index, skin key) to an attachment, in insertion order, plus the bones and constraints the skin needs.
class Skin {
 public:
  struct Entry {
    int slotIndex = 0;
    std::string name;  // the skin key
    std::shared_ptr<Attachment> attachment;
  };

  explicit Skin(std::string name) : m_name(std::move(name)) {}

  const std::string& name() const { return m_name; }

  // Adds or replaces the entry under (slotIndex, name).
  void setAttachment(int slotIndex, const std::string& name, std::shared_ptr<Attachment> attachment);
  Attachment* getAttachment(int slotIndex, std::string_view name) const;
  void removeAttachment(int slotIndex, std::string_view name);
  // Entries of one slot, in insertion order.
  std::vector<const Entry*> entriesForSlot(int slotIndex) const;
  // All entries, grouped by slot index and in insertion order within a slot.
  std::vector<const Entry*> entries() const;

  // Merges other's bones and constraints and shares its attachments (other's entries win).
  void addSkin(const Skin& other);

  std::vector<BoneData*> bones;
  std::vector<ConstraintData*> constraints;

 private:
  std::string m_name;
  std::vector<std::vector<Entry>> m_slots;  // indexed by slot
};

}  // namespace spine
