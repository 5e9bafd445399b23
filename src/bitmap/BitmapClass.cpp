// The Bitmap script class: creation, copies, disposal and the pixel methods. Text methods are in
// BitmapText.cpp.

#include <cerrno>

#include "bindings/ColorArray.h"
#include "bitmap/Font.h"
#include "bitmap/core/Filters.h"
#include "bitmap/core/ImageCodec.h"
#include "bitmap/private/BitmapArgs.h"
#include "engine/FileLayer.h"
#include "platform/gfx/Texture.h"

namespace bitmap {

namespace {

using bindings::api;
using bindings::Args;
using bindings::Color;
using bindings::Self;
using engine::Value;

Value bitmapClass() { return bindings::ScriptClass<Bitmap>::value; }

void giveDefaultFont(Value object, Bitmap& record) {
  Value font = newDefaultFont();
  api().iv_set(object, kFontVariable, font);
  record.font = &bindings::liveRecord<Font>(font);
}

// Creation from a size or an image file. A file that is found nowhere is reported through `failure`, so that
// the system error is raised once this frame is gone.
void initializeBody(int argc, const Value* argv, Value self, LoadFailure& failure) {
  Args args{argc, argv};
  args.require(1, 2);
  Bitmap& record = bindings::liveRecord<Bitmap>(self);
  if (record.locked()) throw bindings::scriptError("bitmap is locked by process_color");
  if (args.count == 2) {
    const int width = bindings::toInt(args[0]);
    const int height = bindings::toInt(args[1]);
    if (!record.create(width, height)) throw bindings::scriptError("failed to create bitmap of %d x %d", width, height);
  } else {
    const std::string_view name = bindings::stringView(args[0]);
    std::unique_ptr<Bitmap> loaded = loadImage(name, &failure);
    if (!loaded) return;
    if (!record.adopt(std::move(*loaded))) failure = LoadFailure::TooLarge;
    if (failure != LoadFailure::None) return;
  }
  giveDefaultFont(self, record);
}

Value bitmapInitialize(int argc, const Value* argv, Value self) {
  bindings::detail::forgetStalePoison();
  LoadFailure failure = LoadFailure::None;
  auto run = [&] { initializeBody(argc, argv, self, failure); };
  if (!bindings::detail::guarded(run)) bindings::detail::raisePending();
  if (failure != LoadFailure::None) raiseLoadFailure(failure, api().string_ptr(argv[0]));
  return api().nil;
}

// Copies the pixels; the font object is shared with the source, not copied.
Value bitmapInitializeCopy(Value self, Value source) {
  if (source == self) return self;
  api().check_frozen(self);
  if (!api().obj_is_instance_of(source, api().obj_class(self))) throw bindings::typeError("wrong argument class");
  Bitmap& to = bindings::liveRecord<Bitmap>(self);
  Bitmap& from = bindings::liveRecord<Bitmap>(source);
  if (from.disposed()) throw bindings::scriptError("disposed bitmap");
  withPixels(from);
  if (!to.adopt(from.pixels())) {
    throw bindings::scriptError("failed to create bitmap of %d x %d", from.width(), from.height());
  }
  api().iv_set(self, kFontVariable, api().iv_get(source, kFontVariable));
  to.font = from.font;
  return self;
}

void bitmapDispose(Value self) { bindings::liveRecord<Bitmap>(self).dispose(); }

bool bitmapDisposed(Value self) { return bindings::liveRecord<Bitmap>(self).disposed(); }

int bitmapWidth(const Bitmap& record) { return record.width(); }

int bitmapHeight(const Bitmap& record) { return record.height(); }

Value bitmapRect(const Bitmap& record) { return newRect({0, 0, record.width(), record.height()}); }

Corners cornersOf(const PixelRect& rect) {
  return {rect.x, rect.y, 0LL + rect.x + rect.width, 0LL + rect.y + rect.height};
}

void bitmapBlt(Bitmap& record, Args args) {
  args.require(4, 5);
  const int x = bindings::toInt(args[0]);
  const int y = bindings::toInt(args[1]);
  Bitmap& source = bitmapArg(args[2]);
  const PixelRect from = rectArg(args[3]);
  const int opacity = args.count == 5 ? bindings::toInt(args[4]) : 255;
  blit(withPixels(record), cornersOf({x, y, from.width, from.height}), source, cornersOf(from), opacity);
}

void bitmapStretchBlt(Bitmap& record, Args args) {
  args.require(3, 4);
  const PixelRect to = rectArg(args[0]);
  Bitmap& source = bitmapArg(args[1]);
  const PixelRect from = rectArg(args[2]);
  const int opacity = args.count == 4 ? bindings::toInt(args[3]) : 255;
  blit(withPixels(record), cornersOf(to), source, cornersOf(from), opacity);
}

// (rect, ...) or (x, y, width, height, ...): `extra` arguments follow the rectangle, of which `optional` may be
// left out. Returns the index of the first argument after the rectangle.
int rectForm(const Args& args, int extra, int optional, PixelRect& rect) {
  const int shortMin = 1 + extra - optional;
  const int longMin = 4 + extra - optional;
  if (args.count >= shortMin && args.count <= 1 + extra) {
    rect = rectArg(args[0]);
    return 1;
  }
  if (args.count >= longMin && args.count <= 4 + extra) {
    rect = rectFromInts(args, 0);
    return 4;
  }
  if (args.count < shortMin) throw bindings::arityError(shortMin, args.count);
  // Between the two forms the nearer one is named, the shorter on a tie.
  if (args.count < longMin) {
    const bool nearerShort = args.count - (1 + extra) <= longMin - args.count;
    throw bindings::arityError(nearerShort ? 1 + extra : longMin, args.count);
  }
  throw bindings::arityError(4 + extra, args.count);
}

void bitmapFillRect(Bitmap& record, Args args) {
  PixelRect rect;
  const int next = rectForm(args, 1, 0, rect);
  const Pixel colour = pixelOf(bindings::colorRecord(args[next]));
  LockGuard lock(withPixels(record), rect);
  fillRect(lock.view(), rect, colour);
}

void bitmapGradientFillRect(Bitmap& record, Args args) {
  PixelRect rect;
  const int next = rectForm(args, 3, 1, rect);
  const Pixel first = pixelOf(bindings::colorRecord(args[next]));
  const Pixel last = pixelOf(bindings::colorRecord(args[next + 1]));
  const bool vertical = args.count > next + 2 && bindings::truth(args[next + 2]);
  LockGuard lock(withPixels(record), rect);
  gradientFillRect(lock.view(), rect, first, last, vertical);
}

void bitmapClear(Bitmap& record) {
  LockGuard lock(withPixels(record), {0, 0, record.width(), record.height()});
  clear(lock.view());
}

void bitmapClearRect(Bitmap& record, Args args) {
  PixelRect rect;
  rectForm(args, 0, 0, rect);
  LockGuard lock(withPixels(record), rect);
  clearRect(lock.view(), rect);
}

Value bitmapGetPixel(Bitmap& record, int x, int y) {
  const Pixel pixel = getPixel(withPixels(record).pixels(), x, y);
  return bindings::newColor(colourOf(pixel));
}

void bitmapSetPixel(Bitmap& record, int x, int y, const Color& colour) {
  withPixels(record);
  const PixelRect at{std::clamp(x, 0, record.width() - 1), std::clamp(y, 0, record.height() - 1), 1, 1};
  LockGuard lock(record, at);
  setPixel(lock.view(), x, y, pixelOf(colour));
}

void bitmapHueChange(Bitmap& record, int degrees) {
  LockGuard lock(withPixels(record), {0, 0, record.width(), record.height()});
  hueChange(lock.view(), degrees);
}

void bitmapBlur(Bitmap& record) {
  LockGuard lock(withPixels(record), {0, 0, record.width(), record.height()});
  if (!blur(lock.view())) throw std::bad_alloc();
}

void bitmapRadialBlur(Bitmap& record, int angle, int division) {
  LockGuard lock(withPixels(record), {0, 0, record.width(), record.height()});
  radialBlur(lock.view(), angle, division);
}

Value bitmapFont(Self<Bitmap> self) { return api().iv_get(self.value, kFontVariable); }

// A copy of the argument becomes the bitmap's font, so later changes to the argument do not reach it.
Value bitmapSetFont(Self<Bitmap> self, Value font) {
  bindings::checkKind(font, bindings::ScriptClass<Font>::value);
  Value copy = copyFont(font);
  api().iv_set(self.value, kFontVariable, copy);
  self->font = &bindings::liveRecord<Font>(copy);
  return copy;
}

// Failures reach no script; the log line says what happened.
Value bitmapSavePng(Bitmap& record, Value path) {
  const std::string file = engine::FileLayer::instance().pathForWriting(bindings::stringView(path));
  if (!savePng(withPixels(record).pixels(), file)) std::fprintf(stderr, "[bitmap] save_png %s: failed\n", file.c_str());
  return path;
}

// The block gets the pixels themselves; they stay locked (and the bitmap alive, even through dispose) until it
// returns, and the array and its colours refuse to touch them afterwards.
Value bitmapProcessColor(Value self) {
  bindings::detail::forgetStalePoison();
  if (!api().block_given()) return api().enumeratorize(self, api().id2sym(api().this_method()), 0, nullptr);
  Bitmap* record = nullptr;
  Pixel* pixels = nullptr;
  auto begin = [&] {
    record = &withPixels(bindings::selfRecord<Bitmap>(self));
    pixels = record->lockAll().data;
    if (pixels == nullptr) throw bindings::scriptError("uninitialized bitmap");
  };
  if (!bindings::detail::guarded(begin)) bindings::detail::raisePending();
  int state = 0;
  const long count = static_cast<long>(record->width()) * record->height();
  bindings::yieldColorArray(reinterpret_cast<Color*>(pixels), count, &state);
  record->unlock();
  if (state != 0) api().jump_tag(state);
  return api().nil;
}

void bitmapChangeTone(Value, Args) {}

}  // namespace

Value wrapBitmap(std::unique_ptr<Bitmap> record) {
  Value object = bindings::newRecordObject<Bitmap>(bitmapClass());
  Bitmap& own = bindings::liveRecord<Bitmap>(object);
  if (!own.adopt(std::move(*record))) throw bindings::scriptError("cannot wrap a bitmap without pixels");
  record.reset();
  giveDefaultFont(object, own);
  return object;
}

Value wrapTexture(gfx::Texture* texture) {
  std::unique_ptr<gfx::Texture> owned(texture);
  auto record = std::make_unique<Bitmap>();
  if (!record->adopt(std::move(owned))) throw bindings::scriptError("cannot wrap a texture without pixels");
  return wrapBitmap(std::move(record));
}

void raiseLoadFailure(LoadFailure failure, const char* name) {
  bindings::detail::prepareToRaise();
  if (failure == LoadFailure::NotFound) {
    *api().errno_location() = ENOENT;
    api().sys_fail(name);
  }
  api().raise(api().script_error, "failed to create bitmap \n%s", name);
  std::abort();  // raise does not return
}

void defineBitmapClass() {
  bindings::adoptEngineClasses();
  bindings::ClassDef<Bitmap> definition("Bitmap");
  definition.disposedMessage("disposed bitmap")
      .method<&bitmapInitializeCopy>("initialize_copy")
      .method<&bitmapDispose>("dispose")
      .method<&bitmapDisposed>("disposed?")
      .method<&bitmapWidth>("width")
      .method<&bitmapHeight>("height")
      .method<&bitmapRect>("rect")
      .method<&bitmapBlt>("blt")
      .method<&bitmapStretchBlt>("stretch_blt")
      .method<&bitmapFillRect>("fill_rect")
      .method<&bitmapGradientFillRect>("gradient_fill_rect")
      .method<&bitmapClear>("clear")
      .method<&bitmapClearRect>("clear_rect")
      .method<&bitmapGetPixel>("get_pixel")
      .method<&bitmapSetPixel>("set_pixel")
      .method<&bitmapHueChange>("hue_change")
      .method<&bitmapBlur>("blur")
      .method<&bitmapRadialBlur>("radial_blur")
      .method<&bitmapFont>("font")
      .method<&bitmapSetFont>("font=")
      .method<&bitmapSavePng>("save_png")
      .method<&bitmapChangeTone>("change_tone");
  const Value klass = definition.klass();
  api().define_method(klass, "initialize", reinterpret_cast<engine::AnyMethod>(&bitmapInitialize), -1);
  api().define_method(klass, "process_color", reinterpret_cast<engine::AnyMethod>(&bitmapProcessColor), 0);
  defineBitmapTextMethods(klass);
}

}  // namespace bitmap
