#pragma once

// The record behind everything drawn in the scene. The script class Sprite uses it as it is; planes, tilemap layers,
// windows' parts, Live2D and skeleton objects derive from it and override some of its operations. It holds what the
// common draw procedure reads, the object's place in exactly one draw list (a viewport's, or the screen's when its
// viewport is null) and an optional parent whose position, z, opacity, zoom, colour and tone it inherits.
//
// The record's fields are public: the draw procedure and every script class read and write them directly, as plain
// state of the record. Pointers to bitmaps, rectangles, colours, tones and viewports do not own what they point at
// unless the matching owned* member holds it; the script side keeps those objects alive.

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "bindings/Color.h"
#include "bindings/Tone.h"
#include "engine/ScriptApi.h"
#include "scene/FlashMath.h"

namespace bitmap {
class Bitmap;
}
namespace gfx {
class Device;
class Texture;
}  // namespace gfx
namespace render {
class Renderer;
}

namespace scene {

class Viewport;

class Sprite;

// A movie decoder feeding a sprite's bitmap; the video subsystem derives from it.
class SpriteVideo {
 public:
  virtual ~SpriteVideo() = default;
  // One update's worth of playback: advances the sprite's video clock and decodes at most one frame into its
  // bitmap. False once the movie has no next frame.
  virtual bool advance(Sprite& sprite) = 0;
};

class Sprite {
 public:
  // Player-built objects (window parts, tilemap layers, the renderer's overlay): reset, own storage for the source
  // rectangle, colour and tone, and the screen's draw list unless `attachToScreen` is false.
  struct PlayerOwned {
    bool attachToScreen = true;
  };
  explicit Sprite(PlayerOwned owned);
  // A raw record for a script object: in no list and not drawn until initialize().
  Sprite();
  // Disposes, then lets go of children and effect data.
  virtual ~Sprite();
  Sprite(const Sprite&) = delete;
  Sprite& operator=(const Sprite&) = delete;

  // The operations derived classes override, in the order the classes of the scene rely on.
  virtual void initialize(Viewport* viewport);
  // A fresh creation serial and every field at its default; lists, children and pointers are dropped without being
  // unlinked (the caller does that first when needed).
  virtual void resetDefaults();
  virtual void setSourceRect(int x, int y, int width, int height);
  // Once: leaves its draw list and its parent, orphans its children, frees owned storage.
  virtual void dispose();
  // Frees a bitmap the record owns and clears the field; a script's bitmap is only let go.
  virtual void releaseBitmap();
  virtual void ownSourceRect();
  virtual void ownColor();
  virtual void ownTone();
  virtual gfx::Texture* texture();
  virtual void prepareFrame() {}
  // A class with drawing of its own (drawCustom) says so here; objects that do not draw themselves are drawn as one
  // quad that may share a draw call with its neighbours, and drawCustom is not called for them.
  virtual bool drawsItself() const { return false; }
  virtual void applySamplerAddress(gfx::Device& device);
  // The class's own drawing after the default quad, inside the pass the draw procedure began; every quad queued
  // before has been drawn.
  virtual void drawCustom(render::Renderer& /*renderer*/) {}
  virtual void afterDraw() {}
  // With `storage`, the source rectangle becomes that storage; without, the current storage is set to the whole bitmap
  // (zeros for none).
  virtual void setBitmap(bitmap::Bitmap* bitmap, engine::RectData* storage);
  virtual float texcoordScaleX() const { return 1.0f; }
  virtual float texcoordScaleY() const { return 1.0f; }
  virtual float texcoordOffsetX() const { return 0.0f; }
  virtual float texcoordOffsetY() const { return 0.0f; }

  // Enters `viewport`'s draw list (null: the screen's). Staying in the same list keeps the object's place.
  void attach(Viewport* viewport);
  // False when `child` is not a child of this object; otherwise unlinks it.
  bool removeChild(Sprite* child);
  // Links `child` under this object. False, changing nothing, when the child has a parent already or when the link
  // would make a cycle (the child is this object or one of its ancestors).
  [[nodiscard]] bool addChild(Sprite* child);
  // Inherited values of this object (from its parent's, already computed) and then of its children.
  void computeEffective();

  // Starts a flash: `colour` null hides the object for `duration` frames instead of tinting it.
  void flash(const bindings::Color* colour, int duration);
  // One frame of a script's update: the flash, the wave and a playing video (released at its end).
  void update();

  bool disposed() const { return m_disposed; }

  // The viewport whose list the object is drawn by; the screen's for a null viewport field.
  Viewport& listOwner() const;

  std::int32_t creationSerial = 0;
  // Whether equal z orders this object by its y before its creation: true for sprites and the sprite-like extension
  // classes, false for what the player builds windows, planes and tilemaps from. Fixed by the class, so no reset
  // touches it.
  bool ordersByY = true;
  std::int32_t updateCount = 0;
  Viewport* viewport = nullptr;
  bitmap::Bitmap* bitmap = nullptr;
  bool skipDefaultQuad = false;
  bool visible = true;
  bool inDrawList = false;
  std::int32_t x = 0;
  std::int32_t y = 0;
  double z = 0.0;
  std::int32_t ox = 0;
  std::int32_t oy = 0;
  float zoomX = 1.0f;
  float zoomY = 1.0f;
  bool mirror = false;
  float angle = 0.0f;
  float shearX = 0.0f;
  float shearY = 0.0f;
  std::int32_t opacity = 255;
  std::int32_t blendType = 0;
  engine::RectData* sourceRect = nullptr;
  bindings::Color* color = nullptr;
  bindings::Tone* tone = nullptr;
  FlashState flashState;
  std::string effectName;
  std::map<std::string, float> floatEffectParams;
  std::map<std::string, bitmap::Bitmap*> textureEffectParams;
  std::unique_ptr<SpriteVideo> videoReader;
  bool effectiveVisible = true;
  std::int32_t effectiveX = 0;
  std::int32_t effectiveY = 0;
  double effectiveZ = 0.0;
  float effectiveZoomX = 1.0f;
  float effectiveZoomY = 1.0f;
  float effectiveOpacity = 255.0f;
  bindings::Color effectiveColor;
  bindings::Tone effectiveTone;
  std::int32_t addressModeU = 4;  // border
  std::int32_t addressModeV = 4;
  std::int32_t bushDepth = 0;
  std::int32_t bushOpacity = 128;
  Sprite* parent = nullptr;
  std::vector<Sprite*> children;
  // Where the object stands in its draw list, kept by the list while in draw list is set.
  std::size_t drawListSlot = 0;
  std::int32_t waveAmp = 0;
  std::int32_t waveLength = 360;
  std::int32_t waveSpeed = 0;
  std::int32_t wavePhase = 0;
  float waveAngle = 0.0f;
  std::int64_t videoClockFrequency = 0;
  std::int64_t videoClockLast = 0;
  double videoClockTime = 0.0;  // 100-nanosecond units
  bool videoPlaying = false;

  // Storage the record allocated itself; null when the pointers above point at a script object's data.
  std::unique_ptr<engine::RectData> ownedSourceRect;
  std::unique_ptr<bindings::Color> ownedColor;
  std::unique_ptr<bindings::Tone> ownedTone;
  // A bitmap the record made for itself (window contents, layer images); `bitmap` points at it while set.
  std::unique_ptr<bitmap::Bitmap> ownedBitmap;

 private:
  bool m_disposed = false;
  void disposeBase();
};

}  // namespace scene
