#include "skeleton/runtime/MeshAttachment.h"

#include "skeleton/runtime/Atlas.h"

namespace spine {

void MeshAttachment::updateUVs() {
  uvs.resize(regionUVs.size());
  if (!region || region->page == nullptr) {
    uvs = regionUVs;
    return;
  }
  const AtlasRegion& r = *region;
  const float pageWidth = static_cast<float>(r.page->width);
  const float pageHeight = static_cast<float>(r.page->height);
  const float w = static_cast<float>(r.width), h = static_cast<float>(r.height);
  const float ow = static_cast<float>(r.originalWidth), oh = static_cast<float>(r.originalHeight);
  const float ox = r.offsetX, oy = r.offsetY;
  const size_t n = regionUVs.size();
  float u, v, width, height;
  switch (r.degrees) {
    case 90:
      u = r.u - (oh - oy - h) / pageWidth;
      v = r.v - (ow - ox - w) / pageHeight;
      width = oh / pageWidth;
      height = ow / pageHeight;
      for (size_t i = 0; i + 1 < n; i += 2) {
        uvs[i] = u + regionUVs[i + 1] * width;
        uvs[i + 1] = v + (1 - regionUVs[i]) * height;
      }
      return;
    case 180:
      u = r.u - (ow - ox - w) / pageWidth;
      v = r.v - oy / pageHeight;
      width = ow / pageWidth;
      height = oh / pageHeight;
      for (size_t i = 0; i + 1 < n; i += 2) {
        uvs[i] = u + (1 - regionUVs[i]) * width;
        uvs[i + 1] = v + (1 - regionUVs[i + 1]) * height;
      }
      return;
    case 270:
      u = r.u - oy / pageWidth;
      v = r.v - ox / pageHeight;
      width = oh / pageWidth;
      height = ow / pageHeight;
      for (size_t i = 0; i + 1 < n; i += 2) {
        uvs[i] = u + (1 - regionUVs[i + 1]) * width;
        uvs[i + 1] = v + regionUVs[i] * height;
      }
      return;
    default:
      u = r.u - ox / pageWidth;
      v = r.v - (oh - oy - h) / pageHeight;
      width = ow / pageWidth;
      height = oh / pageHeight;
      for (size_t i = 0; i + 1 < n; i += 2) {
        uvs[i] = u + regionUVs[i] * width;
        uvs[i + 1] = v + regionUVs[i + 1] * height;
      }
      return;
  }
}

void MeshAttachment::setParentMesh(MeshAttachment* parent) {
  parentMesh = parent;
  if (!parent) return;
  copyVerticesFrom(*parent);
  regionUVs = parent->regionUVs;
  triangles = parent->triangles;
  hullLength = parent->hullLength;
  edges = parent->edges;
  width = parent->width;
  height = parent->height;
}

}  // namespace spine
