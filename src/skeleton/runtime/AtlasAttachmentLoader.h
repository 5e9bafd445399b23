#pragma once

#include "skeleton/runtime/AttachmentLoader.h"

namespace spine {

class Atlas;

// Gives region and mesh attachments their atlas region (looked up by the attachment's path). With a null atlas
// the attachments get no region, which is enough to pose a skeleton without textures.
class AtlasAttachmentLoader : public AttachmentLoader {
 public:
  explicit AtlasAttachmentLoader(const Atlas* atlas) : m_atlas(atlas) {}

  std::shared_ptr<RegionAttachment> newRegionAttachment(const Skin& skin, const std::string& name,
                                                        const std::string& path) override;
  std::shared_ptr<MeshAttachment> newMeshAttachment(const Skin& skin, const std::string& name,
                                                    const std::string& path) override;
  std::shared_ptr<BoundingBoxAttachment> newBoundingBoxAttachment(const Skin& skin, const std::string& name) override;
  std::shared_ptr<PathAttachment> newPathAttachment(const Skin& skin, const std::string& name) override;
  std::shared_ptr<PointAttachment> newPointAttachment(const Skin& skin, const std::string& name) override;
  std::shared_ptr<ClippingAttachment> newClippingAttachment(const Skin& skin, const std::string& name) override;

 private:
  const Atlas* m_atlas = nullptr;  // not owned; outlives the skeleton data made with this loader
};

}  // namespace spine
