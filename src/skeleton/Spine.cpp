#include "skeleton/Spine.h"

#include <algorithm>
#include <optional>

#include "bitmap/Bitmap.h"
#include "platform/gfx/Device.h"
#include "platform/gfx/SpriteBatch.h"
#include "render/Renderer.h"
#include "scene/Viewport.h"
#include "skeleton/SpineEvents.h"
#include "skeleton/runtime/AnimationState.h"
#include "skeleton/runtime/AnimationStateData.h"
#include "skeleton/runtime/Atlas.h"
#include "skeleton/runtime/AtlasAttachmentLoader.h"
#include "skeleton/runtime/Skeleton.h"
#include "skeleton/runtime/SkeletonBinary.h"
#include "skeleton/runtime/SkeletonData.h"
#include "skeleton/runtime/SkeletonJson.h"
#include "skeleton/runtime/Skin.h"

namespace skeleton {

namespace {

constexpr float kStepSeconds = 1.0f / 60.0f;
float g_mixTime = 0.1f;

}  // namespace

SkeletonFormat skeletonFormat(std::string_view path) {
  const std::size_t dot = path.rfind('.');
  if (dot == std::string_view::npos) return SkeletonFormat::Unknown;
  const std::string_view extension = path.substr(dot);
  if (extension == ".json") return SkeletonFormat::Json;
  if (extension == ".skel") return SkeletonFormat::Binary;
  return SkeletonFormat::Unknown;
}

std::string_view directoryOf(std::string_view path) {
  const std::size_t separator = path.find_last_of("/\\");
  return separator == std::string_view::npos ? std::string_view() : path.substr(0, separator + 1);
}

const char* loadErrorPrefix(LoadResult result) {
  switch (result) {
    case LoadResult::AtlasFailed:
      return "failed to load atlas: ";
    case LoadResult::BinaryFailed:
      return "failed to load binary skeleton: ";
    case LoadResult::JsonFailed:
      return "failed to load json skeleton: ";
    case LoadResult::UnknownFormat:
      return "undefined skeleton format: ";
    case LoadResult::Loaded:
      break;
  }
  return "";
}

float spineMixTime() { return g_mixTime; }

void setSpineMixTime(float seconds) { g_mixTime = seconds; }

std::string combinedSkinName(const std::vector<std::string>& names) {
  std::string combined;
  for (const std::string& name : names) combined += "_" + name;
  return combined;
}

Spine::Spine() = default;

Spine::~Spine() { dispose(); }

void Spine::initialize(scene::Viewport* target) {
  Sprite::initialize(target);
  // Only the skeleton is drawn: there is no bitmap for the common quad.
  skipDefaultQuad = true;
}

void Spine::release() {
  eventTable().dropOwner(m_state.get());
  m_skeleton.reset();
  m_skin.reset();
  m_state.reset();
  m_stateData.reset();
  m_data.reset();
  m_attachmentLoader.reset();
  m_atlas.reset();
  m_meshStale = true;
}

void Spine::dispose() {
  if (disposed()) return;
  Sprite::dispose();
  release();
  m_textureLoader.reset();
}

LoadResult Spine::load(std::string_view atlasPath, std::string_view skeletonPath) {
  release();
  if (!m_textureLoader) m_textureLoader = std::make_unique<MyTextureLoader>();
  {
    std::optional<std::vector<std::uint8_t>> text = bitmap::readGameFile(atlasPath);
    if (!text) return LoadResult::AtlasFailed;
    std::string error;
    const std::string_view bytes(reinterpret_cast<const char*>(text->data()), text->size());
    m_atlas = spine::Atlas::parse(bytes, directoryOf(atlasPath), m_textureLoader.get(), error);
    if (!m_atlas) return LoadResult::AtlasFailed;
  }
  m_attachmentLoader = std::make_unique<spine::AtlasAttachmentLoader>(m_atlas.get());

  const SkeletonFormat format = skeletonFormat(skeletonPath);
  if (format == SkeletonFormat::Unknown) {
    release();
    return LoadResult::UnknownFormat;
  }
  // Both forms are read through the game's files, so a game whose files are all in its archive loads.
  const LoadResult failed = format == SkeletonFormat::Json ? LoadResult::JsonFailed : LoadResult::BinaryFailed;
  std::optional<std::vector<std::uint8_t>> bytes = bitmap::readGameFile(skeletonPath);
  if (bytes) {
    if (format == SkeletonFormat::Json) {
      spine::SkeletonJson reader(*m_attachmentLoader);
      m_data = reader.readSkeletonData(std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()));
    } else {
      spine::SkeletonBinary reader(*m_attachmentLoader);
      m_data = reader.readSkeletonData(bytes->data(), bytes->size());
    }
  }
  if (!m_data) {
    release();
    return failed;
  }

