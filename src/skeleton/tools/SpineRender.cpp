// spine-render SKELETON ATLAS OUT_PNG [ANIMATION [TIME_S [SKIN]]]
// Poses a skeleton (.json or .skel) at an animation time and draws it with its atlas pages into a PNG, headless,
// through the same drawing code as the game's Spine objects: skeleton origin at the picture's centre, y up. For
// reviewing the runtime and the drawing by eye.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "bitmap/core/ImageCodec.h"
#include "platform/gfx/Context.h"
#include "platform/gfx/Device.h"
#include "platform/gfx/Texture.h"
#include "skeleton/draw/MyTextureLoader.h"
#include "skeleton/draw/SkeletonDrawer.h"
#include "skeleton/draw/SkeletonMesh.h"
#include "skeleton/runtime/Atlas.h"
#include "skeleton/runtime/AtlasAttachmentLoader.h"
#include "skeleton/runtime/Skeleton.h"
#include "skeleton/runtime/SkeletonBinary.h"
#include "skeleton/runtime/SkeletonJson.h"

namespace {

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
  skeleton::MyTextureLoader textures;
  std::unique_ptr<spine::Atlas> atlas;
  try {
    atlas = spine::Atlas::fromFile(atlasPath, &textures, error);
  } catch (const skeleton::PageLoadError& failure) {
    error = failure.what();
  }
  if (!atlas) {
    std::fprintf(stderr, "spine-render: %s\n", error.c_str());
    return 1;
  }
  spine::AtlasAttachmentLoader loader(atlas.get());
  auto data = loadSkeleton(skeletonPath, loader);
  if (!data) return 1;

  spine::Skeleton pose(*data);
  if (!skinName.empty() && !pose.setSkin(skinName)) {
    std::fprintf(stderr, "spine-render: no skin '%s'\n", skinName.c_str());
    return 1;
  }
  pose.setSlotsToSetupPose();
  if (!animationName.empty()) {
    const spine::Animation* animation = data->findAnimation(animationName);
    if (!animation) {
      std::fprintf(stderr, "spine-render: no animation '%s'\n", animationName.c_str());
      return 1;
    }
    animation->apply(pose, time, time, true, nullptr, 1, spine::MixBlend::Setup, spine::MixDirection::In);
  }
  pose.updateWorldTransform();

  // A square picture around the origin that holds the whole pose, with a margin.
  float x, y, w, h;
  std::vector<float> scratch;
  float extent = 64;
  if (pose.getBounds(x, y, w, h, scratch))
    extent = std::max({std::abs(x), std::abs(y), std::abs(x + w), std::abs(y + h), extent});
  const int size = std::min(4096, static_cast<int>(std::ceil(extent)) * 2 + 32);

  auto target = gfx::Texture::createRenderTarget(size, size);
  if (!target || !device.setRenderTarget(0, target.get())) {
    std::fprintf(stderr, "spine-render: cannot create a %d x %d picture\n", size, size);
    return 1;
  }
  device.clear(gfx::ClearFlags::Both, 0xFF303030);
  skeleton::SkeletonMesh mesh;
  mesh.build(pose, 255);
  skeleton::SkeletonDrawer drawer;
  drawer.draw(device, mesh, true, size / 2.0f, size / 2.0f);

  auto picture = bitmap::PixelBuffer::create(size, size);
  if (!picture || !target->readPixels({0, 0, size, size}, picture->data(), size * 4) ||
      !bitmap::savePng(picture->view(), outPath)) {
    std::fprintf(stderr, "spine-render: cannot write %s\n", outPath.c_str());
    return 1;
  }
  std::printf("%s: %d x %d\n", outPath.c_str(), size, size);
  return 0;
}
