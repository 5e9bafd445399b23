#include "scene/Sprite.h"

#include <algorithm>

#include "bitmap/Bitmap.h"
#include "platform/gfx/Device.h"
#include "scene/CreationCounter.h"
#include "scene/Inheritance.h"
#include "scene/Viewport.h"

namespace scene {

namespace {

void eraseFrom(std::vector<Sprite*>& list, const Sprite* object) {
  list.erase(std::remove(list.begin(), list.end(), object), list.end());
}

gfx::Address addressMode(std::int32_t mode) {
  // Stored as a script or class set it; anything Direct3D would refuse samples as the default border.
  if (mode < static_cast<int>(gfx::Address::Wrap) || mode > static_cast<int>(gfx::Address::MirrorOnce)) {
    return gfx::Address::Border;
  }
  return static_cast<gfx::Address>(mode);
}

}  // namespace

Sprite::Sprite(PlayerOwned owned) {
  resetDefaults();
  ownSourceRect();
  ownColor();
  ownTone();
  if (owned.attachToScreen) attach(nullptr);
}

Sprite::Sprite() = default;

Sprite::~Sprite() { disposeBase(); }

void Sprite::initialize(Viewport* target) {
  // A script may run initialize again: the reset forgets the list and the family links, so they are undone first rather
  // than left pointing at this record.
  if (inDrawList) {
    listOwner().drawList.remove(this);
    inDrawList = false;
  }
  if (parent != nullptr) parent->removeChild(this);
  for (Sprite* child : children) child->parent = nullptr;
  resetDefaults();
  attach(target);
}

void Sprite::resetDefaults() {
  // Nothing points at owned storage once the pointers are cleared, so it goes with them.
  ownedSourceRect.reset();
  ownedColor.reset();
  ownedTone.reset();
  ownedBitmap.reset();
  videoReader.reset();

  creationSerial = takeCreationSerial();
  updateCount = 0;
  viewport = nullptr;
  bitmap = nullptr;
  skipDefaultQuad = false;
  m_disposed = false;
  visible = true;
  inDrawList = false;
  x = y = 0;
  z = 0.0;
  ox = oy = 0;
  zoomX = zoomY = 1.0f;
  mirror = false;
  angle = 0.0f;
  shearX = shearY = 0.0f;
  opacity = 255;
  blendType = 0;
  sourceRect = nullptr;
  color = nullptr;
  tone = nullptr;
  flashState = {};
  effectName.clear();
  floatEffectParams.clear();
  textureEffectParams.clear();
  effectiveVisible = true;
  effectiveX = effectiveY = 0;
  effectiveZ = 0.0;
  effectiveZoomX = effectiveZoomY = 1.0f;
  effectiveOpacity = 255.0f;
  effectiveColor = {};
  effectiveTone = {};
  addressModeU = addressModeV = 4;
  bushDepth = 0;
  bushOpacity = 128;
  parent = nullptr;
  children.clear();
  waveAmp = 0;
  waveLength = 360;
  waveSpeed = 0;
  wavePhase = 0;
  waveAngle = 0.0f;
  videoClockFrequency = videoClockLast = 0;
  videoClockTime = 0.0;
  videoPlaying = false;
}

void Sprite::setSourceRect(int left, int top, int width, int height) {
  if (sourceRect == nullptr) return;
  *sourceRect = {left, top, width, height};
}

void Sprite::dispose() { disposeBase(); }

void Sprite::disposeBase() {
  if (m_disposed) return;
  m_disposed = true;
  videoReader.reset();
  videoPlaying = false;
  if (inDrawList) listOwner().drawList.remove(this);
  if (parent != nullptr) {
    parent->removeChild(this);
    parent = nullptr;
  }
  for (Sprite* child : children) child->parent = nullptr;
  children.clear();
  // The pointers go with the storage they may reference.
  if (ownedSourceRect) sourceRect = nullptr;
  if (ownedColor) color = nullptr;
  if (ownedTone) tone = nullptr;
  ownedSourceRect.reset();
  ownedColor.reset();
  ownedTone.reset();
}

void Sprite::releaseBitmap() {
  if (bitmap == nullptr) return;
  if (bitmap == ownedBitmap.get()) ownedBitmap.reset();
  bitmap = nullptr;
}

void Sprite::ownSourceRect() {
  ownedSourceRect = std::make_unique<engine::RectData>();
  sourceRect = ownedSourceRect.get();
}

void Sprite::ownColor() {
  ownedColor = std::make_unique<bindings::Color>();
  color = ownedColor.get();
}

void Sprite::ownTone() {
  ownedTone = std::make_unique<bindings::Tone>();
  tone = ownedTone.get();
}

gfx::Texture* Sprite::texture() { return bitmap != nullptr ? bitmap->texture() : nullptr; }

void Sprite::applySamplerAddress(gfx::Device& device) {
  gfx::SamplerState& sampler = device.samplerState(0);
  sampler.addressU = addressMode(addressModeU);
  sampler.addressV = addressMode(addressModeV);
}

void Sprite::setBitmap(bitmap::Bitmap* image, engine::RectData* storage) {
  bitmap = image;
  if (storage != nullptr) {
    sourceRect = storage;
  } else if (sourceRect != nullptr) {
    *sourceRect = image != nullptr ? engine::RectData{0, 0, image->width(), image->height()} : engine::RectData{};
  }
}

void Sprite::attach(Viewport* target) {
  if (inDrawList) {
    if (viewport == target) return;
    listOwner().drawList.remove(this);
  }
  inDrawList = true;
  viewport = target;
  listOwner().drawList.append(this);
}

bool Sprite::removeChild(Sprite* child) {
  if (child == nullptr || child->parent != this) return false;
  eraseFrom(children, child);
  child->parent = nullptr;
  return true;
}

bool Sprite::addChild(Sprite* child) {
  if (child == nullptr || child->parent != nullptr) return false;
  for (const Sprite* ancestor = this; ancestor != nullptr; ancestor = ancestor->parent) {
    if (ancestor == child) return false;
  }
  child->parent = this;
  children.push_back(child);
  return true;
}

void Sprite::computeEffective() {
  static const bindings::Color kNoColor;
  static const bindings::Tone kNoTone;
  const bindings::Color& ownColor = color != nullptr ? *color : kNoColor;
  const bindings::Tone& ownTone = tone != nullptr ? *tone : kNoTone;
  if (parent == nullptr) {
    effectiveVisible = visible;
    effectiveX = x;
    effectiveY = y;
    effectiveZ = z;
    effectiveZoomX = zoomX;
    effectiveZoomY = zoomY;
    effectiveOpacity = static_cast<float>(opacity);
    effectiveColor = ownColor;
    effectiveTone = ownTone;
  } else {
    const Sprite& p = *parent;
    effectiveVisible = visible && p.effectiveVisible;
    effectiveX = inheritPosition(p.effectiveX, x);
    effectiveY = inheritPosition(p.effectiveY, y);
    effectiveZ = p.effectiveZ + z;
    effectiveOpacity = static_cast<float>(opacity) * p.effectiveOpacity / 255.0f;
    effectiveColor = inheritColor(p.effectiveColor, ownColor);
    effectiveTone = inheritTone(p.effectiveTone, ownTone);
    effectiveZoomX = p.effectiveZoomX * zoomX;
    effectiveZoomY = p.effectiveZoomY * zoomY;
  }
  for (Sprite* child : children) child->computeEffective();
}

void Sprite::flash(const bindings::Color* colour, int duration) { startFlash(flashState, colour, duration); }

void Sprite::update() {
  ++updateCount;
  stepFlash(flashState);
  // The integer quotient is what moves the wave: a speed below the length leaves it standing.
  if (waveLength != 0) {
    waveAngle += static_cast<float>(static_cast<std::int64_t>(waveSpeed) / waveLength);
  }
  if (videoPlaying && videoReader && !videoReader->advance(*this)) {
    videoReader.reset();
    videoPlaying = false;
  }
}

Viewport& Sprite::listOwner() const { return viewport != nullptr ? *viewport : screenViewport(); }

}  // namespace scene
