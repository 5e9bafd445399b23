#include "scene/Viewport.h"

#include <algorithm>

#include "platform/gfx/Texture.h"
#include "scene/CreationCounter.h"
#include "scene/Sprite.h"

namespace scene {

namespace {

std::vector<Viewport*>& liveViewports() {
  // Never destroyed: records freed by the collector after static destructors have run still leave it.
  static auto* const list = new std::vector<Viewport*>();
  return *list;
}

}  // namespace

Viewport::Viewport() : creationSerial(takeCreationSerial()) {
  rect = ownedRect.get();
  color = ownedColor.get();
  tone = ownedTone.get();
  liveViewports().push_back(this);
}

Viewport::~Viewport() {
  // Objects still listed here may outlive this record (the collector frees in any order): they must not believe they
  // are in a list that no longer exists.
  dispose();
}

void Viewport::dispose() {
  for (Sprite* object : drawList) object->inDrawList = false;
  drawList.clear();
  target.reset();
  if (m_disposed) return;
  m_disposed = true;
  std::vector<Viewport*>& list = liveViewports();
  list.erase(std::remove(list.begin(), list.end(), this), list.end());
}

void Viewport::flash(const bindings::Color* colour, int duration) { startFlash(flashState, colour, duration); }

void Viewport::update() { stepFlash(flashState); }

Viewport& screenViewport() {
  // Never destroyed: objects may be attached to it until the very end of the process.
  static Viewport* const screen = new Viewport();
  return *screen;
}

const std::vector<Viewport*>& viewportList() { return liveViewports(); }

}  // namespace scene
