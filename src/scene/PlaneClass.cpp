#include "scene/PlaneClass.h"

#include "bindings/Binding.h"
#include "bindings/Color.h"
#include "bindings/Tone.h"
#include "bitmap/Bitmap.h"
#include "scene/ClassArguments.h"
#include "scene/Plane.h"
#include "scene/Viewport.h"

namespace scene {

namespace {

using bindings::api;
using bindings::Args;
using bindings::Self;
using engine::Value;

// Hidden instance variables (no at-sign) keeping what the record points at alive with the plane.
constexpr const char* kViewportVar = "viewport";
constexpr const char* kBitmapVar = "bitmap";
constexpr const char* kColorVar = "color";
constexpr const char* kToneVar = "tone";

void planeInitialize(Self<Plane> self, Args args) {
  args.require(0, 1);
  Viewport* viewport = args.count == 1 ? viewportArgument(args[0]) : nullptr;
  const Value color = bindings::newColor({});
  const Value tone = bindings::newTone({});
  self->initialize(viewport);
  self->color = &bindings::colorRecord(color);
  self->tone = &bindings::toneRecord(tone);
  api().iv_set(self.value, kBitmapVar, api().nil);
  api().iv_set(self.value, kViewportVar, viewport != nullptr ? args[0] : api().nil);
  api().iv_set(self.value, kToneVar, tone);
  api().iv_set(self.value, kColorVar, color);
}

Value planeDispose(Value self) {
  if (Plane* record = bindings::dataRecord<Plane>(self)) record->dispose();
  return api().nil;
}

bool planeDisposedP(Value self) {
  const Plane* record = bindings::dataRecord<Plane>(self);
  return record == nullptr || record->disposed();
}

template <const char* const* Var>
Value hiddenVar(Self<Plane> self) {
  return api().iv_get(self.value, *Var);
}

void planeSetViewport(Self<Plane> self, Value value) {
  Viewport* viewport = viewportArgument(value);
  self->attach(viewport);
  api().iv_set(self.value, kViewportVar, value);
}

void planeSetBitmap(Self<Plane> self, Value value) {
  bitmap::Bitmap* image = bitmapArgument(value);
  api().iv_set(self.value, kBitmapVar, value);
  self->setBitmap(image, nullptr);
}

bool planeVisible(const Plane& plane) { return plane.visible; }
void planeSetVisible(Plane& plane, bool visible) { plane.visible = visible; }
int planeZ(const Plane& plane) { return static_cast<int>(plane.z); }
void planeSetZ(Plane& plane, int z) { plane.z = z; }
int planeOx(const Plane& plane) { return plane.planeOx; }
void planeSetOx(Plane& plane, int ox) { plane.planeOx = ox; }
int planeOy(const Plane& plane) { return plane.planeOy; }
void planeSetOy(Plane& plane, int oy) { plane.planeOy = oy; }
double planeZoomX(const Plane& plane) { return plane.planeZoomX; }
void planeSetZoomX(Plane& plane, double zoom) { plane.planeZoomX = static_cast<float>(zoom); }
double planeZoomY(const Plane& plane) { return plane.planeZoomY; }
void planeSetZoomY(Plane& plane, double zoom) { plane.planeZoomY = static_cast<float>(zoom); }
int planeOpacity(const Plane& plane) { return plane.opacity; }
void planeSetOpacity(Plane& plane, bindings::Byte opacity) { plane.opacity = opacity.value; }
int planeBlendType(const Plane& plane) { return plane.blendType; }
void planeSetBlendType(Plane& plane, int blendType) { plane.blendType = blendType; }

void planeSetColor(Plane& plane, const bindings::Color& color) {
  if (plane.color != nullptr) *plane.color = color;
}

void planeSetTone(Self<Plane> self, Value tone) {
  self->tone = &bindings::toneRecord(tone);
  api().iv_set(self.value, kToneVar, tone);
}

}  // namespace

void definePlaneClass() {
  bindings::adoptEngineClasses();
  bindings::ClassDef<Plane> definition("Plane");
  definition.disposedMessage("disposed plane")
      .refuseCopy()
      .method<&planeInitialize>("initialize")
      .method<&planeDispose>("dispose")
      .method<&planeDisposedP>("disposed?")
      .method<&hiddenVar<&kViewportVar>>("viewport")
      .setter<&planeSetViewport>("viewport=")
      .method<&hiddenVar<&kBitmapVar>>("bitmap")
      .setter<&planeSetBitmap>("bitmap=")
      .method<&planeVisible>("visible")
      .setter<&planeSetVisible>("visible=")
      .method<&planeZ>("z")
      .setter<&planeSetZ>("z=")
      .method<&planeOx>("ox")
      .setter<&planeSetOx>("ox=")
      .method<&planeOy>("oy")
      .setter<&planeSetOy>("oy=")
      .method<&planeZoomX>("zoom_x")
      .setter<&planeSetZoomX>("zoom_x=")
      .method<&planeZoomY>("zoom_y")
      .setter<&planeSetZoomY>("zoom_y=")
      .method<&planeOpacity>("opacity")
      .setter<&planeSetOpacity>("opacity=")
      .method<&planeBlendType>("blend_type")
      .setter<&planeSetBlendType>("blend_type=")
      .method<&hiddenVar<&kColorVar>>("color")
      .setter<&planeSetColor>("color=")
      .method<&hiddenVar<&kToneVar>>("tone")
      .setter<&planeSetTone>("tone=");
}

}  // namespace scene
