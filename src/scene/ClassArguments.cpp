#include "scene/ClassArguments.h"

#include "bindings/Binding.h"
#include "bitmap/Bitmap.h"
#include "scene/Viewport.h"

namespace scene {

using bindings::api;
using engine::Value;

Viewport* viewportArgument(Value value) {
  if (value == api().nil) return nullptr;
  const Value klass = bindings::ScriptClass<Viewport>::value;
  if (klass == 0) throw bindings::typeError("can't convert %s into Viewport", api().class_name(api().obj_class(value)));
  bindings::checkKind(value, klass);
  return &bindings::liveRecord<Viewport>(value);
}

bitmap::Bitmap* bitmapArgument(Value value) {
  if (value == api().nil) return nullptr;
  bindings::checkKind(value, bindings::ScriptClass<bitmap::Bitmap>::value);
  return &bindings::liveRecord<bitmap::Bitmap>(value);
}

}  // namespace scene
