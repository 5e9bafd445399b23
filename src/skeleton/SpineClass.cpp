#include "skeleton/SpineClass.h"

#include <cstdio>
#include <string>
#include <string_view>

#include "bindings/Binding.h"
#include "bitmap/Bitmap.h"
#include "scene/ClassArguments.h"
#include "skeleton/Spine.h"
#include "skeleton/SpineEvents.h"

namespace skeleton {

namespace {

using bindings::api;
using bindings::Args;
using bindings::Self;
using engine::Value;

// Hidden instance variable (no at-sign) keeping the viewport alive with the object.
constexpr const char* kViewportVar = "viewport";

// A page image that failed, kept in plain storage so that raising its error leaves nothing to destroy.
struct PageFailure {
  bitmap::LoadFailure failure = bitmap::LoadFailure::None;
  char path[1024] = {};
};

void initializeBody(int argc, const Value* argv, Value self, PageFailure& page) {
  Args args{argc, argv};
  args.require(2, 3);
  Spine& record = bindings::liveRecord<Spine>(self);
  scene::Viewport* viewport = args.count == 3 ? scene::viewportArgument(args[2]) : nullptr;
  record.initialize(viewport);
  api().iv_set(self, kViewportVar, args.count == 3 ? args[2] : api().nil);
  const std::string_view atlasPath = bindings::stringView(args[0]);
  const std::string_view skeletonPath = bindings::stringView(args[1]);
  LoadResult result = LoadResult::Loaded;
  try {
    result = record.load(atlasPath, skeletonPath);
  } catch (const PageLoadError& error) {
    page.failure = error.failure;
    std::snprintf(page.path, sizeof(page.path), "%s", error.path.c_str());
    return;
  }
  if (result == LoadResult::Loaded) return;
  const std::string_view path = result == LoadResult::AtlasFailed ? atlasPath : skeletonPath;
  // The path is text, never a format: a '%' in a file name is shown as it is.
  throw bindings::scriptError("%s%.*s", loadErrorPrefix(result), static_cast<int>(path.size()), path.data());
}

Value spineInitialize(int argc, const Value* argv, Value self) {
  bindings::detail::forgetStalePoison();
  PageFailure page;
  auto run = [&] { initializeBody(argc, argv, self, page); };
  if (!bindings::detail::guarded(run)) bindings::detail::raisePending();
  if (page.failure != bitmap::LoadFailure::None) bitmap::raiseLoadFailure(page.failure, page.path);
  return self;
}

Value spineDispose(Value self) {
  if (Spine* record = bindings::dataRecord<Spine>(self)) record->dispose();
  return api().nil;
}

bool spineDisposedP(Value self) {
  const Spine* record = bindings::dataRecord<Spine>(self);
  return record == nullptr || record->disposed();
}

bool spineVisible(const Spine& spine) { return spine.visible; }
void spineSetVisible(Spine& spine, bool visible) { spine.visible = visible; }

Value spineViewport(Self<Spine> self) { return api().iv_get(self.value, kViewportVar); }

void spineSetViewport(Self<Spine> self, Value value) {
  scene::Viewport* viewport = scene::viewportArgument(value);
  self->attach(viewport);
  api().iv_set(self.value, kViewportVar, value);
}

int spineX(const Spine& spine) { return spine.positionX(); }
int spineY(const Spine& spine) { return spine.positionY(); }
int spineZ(const Spine& spine) { return static_cast<int>(spine.z); }
void spineSetX(Spine& spine, int x) { spine.setPosition(x, spine.positionY()); }
void spineSetY(Spine& spine, int y) { spine.setPosition(spine.positionX(), y); }
void spineSetZ(Spine& spine, int z) { spine.z = z; }

double spineZoomX(const Spine& spine) { return spine.skeletonZoomX(); }
double spineZoomY(const Spine& spine) { return spine.skeletonZoomY(); }
void spineSetZoomX(Spine& spine, double zoom) {
  spine.setSkeletonZoom(static_cast<float>(zoom), spine.skeletonZoomY());
}
void spineSetZoomY(Spine& spine, double zoom) {
  spine.setSkeletonZoom(spine.skeletonZoomX(), static_cast<float>(zoom));
}

int spineOpacity(const Spine& spine) { return spine.skeletonOpacity(); }
void spineSetOpacity(Spine& spine, int opacity) { spine.setSkeletonOpacity(opacity); }

void spineUpdate(Spine& spine) { spine.step(); }

void spineSetAnimation(Spine& spine, Args args) {
  args.require(2, 3);
  const int track = bindings::toInt(args[0]);
  const std::string_view name = bindings::stringView(args[1]);
  const bool loop = args.count == 2 || bindings::truth(args[2]);
  spine.setAnimation(track, name, loop);
}

void spineSetAnimationAlpha(Spine& spine, int track, double alpha) {
  spine.setAnimationAlpha(track, static_cast<float>(alpha));
}

void spineClearAnimation(Spine& spine, int track) { spine.clearAnimation(track); }

void spineSetSkin(Spine& spine, Value names) { spine.setSkin(bindings::stringList(names)); }

void spineSetBonePosition(Spine& spine, std::string_view bone, double x, double y) {
  spine.setBonePosition(bone, static_cast<float>(x), static_cast<float>(y));
}

bool spineGetEventTriggered(Spine& spine, Args args) {
  args.require(2, 3);
  const int track = bindings::toInt(args[0]);
  const std::string_view name = bindings::stringView(args[1]);
  const bool keep = args.count == 3 && bindings::truth(args[2]);
  return eventTable().takeTriggered(name, track, spine.eventOwner(), keep);
}

int spineGetEventIntData(Spine& spine, int track, std::string_view name) {
  const EventRecord* entry = eventTable().find(name, track, spine.eventOwner());
  return entry != nullptr ? entry->intData : 0;
}

double spineGetEventFloatData(Spine& spine, int track, std::string_view name) {
  const EventRecord* entry = eventTable().find(name, track, spine.eventOwner());
  return entry != nullptr ? entry->floatData : 0.0;
}

Value spineGetEventStringData(Spine& spine, int track, std::string_view name) {
  const EventRecord* entry = eventTable().find(name, track, spine.eventOwner());
  return bindings::newString(entry != nullptr ? std::string_view(entry->stringData) : std::string_view());
}

double spineMixTimeGet(Value) { return spineMixTime(); }

Value spineMixTimeSet(Value, Value seconds) {
  setSpineMixTime(static_cast<float>(api().num2dbl(seconds)));
  return seconds;
}

}  // namespace

void defineSpineClass() {
  bindings::adoptEngineClasses();
  bindings::ClassDef<Spine> definition("Spine");
  definition.disposedMessage("disposed spine")
      .refuseCopy()
      .method<&spineDispose>("dispose")
      .method<&spineDisposedP>("disposed?")
      .method<&spineVisible>("visible")
      .setter<&spineSetVisible>("visible=")
      .method<&spineViewport>("viewport")
      .setter<&spineSetViewport>("viewport=")
      .method<&spineX>("x")
      .method<&spineY>("y")
      .method<&spineZ>("z")
      .setter<&spineSetX>("x=")
      .setter<&spineSetY>("y=")
      .setter<&spineSetZ>("z=")
      .method<&spineZoomX>("zoom_x")
      .method<&spineZoomY>("zoom_y")
      .setter<&spineSetZoomX>("zoom_x=")
      .setter<&spineSetZoomY>("zoom_y=")
      .method<&spineOpacity>("opacity")
      .setter<&spineSetOpacity>("opacity=")
      .method<&spineUpdate>("update")
      .method<&spineSetAnimation>("set_animation")
      .method<&spineSetAnimationAlpha>("set_animation_alpha")
      .method<&spineClearAnimation>("clear_animation")
      .method<&spineSetSkin>("set_skin")
      .method<&spineSetBonePosition>("set_bone_position")
      .method<&spineGetEventTriggered>("get_event_triggered")
      .method<&spineGetEventIntData>("get_event_int_data")
      .method<&spineGetEventFloatData>("get_event_float_data")
      .method<&spineGetEventStringData>("get_event_string_data")
      .classMethod<&spineMixTimeGet>("mix_time")
      .classMethod<&spineMixTimeSet>("mix_time=");
  api().define_method(definition.klass(), "initialize", reinterpret_cast<engine::AnyMethod>(&spineInitialize), -1);
}

}  // namespace skeleton
