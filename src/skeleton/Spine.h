#pragma once

// The record behind a `Spine` script object: a skeletal animation in the scene. It loads a texture atlas and a
// skeleton (JSON or binary), plays animations on numbered tracks with crossfades, combines skins, moves bones and
// records the animation events that fired (SpineEvents.h). Time advances by 1/60 s per update. It draws itself at
// its place in the scene's order: skeleton space has its origin at the screen centre, shifted like every object of
// a viewport by the viewport's rectangle origin less its scroll, with y up.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "scene/Sprite.h"
#include "skeleton/draw/MyTextureLoader.h"
#include "skeleton/draw/SkeletonDrawer.h"
#include "skeleton/draw/SkeletonMesh.h"

namespace spine {
class AnimationState;
class AnimationStateData;
class Atlas;
class AtlasAttachmentLoader;
class Skeleton;
class SkeletonData;
class Skin;
}  // namespace spine

namespace skeleton {

enum class SkeletonFormat { Json, Binary, Unknown };
// By the extension after the last '.', compared byte for byte: ".json" and ".skel" only.
SkeletonFormat skeletonFormat(std::string_view path);
// Everything up to and including the last '/' or '\', or nothing.
std::string_view directoryOf(std::string_view path);

enum class LoadResult { Loaded, AtlasFailed, BinaryFailed, JsonFailed, UnknownFormat };
// The start of the script error of a failed load, followed by the path concerned.
const char* loadErrorPrefix(LoadResult result);

// The default mix between animations of states made from now on, the fade-out after a non-looping animation and
// the fade of clear_animation; one value for every Spine object.
float spineMixTime();
void setSpineMixTime(float seconds);

// The name set_skin gives the skin it combines: "_" before each name, in order.
std::string combinedSkinName(const std::vector<std::string>& names);

class Spine final : public scene::Sprite {
 public:
  Spine();
  ~Spine() override;

  // Attaches to `viewport`'s list (null: the screen's), visible and not disposed, with a fresh creation serial.
  void initialize(scene::Viewport* viewport) override;
  // Loads atlas and skeleton in place of anything loaded before and starts the first animation looping on track 0.
  // Throws PageLoadError for a page image that cannot be loaded; on any failure the object keeps no skeleton.
  LoadResult load(std::string_view atlasPath, std::string_view skeletonPath);
  // The sprite dispose, then everything loaded; the object's events leave the event table.
  void dispose() override;
  bool drawsItself() const override { return true; }
  void drawCustom(render::Renderer& renderer) override;

  // One 1/60 s step: position and zoom to the skeleton, then the animations advance and pose it.
  void step();
  // An unknown name or track does nothing. A non-looping animation fades out over the mix time once played.
  void setAnimation(int track, std::string_view name, bool loop);
  void setAnimationAlpha(int track, float alpha);
  void clearAnimation(int track);
  // Combines the named skins (unknown names skipped, later skins winning) into one new skin and shows it.
  void setSkin(const std::vector<std::string>& names);
  void setBonePosition(std::string_view bone, float x, float y);

  bool loaded() const { return m_skeleton != nullptr; }
  // The identity the object's events are recorded under; null without a skeleton.
  const void* eventOwner() const { return m_state.get(); }

  std::int32_t positionX() const { return m_x; }
  std::int32_t positionY() const { return m_y; }
  void setPosition(std::int32_t x, std::int32_t y) {
    m_x = x;
    m_y = y;
  }
  float skeletonZoomX() const { return m_zoomX; }
  float skeletonZoomY() const { return m_zoomY; }
  void setSkeletonZoom(float x, float y) {
    m_zoomX = x;
    m_zoomY = y;
  }
  std::int32_t skeletonOpacity() const { return m_opacity; }
  void setSkeletonOpacity(std::int32_t opacity);

  const spine::Skeleton* skeleton() const { return m_skeleton.get(); }
  const spine::Skin* skin() const { return m_skin.get(); }
  const SkeletonMesh& mesh() const { return m_mesh; }
  std::uint64_t uploadCount() const { return m_drawer.uploadCount(); }

 private:
  void release();

  std::int32_t m_x = 0;
  std::int32_t m_y = 0;
  float m_zoomX = 1.0f;
  float m_zoomY = 1.0f;
  std::int32_t m_opacity = 255;

  // Released in the reverse order of this list: each may refer to those above it.
  std::unique_ptr<MyTextureLoader> m_textureLoader = std::make_unique<MyTextureLoader>();
  std::unique_ptr<spine::Atlas> m_atlas;
  std::unique_ptr<spine::AtlasAttachmentLoader> m_attachmentLoader;
  std::unique_ptr<spine::SkeletonData> m_data;
  std::unique_ptr<spine::AnimationStateData> m_stateData;
  std::unique_ptr<spine::AnimationState> m_state;
  std::unique_ptr<spine::Skin> m_skin;  // the skin set_skin made, shown by the skeleton
  std::unique_ptr<spine::Skeleton> m_skeleton;

  SkeletonMesh m_mesh;
  SkeletonDrawer m_drawer;
  bool m_meshStale = true;
};

}  // namespace skeleton
