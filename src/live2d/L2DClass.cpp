#include "live2d/L2DClass.h"

#include <cstdlib>
#include <string>
#include <type_traits>

#include "bindings/Binding.h"
#include "bindings/Color.h"
#include "bindings/Tone.h"
#include "live2d/L2D.h"
#include "live2d/LAppModel.h"
#include "platform/window/Screen.h"
#include "scene/ClassArguments.h"
#include "scene/EffectParamBinding.h"

namespace live2d {

namespace {

using bindings::api;
using bindings::Args;
using bindings::Self;
using engine::Value;

// Hidden instance variables (no at-sign) keeping what the record points at alive with the object.
constexpr const char* kViewportVar = "viewport";
constexpr const char* kColorVar = "color";
constexpr const char* kToneVar = "tone";

ModelPlacement screenPlacement(const L2D& object) {
  return object.placement(windowing::g_screenWidth, windowing::g_screenHeight);
}

// Raises unless the script passes a byte string; the view lives as long as the argument.
std::string_view textArgument(Value value) { return bindings::stringView(value); }

void l2dInitialize(Value self, Value dir, Value file) {
  L2D& object = bindings::liveRecord<L2D>(self);
  // A disposed record has left the L2D list; listed in a draw list again it would outlive its place there.
  if (object.disposed()) throw bindings::scriptError("disposed L2D");
  const std::string_view folder = textArgument(dir);
  const std::string_view name = textArgument(file);
  object.load(std::string(folder), std::string(name), windowing::g_screenWidth, windowing::g_screenHeight);
  api().iv_set(self, kViewportVar, api().nil);
  const Value color = bindings::newColor({});
  api().iv_set(self, kColorVar, color);
  object.color = &bindings::colorRecord(color);
  const Value tone = bindings::newTone({});
  api().iv_set(self, kToneVar, tone);
  object.tone = &bindings::toneRecord(tone);
  api().iv_set(self, scene::kEffectBitmapsVar, api().ary_new());
  object.attach(nullptr);
}

Value l2dDispose(L2D& object) {
  object.dispose();
  return api().nil;
}

bool l2dDisposedP(Value self) {
  const L2D* record = bindings::dataRecord<L2D>(self);
  return record == nullptr || record->disposed();
}

template <const char* const* Var>
Value hiddenVar(Self<L2D> self) {
  return api().iv_get(self.value, *Var);
}

void l2dSetViewport(Self<L2D> self, Value value) {
  scene::Viewport* viewport = scene::viewportArgument(value);
  self->attach(viewport);
  api().iv_set(self.value, kViewportVar, value);
}

template <auto Member>
auto getField(const L2D& object) {
  using T = std::remove_cvref_t<decltype(object.*Member)>;
  if constexpr (std::is_same_v<T, float>) {
    return static_cast<double>(object.*Member);
  } else if constexpr (std::is_same_v<T, bool>) {
    return object.*Member;
  } else {
    return static_cast<int>(object.*Member);  // z, stored as a double, reads back truncated
  }
}

template <auto Member>
void setInt(L2D& object, int value) {
  object.*Member = value;
}

template <auto Member>
void setZoom(L2D& object, double value) {
  object.*Member = storedZoom(value);
}

void l2dSetVisible(L2D& object, bool visible) { object.visible = visible; }
void l2dSetOpacity(L2D& object, bindings::Byte opacity) { object.opacity = opacity.value; }

void l2dSetColor(L2D& object, const bindings::Color& color) {
  if (object.color != nullptr) *object.color = color;
}

void l2dSetTone(Self<L2D> self, Value tone) {
  self->tone = &bindings::toneRecord(tone);
  api().iv_set(self.value, kToneVar, tone);
}

Value l2dLookat(L2D& object, int x, int y) {
  object.lookX = x;
  object.lookY = y;
  if (object.modelLoaded()) {
    const ViewPoint target = screenToView(screenPlacement(object), x, y);
    object.model()->setDragging(target.x, target.y);
  }
  return api().nil;
}

Value l2dSetExpression(Self<L2D> self, Value name) {
  const std::string_view text = textArgument(name);
  if (self->modelLoaded()) self->model()->setExpression(std::string(text));
  return name;
}

Value l2dSetRandomExpression(L2D& object) {
  if (object.modelLoaded()) object.model()->setRandomExpression();
  return api().nil;
}

int motionPriority(bool forced) { return forced ? kPriorityForce : kPriorityNormal; }

Value l2dSetMotion(L2D& object, Args args) {
  args.require(2, 3);
  const std::string_view group = textArgument(args[0]);
  const int index = bindings::toInt(args[1]);
  const bool forced = args.count == 3 && bindings::truth(args[2]);
  if (object.modelLoaded()) object.model()->startMotion(std::string(group), index, motionPriority(forced));
  return api().nil;
}

Value l2dSetRandomMotion(L2D& object, Args args) {
  args.require(1, 2);
  const std::string_view group = textArgument(args[0]);
  const bool forced = args.count == 2 && bindings::truth(args[1]);
  if (!object.modelLoaded()) return api().nil;
  const std::string name(group);
  const int count = object.model()->setting()->getMotionCount(name);
  if (count > 0) object.model()->startMotion(name, std::rand() % count, motionPriority(forced));
  return api().nil;
}

bool l2dHitTest(L2D& object, Value name, int x, int y) {
  const std::string_view area = textArgument(name);
  if (!object.modelLoaded()) return false;
  const ViewPoint point = screenToView(screenPlacement(object), x, y);
  return object.model()->hitTest(std::string(area), point.x, point.y);
}

double l2dGetParam(L2D& object, Value name) {
  const std::string_view text = textArgument(name);
  if (!object.modelLoaded()) return 0.0;
  return object.model()->getModel()->getParameterValue(object.parameterId(text));
}

// set_param and add_param: (name, value [, weight]); the value becomes the base the next update starts from.
template <bool Add>
Value changeParam(L2D& object, Args args) {
  args.require(2, 3);
  const std::string_view name = textArgument(args[0]);
  const auto value = static_cast<float>(bindings::toReal(args[1]));
  const auto weight = args.count == 3 ? static_cast<float>(bindings::toReal(args[2])) : 1.0f;
  if (object.modelLoaded()) {
    cubism::CubismModel& model = *object.model()->getModel();
    const cubism::CubismIdHandle id = object.parameterId(name);
    if constexpr (Add) {
      model.addParameterValue(id, value, weight);
    } else {
      model.setParameterValue(id, value, weight);
    }
    model.saveParameters();
  }
  return args[1];
}

Value l2dEffectName(const L2D& object) { return bindings::newString(object.effectName); }

void l2dSetEffectName(L2D& object, std::string_view name) { object.effectName = std::string(name); }

// An object allocated without initialize has no array for its effect bitmaps yet.
Value l2dSetEffectParam(Self<L2D> self, std::string_view name, Value value) {
  if (api().iv_get(self.value, scene::kEffectBitmapsVar) == api().nil) {
    api().iv_set(self.value, scene::kEffectBitmapsVar, api().ary_new());
  }
  return scene::setEffectParam<L2D>(self, name, value);
}

}  // namespace

void defineL2DClass() {
  bindings::adoptEngineClasses();
  bindings::ClassDef<L2D> definition("L2D");
  definition.disposedMessage("disposed L2D")
      .refuseCopy()
      .method<&l2dInitialize>("initialize")
      .method<&l2dDispose>("dispose")
      .method<&l2dDisposedP>("disposed?")
      .method<&hiddenVar<&kViewportVar>>("viewport")
      .setter<&l2dSetViewport>("viewport=")
      .method<&getField<&L2D::visible>>("visible")
      .setter<&l2dSetVisible>("visible=")
      .method<&getField<&L2D::modelX>>("x")
      .setter<&setInt<&L2D::modelX>>("x=")
      .method<&getField<&L2D::modelY>>("y")
      .setter<&setInt<&L2D::modelY>>("y=")
      .method<&getField<&L2D::z>>("z")
      .setter<&setInt<&L2D::z>>("z=")
      .method<&getField<&L2D::modelZoomX>>("zoom_x")
      .setter<&setZoom<&L2D::modelZoomX>>("zoom_x=")
      .method<&getField<&L2D::modelZoomY>>("zoom_y")
      .setter<&setZoom<&L2D::modelZoomY>>("zoom_y=")
      .method<&getField<&L2D::opacity>>("opacity")
      .setter<&l2dSetOpacity>("opacity=")
      .method<&getField<&L2D::blendType>>("blend_type")
      .setter<&setInt<&L2D::blendType>>("blend_type=")
      .method<&hiddenVar<&kColorVar>>("color")
      .setter<&l2dSetColor>("color=")
      .method<&hiddenVar<&kToneVar>>("tone")
      .setter<&l2dSetTone>("tone=")
      .method<&l2dLookat>("lookat")
      .method<&l2dSetExpression>("set_expression")
      .method<&l2dSetRandomExpression>("set_random_expression")
      .method<&l2dSetMotion>("set_motion")
      .method<&l2dSetRandomMotion>("set_random_motion")
      .method<&l2dHitTest>("hit_test")
      .method<&l2dGetParam>("get_param")
      .method<&changeParam<false>>("set_param")
      .method<&changeParam<true>>("add_param")
      .method<&l2dEffectName>("effect_name")
      .setter<&l2dSetEffectName>("effect_name=")
      .method<&scene::clearEffectParams<L2D>>("clear_effect_params")
      .method<&l2dSetEffectParam>("set_effect_param");
}

}  // namespace live2d
