#pragma once

// The record behind a viewport: a rectangle of the screen with its own draw list, scroll origin, z and effects. The
// screen itself is one more viewport record without a script object, holding the objects whose viewport is nil; every
// record, the screen's included, is in one global list in creation order.

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "bindings/Color.h"
#include "bindings/Tone.h"
#include "engine/ScriptApi.h"
#include "platform/gfx/Types.h"
#include "scene/DrawList.h"
#include "scene/FlashMath.h"

namespace bitmap {
class Bitmap;
}
namespace gfx {
class Texture;
}

namespace scene {

class Sprite;

class Viewport {
 public:
  // Takes a creation serial and enters the global list; the rectangle is owned (0, 0, 0, 0) until a script points it at
  // its Rect's data.
  Viewport();
  // Leaves the global list; the objects of its list stay alive and undrawn.
  ~Viewport();
  Viewport(const Viewport&) = delete;
  Viewport& operator=(const Viewport&) = delete;

  // Every object of the list leaves it (keeping its viewport field) and is not drawn until attached again; the
  // target goes, and the first time the record also leaves the global list.
  void dispose();
  void flash(const bindings::Color* colour, int duration);
  void update();
  bool disposed() const { return m_disposed; }

  engine::RectData& rectangle() { return *rect; }
  const engine::RectData& rectangle() const { return *rect; }

  std::int32_t creationSerial = 0;
  engine::RectData* rect = nullptr;
  std::int32_t ox = 0;
  std::int32_t oy = 0;
  double z = 0.0;
  bool visible = true;
  bindings::Color* color = nullptr;
  bindings::Tone* tone = nullptr;
  FlashState flashState;
  std::string effectName;
  std::map<std::string, float> floatEffectParams;
  std::map<std::string, bitmap::Bitmap*> textureEffectParams;
  DrawList drawList;
  // Effective z (as an integer) → blend mode of the groups drawn in one pass.
  std::map<std::int32_t, std::int32_t> fastLayers;
  // Screen-sized; made when first needed (a viewport whose picture is composited unchanged draws straight onto the
  // screen and needs none; snapshots use it), remade after device resets, dropped by dispose. Objects
  // are drawn into it only inside the rectangle: outside `targetDrawnArea` (where the last drawing went) it is
  // transparent, and all of it is while `targetClean`.
  std::unique_ptr<gfx::Texture> target;
  gfx::Viewport targetDrawnArea;
  bool targetClean = true;

  std::unique_ptr<engine::RectData> ownedRect = std::make_unique<engine::RectData>();
  std::unique_ptr<bindings::Color> ownedColor = std::make_unique<bindings::Color>();
  std::unique_ptr<bindings::Tone> ownedTone = std::make_unique<bindings::Tone>();

 private:
  bool m_disposed = false;
};

// The viewport of objects without one, covering the screen; made on first use.
Viewport& screenViewport();
// Every live viewport record, the screen's included, in creation order.
const std::vector<Viewport*>& viewportList();

}  // namespace scene
