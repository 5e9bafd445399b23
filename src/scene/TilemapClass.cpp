#include "scene/TilemapClass.h"

#include <array>
#include <cstdlib>

#include "bindings/Binding.h"
#include "bitmap/Bitmap.h"
#include "scene/ClassArguments.h"
#include "scene/Tilemap.h"
#include "scene/Viewport.h"

namespace scene {

namespace {

using bindings::api;
using bindings::Args;
using bindings::Self;
using engine::Value;

// Hidden instance variables (no at-sign: scripts cannot name them) holding what the record reads or points at.
constexpr const char* kBitmapsVar = "bitmaps";
constexpr const char* kMapDataVar = "mapdata";
constexpr const char* kFlashDataVar = "flashdata";
constexpr const char* kFlagsVar = "flags";
constexpr const char* kViewportVar = "viewport";
// The Bitmaps the layers point at since the last update, kept alive even when the script replaces an entry of
// `bitmaps` before the frame is drawn.
constexpr const char* kUsedBitmapsVar = "usedbitmaps";

// The table data of an engine Table of `dimensions` dimensions; `type_error` for another class, "wrong argument"
// for another shape.
engine::TableData& tableArgument(Value value, int dimensions) {
  bindings::checkKind(value, api().table_class);
  engine::TableData* table = api().table_data(value);
  // The dimension count is negated while the table carries its changed mark.
  if (table == nullptr || std::abs(table->dimensions) != dimensions) throw bindings::scriptError("wrong argument");
  return *table;
}

void tilemapInitialize(Self<Tilemap> self, Args args) {
  args.require(0, 1);
  Viewport* viewport = args.count == 1 ? viewportArgument(args[0]) : nullptr;
  self->initialize(viewport);
  api().iv_set(self.value, kViewportVar, viewport != nullptr ? args[0] : api().nil);
  api().iv_set(self.value, kBitmapsVar, api().ary_new_capa(tiles::kTileBitmapCount));
  api().iv_set(self.value, kMapDataVar, api().nil);
  api().iv_set(self.value, kFlashDataVar, api().nil);
  api().iv_set(self.value, kFlagsVar, api().nil);
  api().iv_set(self.value, kUsedBitmapsVar, api().nil);
}

Value tilemapDispose(Value self) {
  Tilemap* record = bindings::dataRecord<Tilemap>(self);
  if (record != nullptr) record->dispose();
  return api().nil;
}

bool tilemapDisposedP(Value self) {
  const Tilemap* record = bindings::dataRecord<Tilemap>(self);
  return record == nullptr || record->disposed();
}

// Entry `index` of the bitmaps array; nil past its end.
Value bitmapEntry(Value list, long index) {
  if (list == api().nil || index >= api().ary_length(list)) return api().nil;
  return api().ary_entry(list, index);
}

// Takes the nine tile-set images into the layers. All are checked before any is stored, so a bad entry leaves the
// layers drawing what they drew.
void takeBitmaps(Self<Tilemap> self) {
  const Value list = api().iv_get(self.value, kBitmapsVar);
  if (list != api().nil) api().check_type(list, engine::kTypeArray);
  const Value bitmapClass = bindings::ScriptClass<bitmap::Bitmap>::value;
  std::array<bitmap::Bitmap*, tiles::kTileBitmapCount> images{};
  for (std::size_t i = 0; i < images.size(); ++i) {
    const Value entry = bitmapEntry(list, static_cast<long>(i));
    if (bitmapClass == 0 || !api().obj_is_kind_of(entry, bitmapClass)) {
      throw bindings::typeError("can't convert %s into Bitmap (bitmaps[%zu])", api().class_name(api().class_of(entry)),
                                i);
    }
    images[i] = &bindings::liveRecord<bitmap::Bitmap>(entry);
  }
  self->setBitmaps(images);
  // Most frames hand over the same nine objects; only a change needs a new keep-alive array.
  const Value used = api().iv_get(self.value, kUsedBitmapsVar);
  bool same = used != api().nil;
  for (std::size_t i = 0; same && i < images.size(); ++i) {
    same = api().ary_entry(used, static_cast<long>(i)) == bitmapEntry(list, static_cast<long>(i));
  }
  if (same) return;
  const Value kept = api().ary_new_capa(tiles::kTileBitmapCount);
  for (std::size_t i = 0; i < images.size(); ++i) api().ary_push(kept, bitmapEntry(list, static_cast<long>(i)));
  api().iv_set(self.value, kUsedBitmapsVar, kept);
}

engine::TableData* tableOf(Value table) { return table == api().nil ? nullptr : api().table_data(table); }

Value tilemapUpdate(Self<Tilemap> self) {
  takeBitmaps(self);
  self->update(tableOf(api().iv_get(self.value, kMapDataVar)), tableOf(api().iv_get(self.value, kFlashDataVar)));
  return api().nil;
}

void tilemapSetViewport(Self<Tilemap> self, Value value) {
  Viewport* viewport = viewportArgument(value);
  self->setViewport(viewport);
  api().iv_set(self.value, kViewportVar, value);
}

void tilemapSetMapData(Self<Tilemap> self, Value value) {
  engine::TableData& table = tableArgument(value, 3);
  if (table.zsize != 4) throw bindings::scriptError("wrong argument");
  if (value != api().iv_get(self.value, kMapDataVar)) self->dirty = true;
  api().iv_set(self.value, kMapDataVar, value);
}

void tilemapSetFlashData(Self<Tilemap> self, Value value) {
  if (value != api().nil) tableArgument(value, 2);
  if (value != api().iv_get(self.value, kFlashDataVar)) self->dirty = true;
  api().iv_set(self.value, kFlashDataVar, value);
}

void tilemapSetFlags(Self<Tilemap> self, Value value) {
  self->setFlags(tableArgument(value, 1));
  api().iv_set(self.value, kFlagsVar, value);
}

template <const char* const* Var>
Value hiddenVar(Self<Tilemap> self) {
  return api().iv_get(self.value, *Var);
}

bool tilemapVisible(const Tilemap& tilemap) { return tilemap.visible(); }
void tilemapSetVisible(Tilemap& tilemap, bool visible) { tilemap.setVisible(visible); }
int tilemapOx(const Tilemap& tilemap) { return tilemap.ox(); }
void tilemapSetOx(Tilemap& tilemap, int ox) { tilemap.setOx(ox); }
int tilemapOy(const Tilemap& tilemap) { return tilemap.oy(); }
void tilemapSetOy(Tilemap& tilemap, int oy) { tilemap.setOy(oy); }
double tilemapZoomX(const Tilemap& tilemap) { return tilemap.zoomX(); }
void tilemapSetZoomX(Tilemap& tilemap, double zoom) { tilemap.setZoomX(zoom); }
double tilemapZoomY(const Tilemap& tilemap) { return tilemap.zoomY(); }
void tilemapSetZoomY(Tilemap& tilemap, double zoom) { tilemap.setZoomY(zoom); }

}  // namespace

void defineTilemapClass() {
  bindings::adoptEngineClasses();
  bindings::ClassDef<Tilemap> definition("Tilemap");
  definition.disposedMessage("disposed Tilemap")
      .refuseCopy()
      .method<&tilemapInitialize>("initialize")
      .method<&tilemapDispose>("dispose")
      .method<&tilemapDisposedP>("disposed?")
      .method<&tilemapUpdate>("update")
      .method<&hiddenVar<&kBitmapsVar>>("bitmaps")
      .method<&hiddenVar<&kViewportVar>>("viewport")
      .setter<&tilemapSetViewport>("viewport=")
      .method<&hiddenVar<&kMapDataVar>>("map_data")
      .setter<&tilemapSetMapData>("map_data=")
      .method<&hiddenVar<&kFlashDataVar>>("flash_data")
      .setter<&tilemapSetFlashData>("flash_data=")
      .method<&hiddenVar<&kFlagsVar>>("flags")
      .setter<&tilemapSetFlags>("flags=")
      .method<&tilemapVisible>("visible")
      .setter<&tilemapSetVisible>("visible=")
      .method<&tilemapOx>("ox")
      .setter<&tilemapSetOx>("ox=")
      .method<&tilemapOy>("oy")
      .setter<&tilemapSetOy>("oy=")
      .method<&tilemapZoomX>("zoom_x")
      .setter<&tilemapSetZoomX>("zoom_x=")
      .method<&tilemapZoomY>("zoom_y")
      .setter<&tilemapSetZoomY>("zoom_y=");
}

}  // namespace scene
