#pragma once

// `clear_effect_params` and `set_effect_param`, shared by Sprite and Viewport: both records keep their custom
// effect's float and texture parameters by name.

#include <string>
#include <string_view>

#include "bindings/Binding.h"
#include "bitmap/Bitmap.h"
#include "engine/ScriptApi.h"

namespace scene {

// Hidden array of the Bitmaps a record's texture parameters point at, held so they cannot be freed under it.
inline constexpr const char* kEffectBitmapsVar = "effect_bitmaps";

// Float or Integer: the values a float parameter takes.
bool isEffectNumber(engine::Value value);

template <typename Record>
engine::Value clearEffectParams(bindings::Self<Record> self) {
  self->floatEffectParams.clear();
  self->textureEffectParams.clear();
  bindings::api().iv_set(self.value, kEffectBitmapsVar, bindings::api().ary_new());
  return bindings::api().nil;
}

// A Bitmap sets a texture parameter, a number a float one; anything else sets nothing and answers nil.
template <typename Record>
engine::Value setEffectParam(bindings::Self<Record> self, std::string_view name, engine::Value value) {
  engine::ScriptApi& api = bindings::api();
  if (api.obj_is_kind_of(value, bindings::ScriptClass<bitmap::Bitmap>::value)) {
    self->textureEffectParams[std::string(name)] = &bindings::liveRecord<bitmap::Bitmap>(value);
    api.ary_push(api.iv_get(self.value, kEffectBitmapsVar), value);
    return value;
  }
  if (isEffectNumber(value)) {
    self->floatEffectParams[std::string(name)] = static_cast<float>(bindings::toReal(value));
    return value;
  }
  return api.nil;
}

}  // namespace scene
