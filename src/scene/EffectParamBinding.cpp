#include "scene/EffectParamBinding.h"

namespace scene {

bool isEffectNumber(engine::Value value) {
  engine::ScriptApi& api = bindings::api();
  static const engine::Value floatClass = api.eval_string("Float");
  static const engine::Value integerClass = api.eval_string("Integer");
  return api.obj_is_kind_of(value, floatClass) || api.obj_is_kind_of(value, integerClass);
}

}  // namespace scene
