#pragma once

#include <vector>

#include "skeleton/runtime/Color.h"
#include "skeleton/runtime/SlotData.h"

namespace spine {

class Attachment;
class Bone;

class Slot {
 public:
  Slot(const SlotData& data, Bone& bone);

  // Shows `attachment` (null clears). A change restarts attachmentTime and clears the deform.
  void setAttachment(Attachment* attachment);
  // Seconds the current attachment has been shown, on the skeleton's clock.
  float attachmentTime() const;
  void setAttachmentTime(float time);
  // Setup colours, and the setup attachment resolved again through the skeleton's skins.
  void setToSetupPose();

  const SlotData& data;
  Bone& bone;
  Color color;
  Color darkColor{0, 0, 0, 1};
  bool hasDarkColor = false;
  Attachment* attachment = nullptr;
  // Vertex offsets or positions from deform timelines; empty means the setup vertices.
  std::vector<float> deform;
  int attachmentState = 0;  // bookkeeping of AnimationState

 private:
  float m_attachmentTime = 0;
};

}  // namespace spine