  m_skeleton = std::make_unique<spine::Skeleton>(*m_data);
  m_stateData = std::make_unique<spine::AnimationStateData>(*m_data);
  m_stateData->setDefaultMix(g_mixTime);
  m_state = std::make_unique<spine::AnimationState>(*m_stateData);
  if (!m_data->animations.empty()) m_state->setAnimation(0, m_data->animations.front().get(), true);
  m_state->setListener(
      [](spine::AnimationState& state, spine::EventType type, spine::TrackEntry& entry, const spine::Event* event) {
        eventTable().record(recordedEventName(type, event), entry.trackIndex, &state,
                            type == spine::EventType::Event ? event : nullptr);
      });
  step();
  return LoadResult::Loaded;
}

void Spine::setSkeletonOpacity(std::int32_t value) {
  const std::int32_t clamped = std::clamp(value, 0, 255);
  if (clamped != m_opacity) m_meshStale = true;
  m_opacity = clamped;
}

void Spine::step() {
  if (!m_skeleton) return;
  m_skeleton->scaleX = m_zoomX;
  m_skeleton->scaleY = m_zoomY;
  // A zero zoom keeps the last position rather than placing a skeleton that cannot be seen.
  if (m_zoomX != 0) m_skeleton->x = static_cast<float>(m_x);
  if (m_zoomY != 0) m_skeleton->y = -static_cast<float>(m_y);
  m_state->update(kStepSeconds);
  m_state->apply(*m_skeleton);
  m_skeleton->update(kStepSeconds);
  m_skeleton->updateWorldTransform();
  m_meshStale = true;
}

void Spine::setAnimation(int track, std::string_view name, bool loop) {
  if (!m_skeleton) return;
  const spine::Animation* animation = m_data->findAnimation(name);
  if (animation == nullptr) return;
  if (m_state->setAnimation(track, animation, loop) != nullptr && !loop) {
    m_state->addEmptyAnimation(track, g_mixTime, 0);
  }
}

void Spine::setAnimationAlpha(int track, float alpha) {
  if (!m_skeleton) return;
  if (spine::TrackEntry* entry = m_state->getCurrent(track)) entry->alpha = alpha;
}

void Spine::clearAnimation(int track) {
  if (m_skeleton) m_state->setEmptyAnimation(track, g_mixTime);
}

void Spine::setSkin(const std::vector<std::string>& names) {
  if (!m_skeleton) return;
  std::unique_ptr<spine::Skin> previous = std::move(m_skin);
  m_skeleton->setSkin(nullptr);
  auto combined = std::make_unique<spine::Skin>(combinedSkinName(names));
  for (const std::string& name : names) {
    if (const spine::Skin* found = m_data->findSkin(name)) combined->addSkin(*found);
  }
  m_skeleton->setSlotsToSetupPose();
  m_skeleton->setSkin(combined.get());
  m_skin = std::move(combined);
  m_meshStale = true;
}

void Spine::setBonePosition(std::string_view name, float x, float y) {
  if (!m_skeleton) return;
  if (spine::Bone* bone = m_skeleton->findBone(name)) {
    bone->x = x;
    bone->y = y;
  }
}

void Spine::drawCustom(render::Renderer& renderer) {
  if (!m_skeleton) return;
  gfx::Device& device = renderer.device();
  // Quads queued before this object must reach the target below it.
  gfx::SpriteBatch& batch = renderer.batch();
  if (batch.isBegun()) batch.flush();
  const gfx::StateBlock saved = device.captureState();
  const gfx::Texture* savedTexture = device.texture(0);

  if (m_meshStale) m_mesh.build(*m_skeleton, m_opacity);
  const scene::Viewport& owner = listOwner();
  const engine::RectData& area = owner.rectangle();
  const double originX = renderer.screenWidth() / 2.0 + (static_cast<double>(area.x) - owner.ox);
  const double originY = renderer.screenHeight() / 2.0 + (static_cast<double>(area.y) - owner.oy);
  m_drawer.draw(device, m_mesh, m_meshStale, static_cast<float>(originX), static_cast<float>(originY));
  m_meshStale = false;

  device.applyState(saved);
  device.setTexture(0, savedTexture);
}

}  // namespace skeleton
