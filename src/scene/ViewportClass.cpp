#include "scene/ViewportClass.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "bindings/Binding.h"
#include "bindings/Color.h"
#include "bindings/Tone.h"
#include "bitmap/Bitmap.h"
#include "bitmap/core/ImageCodec.h"
#include "engine/Engine.h"
#include "engine/FileLayer.h"
#include "platform/gfx/Device.h"
#include "platform/gfx/Texture.h"
#include "platform/window/Screen.h"
#include "render/Renderer.h"
#include "scene/DrawOrder.h"
#include "scene/EffectParamBinding.h"
#include "scene/SceneFrame.h"
#include "scene/Sprite.h"
#include "scene/Viewport.h"

namespace scene {

namespace {

using bindings::api;
using bindings::Args;
using bindings::Self;
using engine::Value;

constexpr const char* kRectVar = "rect";
constexpr const char* kColorVar = "color";
constexpr const char* kToneVar = "tone";

void viewportInitialize(Self<Viewport> self, Args args) {
  engine::RectData area{0, 0, windowing::g_screenWidth, windowing::g_screenHeight};
  if (args.count == 1) {
    bindings::checkKind(args[0], api().rect_class);
    area = *api().rect_data(args[0]);
  } else if (args.count == 4) {
    area = {bindings::toInt(args[0]), bindings::toInt(args[1]), bindings::toInt(args[2]), bindings::toInt(args[3])};
  } else if (args.count != 0) {
    throw bindings::typeError("wrong argument");
  }
  const Value rect = api().rect_new();
  *api().rect_data(rect) = area;
  api().iv_set(self.value, kRectVar, rect);
  self->rect = api().rect_data(rect);
  const Value color = bindings::newColor({});
  api().iv_set(self.value, kColorVar, color);
  self->color = &bindings::colorRecord(color);
  const Value tone = bindings::newTone({});
  api().iv_set(self.value, kToneVar, tone);
  self->tone = &bindings::toneRecord(tone);
  api().iv_set(self.value, kEffectBitmapsVar, api().ary_new());
  // The record's own storage is no longer pointed at.
  self->ownedRect.reset();
  self->ownedColor.reset();
  self->ownedTone.reset();
}

Value viewportDispose(Value self) {
  if (Viewport* record = bindings::dataRecord<Viewport>(self)) record->dispose();
  return api().nil;
}

bool viewportDisposedP(Value self) {
  const Viewport* record = bindings::dataRecord<Viewport>(self);
  return record == nullptr || record->disposed();
}

Value viewportFlash(Viewport& viewport, const bindings::Color& colour, int duration) {
  viewport.flash(&colour, duration);
  return api().nil;
}

Value viewportUpdate(Viewport& viewport) {
  viewport.update();
  return api().nil;
}

Value viewportRect(Self<Viewport> self) { return api().iv_get(self.value, kRectVar); }

void viewportSetRect(Self<Viewport> self, Value rect) {
  bindings::checkKind(rect, api().rect_class);
  self->rect = api().rect_data(rect);
  api().iv_set(self.value, kRectVar, rect);
}

bool viewportVisible(const Viewport& viewport) { return viewport.visible; }
void viewportSetVisible(Viewport& viewport, bool visible) { viewport.visible = visible; }
int viewportZ(const Viewport& viewport) { return static_cast<int>(viewport.z); }
void viewportSetZ(Viewport& viewport, int z) { viewport.z = z; }
int viewportOx(const Viewport& viewport) { return viewport.ox; }
void viewportSetOx(Viewport& viewport, int ox) { viewport.ox = ox; }
int viewportOy(const Viewport& viewport) { return viewport.oy; }
void viewportSetOy(Viewport& viewport, int oy) { viewport.oy = oy; }

Value viewportColor(Self<Viewport> self) { return api().iv_get(self.value, kColorVar); }
void viewportSetColor(Viewport& viewport, const bindings::Color& color) { *viewport.color = color; }
Value viewportTone(Self<Viewport> self) { return api().iv_get(self.value, kToneVar); }

void viewportSetTone(Self<Viewport> self, Value tone) {
  self->tone = &bindings::toneRecord(tone);
  api().iv_set(self.value, kToneVar, tone);
}

Value viewportEffectName(const Viewport& viewport) { return bindings::newString(viewport.effectName); }
void viewportSetEffectName(Viewport& viewport, std::string_view name) { viewport.effectName = std::string(name); }

int viewportAddFastLayer(Viewport& viewport, int z, int mode) {
  viewport.fastLayers[z] = mode;
  return z;
}

void viewportRemoveFastLayer(Viewport& viewport, int z) { viewport.fastLayers.erase(z); }

Value viewportClearFastLayers(Viewport& viewport) {
  viewport.fastLayers.clear();
  return api().nil;
}

// Renders the viewport's objects into its target now, outside the frame.
bool renderNow(Viewport& viewport) {
  render::Renderer* renderer = render::currentRenderer();
  if (renderer == nullptr || renderer->released()) return false;
  engine::settleCollector();
  // Outside the frame nothing has prepared, placed or ordered the objects yet.
  for (Sprite* object : viewport.drawList) object->prepareFrame();
  for (Sprite* object : viewport.drawList) {
    if (object->parent == nullptr) object->computeEffective();
  }
  viewport.drawList.sort();
  gfx::Device& device = renderer->device();
  gfx::Texture* previous = device.renderTarget(0);
  renderer->effect().beginTechnique();
  SceneFrame::renderViewport(*renderer, viewport);
  renderer->effect().endTechnique();
  device.setRenderTarget(0, previous);
  return viewport.target != nullptr;
}

// The target's pixels of `area`; parts outside the target stay transparent.
std::vector<bitmap::Pixel> readArea(const gfx::Texture& target, const engine::RectData& area) {
  std::vector<bitmap::Pixel> pixels(static_cast<std::size_t>(area.width) * static_cast<std::size_t>(area.height));
  const int left = std::max(area.x, 0);
  const int top = std::max(area.y, 0);
  const int right = static_cast<int>(std::min<long>(static_cast<long>(area.x) + area.width, target.width()));
  const int bottom = static_cast<int>(std::min<long>(static_cast<long>(area.y) + area.height, target.height()));
  if (left >= right || top >= bottom) return pixels;
  std::vector<bitmap::Pixel> inside(static_cast<std::size_t>(right - left) * static_cast<std::size_t>(bottom - top));
  if (!target.readPixels({left, top, right, bottom}, inside.data(), (right - left) * 4)) return pixels;
  for (int y = top; y < bottom; ++y) {
    std::copy_n(inside.begin() + static_cast<std::ptrdiff_t>(y - top) * (right - left), right - left,
                pixels.begin() + static_cast<std::ptrdiff_t>(y - area.y) * area.width + (left - area.x));
  }
  return pixels;
}

Value viewportSnapToBitmap(Viewport& viewport) {
  const engine::RectData area = viewport.rectangle();
  std::unique_ptr<bitmap::Bitmap> image = bitmap::createBitmap(area.width, area.height);
  if (!image) throw bindings::scriptError("failed to create bitmap of %d x %d", area.width, area.height);
  if (renderNow(viewport)) {
    const std::vector<bitmap::Pixel> pixels = readArea(*viewport.target, area);
    if (!image->adopt(bitmap::ConstPixelView(pixels.data(), area.width, area.height, area.width))) {
      throw bindings::scriptError("failed to create bitmap of %d x %d", area.width, area.height);
    }
  }
  bitmap::Bitmap* record = image.release();
  // wrapBitmap may raise: nothing with a destructor is alive in this frame by then.
  return bitmap::wrapBitmap(std::unique_ptr<bitmap::Bitmap>(record));
}

Value savePngNow(Viewport& viewport, std::string_view path) {
  if (!renderNow(viewport)) return api().nil;
  const gfx::Texture& target = *viewport.target;
  const engine::RectData whole{0, 0, target.width(), target.height()};
  const std::vector<bitmap::Pixel> pixels = readArea(target, whole);
  if (!bitmap::savePng(bitmap::ConstPixelView(pixels.data(), whole.width, whole.height, whole.width),
                       engine::FileLayer::instance().pathForWriting(path))) {
    std::fprintf(stderr, "[viewport] could not write %.*s\n", static_cast<int>(path.size()), path.data());
  }
  return api().nil;
}

void viewportSavePng(Viewport& viewport, std::string_view path) { savePngNow(viewport, path); }

}  // namespace

void defineViewportClass() {
  bindings::adoptEngineClasses();
  bindings::ClassDef<Viewport> definition("Viewport");
  definition.disposedMessage("disposed viewport")
      .refuseCopy()
      .method<&viewportInitialize>("initialize")
      .method<&viewportDispose>("dispose")
      .method<&viewportDisposedP>("disposed?")
      .method<&viewportFlash>("flash")
      .method<&viewportUpdate>("update")
      .method<&viewportRect>("rect")
      .setter<&viewportSetRect>("rect=")
      .method<&viewportVisible>("visible")
      .setter<&viewportSetVisible>("visible=")
      .method<&viewportZ>("z")
      .setter<&viewportSetZ>("z=")
      .method<&viewportOx>("ox")
      .setter<&viewportSetOx>("ox=")
      .method<&viewportOy>("oy")
      .setter<&viewportSetOy>("oy=")
      .method<&viewportColor>("color")
      .setter<&viewportSetColor>("color=")
      .method<&viewportTone>("tone")
      .setter<&viewportSetTone>("tone=")
      .method<&viewportEffectName>("effect_name")
      .setter<&viewportSetEffectName>("effect_name=")
      .method<&clearEffectParams<Viewport>>("clear_effect_params")
      .method<&setEffectParam<Viewport>>("set_effect_param")
      .setter<&viewportSavePng>("save_png")
      .method<&viewportSnapToBitmap>("snap_to_bitmap")
      .method<&viewportAddFastLayer>("add_fast_layer")
      .setter<&viewportRemoveFastLayer>("remove_fast_layer")
      .method<&viewportClearFastLayers>("clear_fast_layers");
}

}  // namespace scene
