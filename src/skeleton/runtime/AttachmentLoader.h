#pragma once

#include <memory>
#include <string>

namespace spine {

class BoundingBoxAttachment;
class ClippingAttachment;
class MeshAttachment;
class PathAttachment;
class PointAttachment;
class RegionAttachment;
class Skin;

// Creates the attachments a skeleton reader meets. The reader fills in the fields from the file afterwards.
// A loader reports a failure (e.g. a missing atlas region) by throwing std::runtime_error; the reader turns it
// into its error message. Returning null skips the attachment.
class AttachmentLoader {
 public:
  virtual ~AttachmentLoader() = default;
  virtual std::shared_ptr<RegionAttachment> newRegionAttachment(const Skin& skin, const std::string& name,
                                                                const std::string& path) = 0;
  virtual std::shared_ptr<MeshAttachment> newMeshAttachment(const Skin& skin, const std::string& name,
                                                            const std::string& path) = 0;
  virtual std::shared_ptr<BoundingBoxAttachment> newBoundingBoxAttachment(const Skin& skin,
                                                                          const std::string& name) = 0;
  virtual std::shared_ptr<PathAttachment> newPathAttachment(const Skin& skin, const std::string& name) = 0;
  virtual std::shared_ptr<PointAttachment> newPointAttachment(const Skin& skin, const std::string& name) = 0;
  virtual std::shared_ptr<ClippingAttachment> newClippingAttachment(const Skin& skin, const std::string& name) = 0;
};

}  // namespace spine
