#include "scene/WindowClass.h"

#include <cstdint>
#include <memory>

#include "bindings/Binding.h"
#include "bindings/Tone.h"
#include "bitmap/Bitmap.h"
#include "bitmap/Font.h"
#include "scene/ClassArguments.h"
#include "scene/Viewport.h"
#include "scene/Window.h"

namespace scene {

namespace {

using bindings::api;
using bindings::Args;
using bindings::Self;
using engine::Value;

// Hidden instance variables (no at-sign: scripts cannot name them) that keep the objects the record points at
// alive for as long as the window is.
constexpr const char* kSkinVar = "wndskin";
constexpr const char* kContentsVar = "contents";
constexpr const char* kCursorRectVar = "cur_rect";
constexpr const char* kToneVar = "tone";
constexpr const char* kViewportVar = "viewport";
// The skin the arrows and the pause sign still show after `windowskin = nil`.
constexpr const char* kPaintedSkinVar = "painted_skin";

Value bitmapClass() { return bindings::ScriptClass<bitmap::Bitmap>::value; }

// The first contents of a window. A window too small for any inside gets an empty bitmap (no pixels, size
// 0 x 0) rather than a refusal, so that small and zero-sized windows can be made.
Value newContents(std::int64_t width, std::int64_t height) {
  if (width > 0 && height > 0) {
    std::unique_ptr<bitmap::Bitmap> image = bitmap::createBitmap(static_cast<int>(width), static_cast<int>(height));
    if (!image) {
      throw bindings::scriptError("failed to create bitmap of %d x %d", static_cast<int>(width),
                                  static_cast<int>(height));
    }
    bitmap::Bitmap* record = image.release();
    // wrapBitmap may raise: nothing with a destructor is alive in this frame by then.
    return bitmap::wrapBitmap(std::unique_ptr<bitmap::Bitmap>(record));
  }
  const Value empty = bindings::newRecordObject<bitmap::Bitmap>(bitmapClass());
  const Value font = bitmap::newDefaultFont();
  api().funcall(empty, api().intern("font="), 1, &font);
  return empty;
}

void windowInitialize(Value self, Args args) {
  args.require(0, 4);
  std::int32_t place[4] = {0, 0, 0, 0};
  for (int i = 0; i < args.count; ++i) place[i] = bindings::toInt(args[i]);
  if (place[2] < 0 || place[3] < 0) throw bindings::scriptError("invaild argument");
  Window& window = bindings::liveRecord<Window>(self);
  const Value contents = newContents(static_cast<std::int64_t>(place[2]) - 2LL * Window::kDefaultPadding,
                                     static_cast<std::int64_t>(place[3]) - 2LL * Window::kDefaultPadding);
  api().iv_set(self, kContentsVar, contents);
  const Value rect = api().rect_new();
  api().iv_set(self, kCursorRectVar, rect);
  const Value tone = bindings::newTone({});
  api().iv_set(self, kToneVar, tone);
  api().iv_set(self, kSkinVar, api().nil);
  api().iv_set(self, kPaintedSkinVar, api().nil);
  api().iv_set(self, kViewportVar, api().nil);

  window.initialize(place[0], place[1], place[2], place[3]);
  window.setContents(&bindings::liveRecord<bitmap::Bitmap>(contents));
  window.cursorRect = api().rect_data(rect);
  window.setTone(&bindings::toneRecord(tone));
  window.refreshCursor();
}

Value windowDispose(Value self) {
  Window* record = bindings::dataRecord<Window>(self);
  if (record != nullptr) record->dispose();
  return api().nil;
}

bool windowDisposedP(Value self) {
  const Window* record = bindings::dataRecord<Window>(self);
  return record == nullptr || record->disposed();
}

Value windowUpdate(Window& window) {
  window.update();
  return api().nil;
}

Value windowMove(Window& window, int x, int y, int width, int height) {
  window.x = x;
  window.y = y;
  window.width = width;
  window.height = height;
  window.repaintSkin();
  return api().nil;
}

bool windowOpenP(const Window& window) { return window.openness == 255; }
bool windowCloseP(const Window& window) { return window.openness == 0; }

template <const char* const* Var>
Value hiddenVar(Self<Window> self) {
  return api().iv_get(self.value, *Var);
}

void windowSetViewport(Self<Window> self, Value value) {
  Viewport* viewport = viewportArgument(value);
  self->setViewport(viewport);
  api().iv_set(self.value, kViewportVar, value);
}

void windowSetWindowskin(Self<Window> self, Value value) {
  bitmap::Bitmap* image = bitmapArgument(value);
  api().iv_set(self.value, kSkinVar, value);
  self->setWindowskin(image);
  if (image != nullptr && self->paintedSkin() == image) api().iv_set(self.value, kPaintedSkinVar, value);
}

void windowSetContents(Self<Window> self, Value value) {
  bitmap::Bitmap* image = bitmapArgument(value);
  api().iv_set(self.value, kContentsVar, value);
  self->setContents(image);
}

void windowSetCursorRect(Self<Window> self, Value rect) {
  bindings::checkKind(rect, api().rect_class);
  api().iv_set(self.value, kCursorRectVar, rect);
  self->cursorRect = api().rect_data(rect);
  self->refreshCursor();
}

void windowSetTone(Self<Window> self, Value tone) {
  self->setTone(&bindings::toneRecord(tone));
  api().iv_set(self.value, kToneVar, tone);
}

template <auto Member>
auto getField(const Window& window) {
  if constexpr (std::is_same_v<std::remove_cvref_t<decltype(window.*Member)>, bool>) {
    return window.*Member;
  } else {
    return static_cast<int>(window.*Member);
  }
}

template <auto Member>
void setInt(Window& window, int value) {
  window.*Member = value;
}

template <auto Member>
void setBool(Window& window, bool value) {
  window.*Member = value;
}

template <auto Member>
void setByte(Window& window, bindings::Byte value) {
  window.*Member = value.value;
}

// Sizes below 1 become 0; the skin is painted for the new size.
template <auto Member>
void setSize(Window& window, int value) {
  window.*Member = value > 0 ? value : 0;
  window.repaintSkin();
}

void windowSetPadding(Window& window, int value) {
  window.padding = value;
  window.paddingBottom = value;
}

void windowSetBackIndent(Window& window, int value) {
  window.backIndent = value < 0 ? 2 : value;
  window.repaintSkin();
}

}  // namespace

void defineWindowClass() {
  bindings::adoptEngineClasses();
  bindings::ClassDef<Window> definition("Window");
  definition.disposedMessage("disposed window")
      .refuseCopy()
      .method<&windowInitialize>("initialize")
      .method<&windowDispose>("dispose")
      .method<&windowDisposedP>("disposed?")
      .method<&windowUpdate>("update")
      .method<&windowMove>("move")
      .method<&windowOpenP>("open?")
      .method<&windowCloseP>("close?")
      .method<&hiddenVar<&kViewportVar>>("viewport")
      .setter<&windowSetViewport>("viewport=")
      .method<&hiddenVar<&kSkinVar>>("windowskin")
      .setter<&windowSetWindowskin>("windowskin=")
      .method<&hiddenVar<&kContentsVar>>("contents")
      .setter<&windowSetContents>("contents=")
      .method<&hiddenVar<&kCursorRectVar>>("cursor_rect")
      .setter<&windowSetCursorRect>("cursor_rect=")
      .method<&getField<&Window::active>>("active")
      .setter<&setBool<&Window::active>>("active=")
      .method<&getField<&Window::visible>>("visible")
      .setter<&setBool<&Window::visible>>("visible=")
      .method<&getField<&Window::arrowsVisible>>("arrows_visible")
      .setter<&setBool<&Window::arrowsVisible>>("arrows_visible=")
      .method<&getField<&Window::pause>>("pause")
      .setter<&setBool<&Window::pause>>("pause=")
      .method<&getField<&Window::x>>("x")
      .setter<&setInt<&Window::x>>("x=")
      .method<&getField<&Window::y>>("y")
      .setter<&setInt<&Window::y>>("y=")
      .method<&getField<&Window::z>>("z")
      .setter<&setInt<&Window::z>>("z=")
      .method<&getField<&Window::ox>>("ox")
      .setter<&setInt<&Window::ox>>("ox=")
      .method<&getField<&Window::oy>>("oy")
      .setter<&setInt<&Window::oy>>("oy=")
      .method<&getField<&Window::width>>("width")
      .setter<&setSize<&Window::width>>("width=")
      .method<&getField<&Window::height>>("height")
      .setter<&setSize<&Window::height>>("height=")
      .method<&getField<&Window::padding>>("padding")
      .setter<&windowSetPadding>("padding=")
      .method<&getField<&Window::paddingBottom>>("padding_bottom")
      .setter<&setInt<&Window::paddingBottom>>("padding_bottom=")
      .method<&getField<&Window::backIndent>>("back_indent")
      .setter<&windowSetBackIndent>("back_indent=")
      .method<&getField<&Window::opacity>>("opacity")
      .setter<&setByte<&Window::opacity>>("opacity=")
      .method<&getField<&Window::backOpacity>>("back_opacity")
      .setter<&setByte<&Window::backOpacity>>("back_opacity=")
      .method<&getField<&Window::contentsOpacity>>("contents_opacity")
      .setter<&setByte<&Window::contentsOpacity>>("contents_opacity=")
      .method<&getField<&Window::openness>>("openness")
      .setter<&setByte<&Window::openness>>("openness=")
      .method<&hiddenVar<&kToneVar>>("tone")
      .setter<&windowSetTone>("tone=");
}

}  // namespace scene
