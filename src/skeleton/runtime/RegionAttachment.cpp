#include "skeleton/runtime/RegionAttachment.h"

#include "skeleton/runtime/Atlas.h"
#include "skeleton/runtime/Bone.h"
#include "skeleton/runtime/private/MathUtil.h"

namespace spine {

void RegionAttachment::setRegion(const AtlasRegion& atlasRegion) {
  region = &atlasRegion;
  regionOffsetX = atlasRegion.offsetX;
  regionOffsetY = atlasRegion.offsetY;
  regionWidth = static_cast<float>(atlasRegion.width);
  regionHeight = static_cast<float>(atlasRegion.height);
  regionOriginalWidth = static_cast<float>(atlasRegion.originalWidth);
  regionOriginalHeight = static_cast<float>(atlasRegion.originalHeight);
  const float u = atlasRegion.u, v = atlasRegion.v, u2 = atlasRegion.u2, v2 = atlasRegion.v2;
  if (atlasRegion.rotate) {
    // The packer turned the image a quarter turn: its top edge runs up the left side of the page rectangle.
    uvs = {u2, v, u2, v2, u, v2, u, v};
  } else {
    uvs = {u2, v2, u, v2, u, v, u2, v};
  }
}

void RegionAttachment::updateOffset() {
  float packedWidth = region ? regionWidth : width;
  float packedHeight = region ? regionHeight : height;
  float originalWidth = region ? regionOriginalWidth : width;
  float originalHeight = region ? regionOriginalHeight : height;
  float offsetX = region ? regionOffsetX : 0;
  float offsetY = region ? regionOffsetY : 0;

  float regionScaleX = originalWidth != 0 ? width / originalWidth * scaleX : 0;
  float regionScaleY = originalHeight != 0 ? height / originalHeight * scaleY : 0;
  float localX = -width / 2 * scaleX + offsetX * regionScaleX;
  float localY = -height / 2 * scaleY + offsetY * regionScaleY;
  float localX2 = localX + packedWidth * regionScaleX;
  float localY2 = localY + packedHeight * regionScaleY;
  float cos = math::cosDeg(rotation);
  float sin = math::sinDeg(rotation);
  auto place = [&](int i, float px, float py) {
    offsets[i] = px * cos - py * sin + x;
    offsets[i + 1] = px * sin + py * cos + y;
  };
  place(0, localX2, localY);   // BR
  place(2, localX, localY);    // BL
  place(4, localX, localY2);   // UL
  place(6, localX2, localY2);  // UR
}

void RegionAttachment::computeWorldVertices(const Bone& bone, float* out, size_t offset, size_t stride) const {
  for (int i = 0; i < 8; i += 2) {
    float ox = offsets[i], oy = offsets[i + 1];
    out[offset] = ox * bone.a + oy * bone.b + bone.worldX;
    out[offset + 1] = ox * bone.c + oy * bone.d + bone.worldY;
    offset += stride;
  }
}

}  // namespace spine
