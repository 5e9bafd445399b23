// spine-render SKELETON ATLAS OUT_PNG [ANIMATION [TIME_S [SKIN]]]
// Poses a skeleton (.json or .skel) at an animation time and draws it with its atlas pages into a PNG, headless,
// through the graphics layer: skeleton origin at the picture's centre, y up. For reviewing the runtime by eye.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "bitmap/core/ImageCodec.h"
#include "platform/gfx/Context.h"
#include "platform/gfx/Device.h"
#include "platform/gfx/Texture.h"
#include "skeleton/runtime/Atlas.h"
#include "skeleton/runtime/AtlasAttachmentLoader.h"
#include "skeleton/runtime/MeshAttachment.h"
#include "skeleton/runtime/RegionAttachment.h"
#include "skeleton/runtime/Skeleton.h"
#include "skeleton/runtime/SkeletonBinary.h"
#include "skeleton/runtime/SkeletonJson.h"

namespace {

// Decodes each page image into a managed texture of the graphics layer.
class PageTextures : public spine::TextureLoader {
 public:
  void load(spine::AtlasPage& page, const std::string& path) override {
    std::ifstream file(path, std::ios::binary);
    std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    std::string error;
    auto image = bitmap::decodeImage(bytes, &error);
    if (!image) {
      std::fprintf(stderr, "spine-render: cannot read page %s: %s\n", path.c_str(), error.c_str());
      return;
    }
    auto texture = gfx::Texture::createManaged(image->width(), image->height());
    if (!texture) return;
    texture->update({0, 0, image->width(), image->height()}, image->data(), image->width() * 4);
    page.width = image->width();
    page.height = image->height();
    page.rendererObject = texture.get();
    m_textures[texture.get()] = std::move(texture);
  }
  void unload(void* texture) override { m_textures.erase(static_cast<gfx::Texture*>(texture)); }

