#include "scene/GeometryClass.h"

#include <array>
#include <string>

#include "bindings/Binding.h"
#include "bindings/Color.h"
#include "bitmap/Bitmap.h"
#include "scene/ClassArguments.h"
#include "scene/EffectParamBinding.h"
#include "scene/Geometry.h"
#include "scene/GeometryMath.h"
#include "scene/Viewport.h"

namespace scene {

namespace {

using bindings::api;
using bindings::Args;
using bindings::Self;
using engine::Value;

// Hidden instance variables (no at-sign) keeping the viewport and the texture's bitmap alive with the object.
constexpr const char* kViewportVar = "viewport";
constexpr const char* kBitmapVar = "bitmap";

void geometryInitialize(Self<Geometry> self, Args args) {
  args.require(0, 2);
  Viewport* viewport = args.count >= 1 ? viewportArgument(args[0]) : nullptr;
  const bool worldMode = args.count < 2 || args[1] == api().nil || args[1] == api().true_value;
  self->setup(viewport, worldMode);
  api().iv_set(self.value, kViewportVar, args.count >= 1 ? args[0] : api().nil);
  api().iv_set(self.value, kBitmapVar, api().nil);
  api().iv_set(self.value, kEffectBitmapsVar, api().ary_new());
}

Value geometryDispose(Value self) {
  if (Geometry* record = bindings::dataRecord<Geometry>(self)) record->dispose();
  return api().nil;
}

bool geometryDisposedP(Value self) {
  const Geometry* record = bindings::dataRecord<Geometry>(self);
  return record == nullptr || record->disposed();
}

Value geometryViewport(Self<Geometry> self) { return api().iv_get(self.value, kViewportVar); }

void geometrySetViewport(Self<Geometry> self, Value value) {
  Viewport* viewport = viewportArgument(value);
  self->attach(viewport);
  api().iv_set(self.value, kViewportVar, value);
}

bool geometryVisible(const Geometry& geometry) { return geometry.visible; }
void geometrySetVisible(Geometry& geometry, bool visible) { geometry.visible = visible; }
int geometryZ(const Geometry& geometry) { return static_cast<int>(geometry.z); }
void geometrySetZ(Geometry& geometry, int z) { geometry.z = z; }

Value geometryBitmap(Self<Geometry> self) { return api().iv_get(self.value, kBitmapVar); }

void geometrySetBitmap(Self<Geometry> self, Value value) {
  bitmap::Bitmap* image = bitmapArgument(value);
  api().iv_set(self.value, kBitmapVar, value);
  self->setTexture(image);
}

int triangleIndex(Value value) {
  const int triangle = bindings::toInt(value);
  if (Geometry::triangleOutOfRange(triangle)) {
    throw bindings::rangeError("triangle %d is beyond the %d triangles a Geometry holds", triangle,
                               kMaxGeometryTriangles);
  }
  return triangle;
}

Value geometrySetPointPosition(Geometry& geometry, Args args) {
  args.require(4, 6);
  const int triangle = triangleIndex(args[0]);
  const int corner = bindings::toInt(args[1]);
  const double x = bindings::toReal(args[2]);
  const double y = bindings::toReal(args[3]);
  const double z = args.count > 4 ? bindings::toReal(args[4]) : 0.5;
  const double w = args.count > 5 ? bindings::toReal(args[5]) : 1.0;
  geometry.setPointPosition(triangle, corner, static_cast<float>(x), static_cast<float>(y), static_cast<float>(z),
                            static_cast<float>(w));
  return api().nil;
}

Value geometrySetPointTexcoord(Geometry& geometry, Value triangle, int corner, double u, double v) {
  geometry.setPointTexcoord(triangleIndex(triangle), corner, static_cast<float>(u), static_cast<float>(v));
  return api().nil;
}

Value geometrySetPointColor(Geometry& geometry, Value triangle, int corner, const bindings::Color& colour) {
  geometry.setPointColor(triangleIndex(triangle), corner, colour);
  return api().nil;
}

Value geometrySetTransformMatrix(Geometry& geometry, Args args) {
  if (args.count != 16) throw bindings::arityError(16, args.count);
  std::array<float, 16> numbers{};
  for (int i = 0; i < 16; ++i) numbers[static_cast<std::size_t>(i)] = static_cast<float>(bindings::toReal(args[i]));
  geometry.setTransformMatrix(numbers);
  return api().nil;
}

Value geometryEffectName(const Geometry& geometry) { return bindings::newString(geometry.effectName); }

void geometrySetEffectName(Geometry& geometry, std::string_view name) { geometry.effectName = std::string(name); }

// An object allocated without initialize has no array for its effect bitmaps yet.
Value geometrySetEffectParam(Self<Geometry> self, std::string_view name, Value value) {
  if (api().iv_get(self.value, kEffectBitmapsVar) == api().nil) {
    api().iv_set(self.value, kEffectBitmapsVar, api().ary_new());
  }
  return setEffectParam<Geometry>(self, name, value);
}

}  // namespace

void defineGeometryClass() {
  bindings::adoptEngineClasses();
  bindings::ClassDef<Geometry> definition("Geometry");
  definition.disposedMessage("disposed geometry")
      .refuseCopy()
      .method<&geometryInitialize>("initialize")
      .method<&geometryDispose>("dispose")
      .method<&geometryDisposedP>("disposed?")
      .method<&geometryViewport>("viewport")
      .setter<&geometrySetViewport>("viewport=")
      .method<&geometryVisible>("visible")
      .setter<&geometrySetVisible>("visible=")
      .method<&geometryZ>("z")
      .setter<&geometrySetZ>("z=")
      .method<&geometryBitmap>("bitmap")
      .setter<&geometrySetBitmap>("bitmap=")
      .method<&geometrySetPointPosition>("set_point_position")
      .method<&geometrySetPointTexcoord>("set_point_texcoord")
      .method<&geometrySetPointColor>("set_point_color")
      .method<&geometrySetTransformMatrix>("set_transform_matrix")
      .method<&geometryEffectName>("effect_name")
      .setter<&geometrySetEffectName>("effect_name=")
      .method<&clearEffectParams<Geometry>>("clear_effect_params")
      .method<&geometrySetEffectParam>("set_effect_param");
}

}  // namespace scene
