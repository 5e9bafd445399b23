#pragma once

#include <string>

namespace spine {

enum class AttachmentType { Region, BoundingBox, Mesh, LinkedMesh, Path, Point, Clipping };

// Something a slot can show. Attachments are immutable data shared by every skeleton of a SkeletonData; skins
// hold them by shared ownership so a skin assembled at run time stays valid on its own.
class Attachment {
 public:
  explicit Attachment(std::string name) : name(std::move(name)) {}
  virtual ~Attachment() = default;
  Attachment(const Attachment&) = delete;
  Attachment& operator=(const Attachment&) = delete;

  virtual AttachmentType type() const = 0;

  std::string name;
};

}  // namespace spine
