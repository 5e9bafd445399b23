#include "skeleton/runtime/Slot.h"

#include "skeleton/runtime/Bone.h"
#include "skeleton/runtime/Skeleton.h"

namespace spine {

Slot::Slot(const SlotData& data, Bone& bone) : data(data), bone(bone) { setToSetupPose(); }

void Slot::setAttachment(Attachment* newAttachment) {
  if (attachment == newAttachment) return;
  attachment = newAttachment;
  m_attachmentTime = bone.skeleton.time;
  deform.clear();
}

float Slot::attachmentTime() const { return bone.skeleton.time - m_attachmentTime; }

void Slot::setAttachmentTime(float time) { m_attachmentTime = bone.skeleton.time - time; }

void Slot::setToSetupPose() {
  color = data.color;
  hasDarkColor = data.darkColor.has_value();
  darkColor = data.darkColor.value_or(Color{0, 0, 0, 1});
  if (!data.attachmentName) {
    setAttachment(nullptr);
    return;
  }
  // Forced through null so the deform and the attachment time restart even for the same attachment.
  attachment = nullptr;
  setAttachment(bone.skeleton.getAttachment(data.index, *data.attachmentName));
}

}  // namespace spine