 private:
  std::map<gfx::Texture*, std::unique_ptr<gfx::Texture>> m_textures;
};

std::uint32_t toArgb(const spine::Color& c) {
  auto byte = [](float v) { return static_cast<std::uint32_t>(std::clamp(v, 0.0f, 1.0f) * 255 + 0.5f); };
  return byte(c.a) << 24 | byte(c.r) << 16 | byte(c.g) << 8 | byte(c.b);
}

std::unique_ptr<spine::SkeletonData> loadSkeleton(const std::string& path, spine::AttachmentLoader& loader) {
  if (path.size() > 5 && path.compare(path.size() - 5, 5, ".json") == 0) {
    spine::SkeletonJson reader(loader);
    auto data = reader.readSkeletonDataFile(path);
    if (!data) std::fprintf(stderr, "spine-render: %s: %s\n", path.c_str(), reader.error().c_str());
    return data;
  }
  spine::SkeletonBinary reader(loader);
  auto data = reader.readSkeletonDataFile(path);
  if (!data) std::fprintf(stderr, "spine-render: %s: %s\n", path.c_str(), reader.error().c_str());
  return data;
}

// Triangles of every drawn region and mesh, in draw order, batched per texture and blend mode.
void drawSkeleton(gfx::Device& device, const spine::Skeleton& skeleton, float centreX, float centreY) {
  std::vector<float> world;
  std::vector<gfx::Vertex> vertices;
  for (const spine::Slot* slot : skeleton.drawOrder) {
    if (!slot->attachment || !slot->bone.active) continue;
    const float* uvs = nullptr;
    std::vector<std::uint16_t> quad = {0, 1, 2, 2, 3, 0};
    const std::vector<std::uint16_t>* triangles = &quad;
    const spine::AtlasRegion* region = nullptr;
    spine::Color tint = skeleton.color;
    if (slot->attachment->type() == spine::AttachmentType::Region) {
      const auto& attachment = static_cast<const spine::RegionAttachment&>(*slot->attachment);
      world.resize(8);
      attachment.computeWorldVertices(slot->bone, world.data(), 0, 2);
      uvs = attachment.uvs.data();
      region = attachment.region;
      tint = {tint.r * attachment.color.r, tint.g * attachment.color.g, tint.b * attachment.color.b,
              tint.a * attachment.color.a};
    } else if (slot->attachment->type() == spine::AttachmentType::Mesh) {
      const auto& mesh = static_cast<const spine::MeshAttachment&>(*slot->attachment);
      world.resize(static_cast<size_t>(mesh.worldVerticesLength));
      mesh.computeWorldVertices(*slot, world.data());
      uvs = mesh.uvs.data();
      triangles = &mesh.triangles;
      region = mesh.region;
      tint = {tint.r * mesh.color.r, tint.g * mesh.color.g, tint.b * mesh.color.b, tint.a * mesh.color.a};
    } else {
      continue;
    }
    tint = {tint.r * slot->color.r, tint.g * slot->color.g, tint.b * slot->color.b, tint.a * slot->color.a};
    const std::uint32_t colour = toArgb(tint);
    vertices.clear();
    for (std::uint16_t index : *triangles) {
      gfx::Vertex v;
      v.x = centreX + world[index * 2u];
      v.y = centreY - world[index * 2u + 1];
      v.colour = colour;
      v.u = uvs[index * 2u];
      v.v = uvs[index * 2u + 1];
      vertices.push_back(v);
    }
    auto& state = device.renderState();
    state.destBlend = slot->data.blendMode == spine::BlendMode::Additive ? gfx::Blend::One : gfx::Blend::InvSrcAlpha;
    device.setTexture(
        0, region && region->page ? static_cast<const gfx::Texture*>(region->page->rendererObject) : nullptr);
    device.drawTriangles(vertices.data(), vertices.size());
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4 || argc > 7) {
    std::fprintf(stderr, "usage: spine-render SKELETON ATLAS OUT_PNG [ANIMATION [TIME_S [SKIN]]]\n");
    return 2;
  }
  const std::string skeletonPath = argv[1], atlasPath = argv[2], outPath = argv[3];
  const std::string animationName = argc > 4 ? argv[4] : "";
  const float time = argc > 5 ? std::strtof(argv[5], nullptr) : 0;
  const std::string skinName = argc > 6 ? argv[6] : "";
  setenv("SDL_VIDEODRIVER", "offscreen", 0);

  std::string error;
  auto context = gfx::Context::createHeadless(64, 64, &error);
  if (!context) {
    std::fprintf(stderr, "spine-render: no graphics context: %s\n", error.c_str());
    return 1;
  }
  gfx::Device device(*context);
  PageTextures textures;
  auto atlas = spine::Atlas::fromFile(atlasPath, &textures, error);
  if (!atlas) {
    std::fprintf(stderr, "spine-render: %s\n", error.c_str());
    return 1;
  }
  spine::AtlasAttachmentLoader loader(atlas.get());
  auto data = loadSkeleton(skeletonPath, loader);
  if (!data) return 1;

  spine::Skeleton skeleton(*data);
  if (!skinName.empty() && !skeleton.setSkin(skinName)) {
    std::fprintf(stderr, "spine-render: no skin '%s'\n", skinName.c_str());
    return 1;
  }
  skeleton.setSlotsToSetupPose();
  if (!animationName.empty()) {
    const spine::Animation* animation = data->findAnimation(animationName);
    if (!animation) {
      std::fprintf(stderr, "spine-render: no animation '%s'\n", animationName.c_str());
      return 1;
    }
    animation->apply(skeleton, time, time, true, nullptr, 1, spine::MixBlend::Setup, spine::MixDirection::In);
  }
  skeleton.updateWorldTransform();

  // A square picture around the origin that holds the whole pose, with a margin.
  float x, y, w, h;
  std::vector<float> scratch;
  float extent = 64;
  if (skeleton.getBounds(x, y, w, h, scratch))
    extent = std::max({std::abs(x), std::abs(y), std::abs(x + w), std::abs(y + h), extent});
  const int size = std::min(4096, static_cast<int>(std::ceil(extent)) * 2 + 32);

  auto target = gfx::Texture::createRenderTarget(size, size);
  if (!target || !device.setRenderTarget(0, target.get())) {
    std::fprintf(stderr, "spine-render: cannot create a %d x %d picture\n", size, size);
    return 1;
  }
  device.clear(gfx::ClearFlags::Both, 0xFF303030);
  auto& state = device.renderState();
  state.alphaBlendEnable = true;
  state.srcBlend = gfx::Blend::SrcAlpha;
  state.zEnable = false;
  state.cullMode = gfx::Cull::None;
  auto& sampler = device.samplerState(0);
  sampler.minFilter = sampler.magFilter = gfx::Filter::Linear;
  sampler.addressU = sampler.addressV = gfx::Address::Clamp;
  drawSkeleton(device, skeleton, size / 2.0f, size / 2.0f);

  auto picture = bitmap::PixelBuffer::create(size, size);
  if (!picture || !target->readPixels({0, 0, size, size}, picture->data(), size * 4) ||
      !bitmap::savePng(picture->view(), outPath)) {
    std::fprintf(stderr, "spine-render: cannot write %s\n", outPath.c_str());
    return 1;
  }
  std::printf("%s: %d x %d\n", outPath.c_str(), size, size);
  return 0;
}
