#include "skeleton/runtime/AtlasAttachmentLoader.h"

#include <stdexcept>

#include "skeleton/runtime/Atlas.h"
#include "skeleton/runtime/BoundingBoxAttachment.h"
#include "skeleton/runtime/ClippingAttachment.h"
#include "skeleton/runtime/MeshAttachment.h"
#include "skeleton/runtime/PathAttachment.h"
#include "skeleton/runtime/PointAttachment.h"
#include "skeleton/runtime/RegionAttachment.h"

namespace spine {

namespace {
const AtlasRegion* requireRegion(const Atlas* atlas, const std::string& path, const char* kind,
                                 const std::string& name) {
  if (!atlas) return nullptr;
  const AtlasRegion* region = atlas->findRegion(path);
  if (!region)
    throw std::runtime_error("region not found in atlas: " + path + " (" + kind + " attachment: " + name + ")");
  return region;
}
}  // namespace

std::shared_ptr<RegionAttachment> AtlasAttachmentLoader::newRegionAttachment(const Skin&, const std::string& name,
                                                                             const std::string& path) {
  const AtlasRegion* region = requireRegion(m_atlas, path, "region", name);
  auto attachment = std::make_shared<RegionAttachment>(name);
  if (region) attachment->setRegion(*region);
  return attachment;
}

std::shared_ptr<MeshAttachment> AtlasAttachmentLoader::newMeshAttachment(const Skin&, const std::string& name,
                                                                         const std::string& path) {
  const AtlasRegion* region = requireRegion(m_atlas, path, "mesh", name);
  auto attachment = std::make_shared<MeshAttachment>(name);
  attachment->region = region;
  return attachment;
}

std::shared_ptr<BoundingBoxAttachment> AtlasAttachmentLoader::newBoundingBoxAttachment(const Skin&,
                                                                                       const std::string& name) {
  return std::make_shared<BoundingBoxAttachment>(name);
}

std::shared_ptr<PathAttachment> AtlasAttachmentLoader::newPathAttachment(const Skin&, const std::string& name) {
  return std::make_shared<PathAttachment>(name);
}

std::shared_ptr<PointAttachment> AtlasAttachmentLoader::newPointAttachment(const Skin&, const std::string& name) {
  return std::make_shared<PointAttachment>(name);
}

std::shared_ptr<ClippingAttachment> AtlasAttachmentLoader::newClippingAttachment(const Skin&, const std::string& name) {
  return std::make_shared<ClippingAttachment>(name);
}

}  // namespace spine
