#include "scene/SpriteClass.h"

#include <string>
#include <type_traits>

#include "bindings/Binding.h"
#include "bindings/Color.h"
#include "bindings/Tone.h"
#include "bitmap/Bitmap.h"
#include "scene/ClassArguments.h"
#include "scene/EffectParamBinding.h"
#include "scene/Sprite.h"
#include "scene/Viewport.h"

namespace scene {

namespace {

using bindings::api;
using bindings::Args;
using bindings::Self;
using engine::Value;

// Hidden instance variables (no at-sign: scripts cannot name them) that keep the objects the record points at
// alive for as long as the sprite is.
constexpr const char* kViewportVar = "viewport";
constexpr const char* kBitmapVar = "bitmap";
constexpr const char* kSrcRectVar = "srcrect";
constexpr const char* kColorVar = "color";
constexpr const char* kToneVar = "tone";
constexpr const char* kParentVar = "parent";
constexpr const char* kChildrenVar = "children";

Value spriteClass() { return bindings::ScriptClass<Sprite>::value; }

// The viewport record of a nil-or-Viewport argument.

Sprite& spriteArgument(Value value) {
  bindings::checkKind(value, spriteClass());
  return bindings::selfRecord<Sprite>(value);
}

Value newSourceRect(Value self) {
  const Value rect = api().rect_new();
  api().iv_set(self, kSrcRectVar, rect);
  return rect;
}

void spriteInitialize(Self<Sprite> self, Args args) {
  args.require(0, 1);
  Viewport* viewport = args.count == 1 ? viewportArgument(args[0]) : nullptr;
  self->initialize(viewport);
  api().iv_set(self.value, kViewportVar, viewport != nullptr ? args[0] : api().nil);
  api().iv_set(self.value, kBitmapVar, api().nil);
  const Value rect = newSourceRect(self.value);
  self->sourceRect = api().rect_data(rect);
  const Value color = bindings::newColor({});
  api().iv_set(self.value, kColorVar, color);
  self->color = &bindings::colorRecord(color);
  const Value tone = bindings::newTone({});
  api().iv_set(self.value, kToneVar, tone);
  self->tone = &bindings::toneRecord(tone);
  api().iv_set(self.value, kParentVar, api().nil);
  api().iv_set(self.value, kChildrenVar, api().ary_new());
  api().iv_set(self.value, kEffectBitmapsVar, api().ary_new());
}

// Unlinks `child` from `parent`, script arrays included; false when it was not a child.
bool unlinkChild(Value parentObject, Sprite& parent, Value childObject, Sprite& child) {
  if (!parent.removeChild(&child)) return false;
  const Value previous = api().iv_get(parentObject, kChildrenVar);
  const Value kept = api().ary_new();
  const long count = api().ary_length(previous);
  for (long i = 0; i < count; ++i) {
    const Value entry = api().ary_entry(previous, i);
    if (entry != childObject) api().ary_push(kept, entry);
  }
  api().iv_set(parentObject, kChildrenVar, kept);
  api().iv_set(childObject, kParentVar, api().nil);
  return true;
}

Value spriteDispose(Value self) {
  Sprite* record = bindings::dataRecord<Sprite>(self);
  if (record == nullptr || record->disposed()) return api().nil;
  const Value parentObject = api().iv_get(self, kParentVar);
  if (record->parent != nullptr && parentObject != api().nil) {
    unlinkChild(parentObject, *record->parent, self, *record);
  }
  // The children stay alive on their own; their script side forgets this sprite as the record does.
  const Value children = api().iv_get(self, kChildrenVar);
  if (children != api().nil) {
    const long count = api().ary_length(children);
    for (long i = 0; i < count; ++i) api().iv_set(api().ary_entry(children, i), kParentVar, api().nil);
    api().iv_set(self, kChildrenVar, api().ary_new());
  }
  record->dispose();
  return api().nil;
}

bool spriteDisposedP(Value self) {
  const Sprite* record = bindings::dataRecord<Sprite>(self);
  return record == nullptr || record->disposed();
}

void spriteSetViewport(Self<Sprite> self, Value value) {
  Viewport* viewport = viewportArgument(value);
  self->attach(viewport);
  api().iv_set(self.value, kViewportVar, value);
}

void spriteSetBitmap(Self<Sprite> self, Value value) {
  bitmap::Bitmap* image = bitmapArgument(value);
  api().iv_set(self.value, kBitmapVar, value);
  // A fresh rectangle: one a script took from src_rect earlier no longer steers this sprite.
  const Value rect = newSourceRect(self.value);
  engine::RectData* storage = api().rect_data(rect);
  if (image != nullptr) {
    storage->width = image->width();
    storage->height = image->height();
  }
  self->setBitmap(image, storage);
}

Value spriteSetSrcRect(Self<Sprite> self, Value rect) {
  bindings::checkKind(rect, api().rect_class);
  if (self->sourceRect != nullptr) *self->sourceRect = *api().rect_data(rect);
  return api().iv_get(self.value, kSrcRectVar);
}

void spriteSetColor(Sprite& sprite, const bindings::Color& color) {
  if (sprite.color != nullptr) *sprite.color = color;
}

void spriteSetTone(Self<Sprite> self, Value tone) {
  self->tone = &bindings::toneRecord(tone);
  api().iv_set(self.value, kToneVar, tone);
}

int spriteWidth(const Sprite& sprite) {
  const engine::RectData source = sprite.sourceRect != nullptr ? *sprite.sourceRect : engine::RectData{};
  if (source.width <= 0 && source.height <= 0 && sprite.bitmap != nullptr) return sprite.bitmap->width();
  return source.width;
}

int spriteHeight(const Sprite& sprite) {
  const engine::RectData source = sprite.sourceRect != nullptr ? *sprite.sourceRect : engine::RectData{};
  if (source.width <= 0 && source.height <= 0 && sprite.bitmap != nullptr) return sprite.bitmap->height();
  return source.height;
}

Value spriteFlash(Sprite& sprite, Value colour, int duration) {
  const bindings::Color* record = colour == api().nil ? nullptr : &bindings::colorRecord(colour);
  sprite.flash(record, duration);
  return api().nil;
}

Value spriteUpdate(Sprite& sprite) {
  sprite.update();
  return api().nil;
}

Value spriteAddChild(Self<Sprite> self, Value childObject) {
  Sprite& child = spriteArgument(childObject);
  if (child.parent != nullptr) return self.value;
  if (!self->addChild(&child)) {
    throw bindings::scriptError("a sprite cannot be a child of itself or of its own descendant");
  }
  api().ary_push(api().iv_get(self.value, kChildrenVar), childObject);
  api().iv_set(childObject, kParentVar, self.value);
  return self.value;
}

Value spriteRemoveChild(Self<Sprite> self, Value childObject) {
  Sprite& child = spriteArgument(childObject);
  unlinkChild(self.value, *self, childObject, child);
  return self.value;
}

Value spriteEffectName(const Sprite& sprite) { return bindings::newString(sprite.effectName); }

void spriteSetEffectName(Sprite& sprite, std::string_view name) { sprite.effectName = std::string(name); }

template <const char* const* Var>
Value hiddenVar(Value self) {
  return api().iv_get(self, *Var);
}

template <const char* const* Var>
Value checkedHiddenVar(Self<Sprite> self) {
  return api().iv_get(self.value, *Var);
}

template <auto Member>
auto getField(const Sprite& sprite) {
  using T = std::remove_cvref_t<decltype(sprite.*Member)>;
  if constexpr (std::is_same_v<T, float>) {
    return static_cast<double>(sprite.*Member);
  } else if constexpr (std::is_same_v<T, bool>) {
    return sprite.*Member;
  } else {
    return static_cast<int>(sprite.*Member);  // z, stored as a double, reads back truncated
  }
}

template <auto Member>
void setInt(Sprite& sprite, int value) {
  sprite.*Member = value;
}

template <auto Member>
void setReal(Sprite& sprite, double value) {
  sprite.*Member = static_cast<float>(value);
}

template <auto Member>
void setBool(Sprite& sprite, bool value) {
  sprite.*Member = value;
}

template <auto Member>
void setByte(Sprite& sprite, bindings::Byte value) {
  sprite.*Member = value.value;
}

void spriteSetWaveAmp(Sprite& sprite, int value) {
  sprite.waveAmp = value;
  // A wave needs a length to move along; an unset one becomes half a turn.
  if (value != 0 && sprite.waveLength == 0) sprite.waveLength = 180;
}

}  // namespace

void setSpriteBitmap(Value sprite, Value image) {
  spriteSetBitmap(Self<Sprite>{sprite, &bindings::selfRecord<Sprite>(sprite)}, image);
}

void defineSpriteClass() {
  bindings::adoptEngineClasses();
  bindings::ClassDef<Sprite> definition("Sprite");
  definition.disposedMessage("disposed sprite")
      .refuseCopy()
      .method<&spriteInitialize>("initialize")
      .method<&spriteDispose>("dispose")
      .method<&spriteDisposedP>("disposed?")
      .method<&checkedHiddenVar<&kViewportVar>>("viewport")
      .setter<&spriteSetViewport>("viewport=")
      .method<&hiddenVar<&kBitmapVar>>("bitmap")
      .setter<&spriteSetBitmap>("bitmap=")
      .method<&hiddenVar<&kSrcRectVar>>("src_rect")
      .method<&spriteSetSrcRect>("src_rect=")
      .method<&getField<&Sprite::visible>>("visible")
      .setter<&setBool<&Sprite::visible>>("visible=")
      .method<&getField<&Sprite::x>>("x")
      .setter<&setInt<&Sprite::x>>("x=")
      .method<&getField<&Sprite::y>>("y")
      .setter<&setInt<&Sprite::y>>("y=")
      .method<&getField<&Sprite::z>>("z")
      .setter<&setInt<&Sprite::z>>("z=")
      .method<&getField<&Sprite::ox>>("ox")
      .setter<&setInt<&Sprite::ox>>("ox=")
      .method<&getField<&Sprite::oy>>("oy")
      .setter<&setInt<&Sprite::oy>>("oy=")
      .method<&getField<&Sprite::zoomX>>("zoom_x")
      .setter<&setReal<&Sprite::zoomX>>("zoom_x=")
      .method<&getField<&Sprite::zoomY>>("zoom_y")
      .setter<&setReal<&Sprite::zoomY>>("zoom_y=")
      .method<&getField<&Sprite::angle>>("angle")
      .setter<&setReal<&Sprite::angle>>("angle=")
      .method<&getField<&Sprite::shearX>>("shear_x")
      .setter<&setReal<&Sprite::shearX>>("shear_x=")
      .method<&getField<&Sprite::shearY>>("shear_y")
      .setter<&setReal<&Sprite::shearY>>("shear_y=")
      .method<&getField<&Sprite::waveAmp>>("wave_amp")
      .setter<&spriteSetWaveAmp>("wave_amp=")
      .method<&getField<&Sprite::waveLength>>("wave_length")
      .setter<&setInt<&Sprite::waveLength>>("wave_length=")
      .method<&getField<&Sprite::waveSpeed>>("wave_speed")
      .setter<&setInt<&Sprite::waveSpeed>>("wave_speed=")
      .method<&getField<&Sprite::wavePhase>>("wave_phase")
      .setter<&setInt<&Sprite::wavePhase>>("wave_phase=")
      .method<&getField<&Sprite::mirror>>("mirror")
      .setter<&setBool<&Sprite::mirror>>("mirror=")
      .method<&getField<&Sprite::bushDepth>>("bush_depth")
      .setter<&setInt<&Sprite::bushDepth>>("bush_depth=")
      .method<&getField<&Sprite::bushOpacity>>("bush_opacity")
      .setter<&setByte<&Sprite::bushOpacity>>("bush_opacity=")
      .method<&getField<&Sprite::opacity>>("opacity")
      .setter<&setByte<&Sprite::opacity>>("opacity=")
      .method<&getField<&Sprite::blendType>>("blend_type")
      .setter<&setInt<&Sprite::blendType>>("blend_type=")
      .method<&hiddenVar<&kColorVar>>("color")
      .setter<&spriteSetColor>("color=")
      .method<&hiddenVar<&kToneVar>>("tone")
      .setter<&spriteSetTone>("tone=")
      .method<&spriteWidth>("width")
      .method<&spriteHeight>("height")
      .method<&spriteFlash>("flash")
      .method<&spriteUpdate>("update")
      .method<&spriteAddChild>("add_child")
      .method<&spriteRemoveChild>("remove_child")
      .method<&hiddenVar<&kParentVar>>("parent")
      .method<&hiddenVar<&kChildrenVar>>("children")
      .method<&spriteEffectName>("effect_name")
      .setter<&spriteSetEffectName>("effect_name=")
      .method<&clearEffectParams<Sprite>>("clear_effect_params")
      .method<&setEffectParam<Sprite>>("set_effect_param");
}

}  // namespace scene
