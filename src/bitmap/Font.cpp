#include "bitmap/Font.h"

#include "bindings/Binding.h"
#include "bindings/Color.h"
#include "bitmap/Bitmap.h"
#include "platform/text/FontSystem.h"

namespace bitmap {

namespace {

using bindings::Args;
using bindings::Color;
using bindings::Self;
using engine::Value;

using bindings::api;

// Hidden instance variables of a font object, and of the Font class for the defaults kept as objects.
constexpr const char* kColour = "color";
constexpr const char* kOutColour = "outc";
constexpr const char* kNames = "names";
constexpr const char* kDefaultNames = "def_names";
constexpr const char* kDefaultColour = "def_color";
constexpr const char* kDefaultOutColour = "def_outc";

constexpr Color kInitialColour{255, 255, 255, 255};
constexpr Color kInitialOutColour{0, 0, 0, 128};

// The class defaults that are plain values.
struct Defaults {
  std::string face;
  int size = 24;
  bool bold = false;
  bool italic = false;
  bool outline = true;
  bool shadow = false;
  bool pixel = false;
};

Defaults& defaults() {
  static Defaults values;
  return values;
}

Value fontClass() { return bindings::ScriptClass<Font>::value; }

// The Color record an instance variable holds, or `fallback` when it holds none (a font allocated but never
// initialised).
Color colourIn(Value object, const char* variable, const Color& fallback) {
  Value colour = api().iv_get(object, variable);
  if (!api().obj_is_kind_of(colour, bindings::ScriptClass<Color>::value)) return fallback;
  return bindings::liveRecord<Color>(colour);
}

Pixel toPixel(const Color& colour) { return makePixel(colour.alpha, colour.red, colour.green, colour.blue); }

void applyDefaults(Font& font) {
  const Defaults& values = defaults();
  font.face = values.face;
  font.size = Font::clampSize(values.size);
  font.bold = values.bold;
  font.italic = values.italic;
  font.outline = values.outline;
  font.shadow = values.shadow;
  font.pixel = values.pixel;
}

// Colours and names of a new font with the class defaults.
void setDefaultVariables(Value font) {
  Value klass = fontClass();
  api().iv_set(font, kColour, bindings::newColor(colourIn(klass, kDefaultColour, kInitialColour)));
  api().iv_set(font, kOutColour, bindings::newColor(colourIn(klass, kDefaultOutColour, kInitialOutColour)));
  api().iv_set(font, kNames, normalisedNames(fontNames(api().iv_get(klass, kDefaultNames))));
}

void copyInto(Value target, Value source) {
  Font& to = bindings::liveRecord<Font>(target);
  const Font& from = bindings::liveRecord<Font>(source);
  to.face = from.face;
  to.size = Font::clampSize(from.size);
  to.bold = from.bold;
  to.italic = from.italic;
  to.outline = from.outline;
  to.shadow = from.shadow;
  to.pixel = from.pixel;
  api().iv_set(target, kColour, bindings::newColor(colourIn(source, kColour, kInitialColour)));
  api().iv_set(target, kOutColour, bindings::newColor(colourIn(source, kOutColour, kInitialOutColour)));
  api().iv_set(target, kNames, normalisedNames(fontNames(api().iv_get(source, kNames))));
}

void fontInitialize(Self<Font> self, Args args) {
  args.require(0, 2);
  Value name = args.count >= 1 ? args[0] : api().nil;
  const bool sized = args.count == 2 && args[1] != api().nil;
  const int size = sized ? bindings::toInt(args[1]) : 0;
  applyDefaults(*self);
  setDefaultVariables(self.value);
  if (name != api().nil) {
    self->face = text::resolveFamily(fontNames(name), defaults().face);
    api().iv_set(self.value, kNames, name);
  }
  if (sized) self->size = Font::clampSize(size);
}

Value fontInitializeCopy(Value self, Value source) {
  if (source == self) return self;
  api().check_frozen(self);
  if (!api().obj_is_instance_of(source, api().obj_class(self))) throw bindings::typeError("wrong argument class");
  copyInto(self, source);
  return self;
}

Value fontName(Value self) {
  bindings::selfRecord<Font>(self);
  return api().iv_get(self, kNames);
}

void fontSetName(Self<Font> self, Value names) {
  self->face = text::resolveFamily(fontNames(names), defaults().face);
  api().iv_set(self.value, kNames, names);
}

int fontSize(const Font& font) { return font.size; }
void fontSetSize(Font& font, int size) { font.size = Font::clampSize(size); }
bool fontBold(const Font& font) { return font.bold; }
void fontSetBold(Font& font, bool on) { font.bold = on; }
bool fontItalic(const Font& font) { return font.italic; }
void fontSetItalic(Font& font, bool on) { font.italic = on; }
bool fontOutline(const Font& font) { return font.outline; }
void fontSetOutline(Font& font, bool on) { font.outline = on; }
bool fontShadow(const Font& font) { return font.shadow; }
void fontSetShadow(Font& font, bool on) { font.shadow = on; }
bool fontPixel(const Font& font) { return font.pixel; }
void fontSetPixel(Font& font, bool on) { font.pixel = on; }

Value fontColor(Self<Font> self) { return api().iv_get(self.value, kColour); }

// The font's own Color object keeps its identity: scripts that hold it see the new bytes.
void fontSetColor(Self<Font> self, const Color& colour) {
  Value own = api().iv_get(self.value, kColour);
  if (api().obj_is_kind_of(own, bindings::ScriptClass<Color>::value)) {
    bindings::liveRecord<Color>(own) = colour;
  } else {
    api().iv_set(self.value, kColour, bindings::newColor(colour));
  }
}

Value fontOutColor(Self<Font> self) { return api().iv_get(self.value, kOutColour); }

// Shared, not copied: later changes to the argument show in the font's outline.
void fontSetOutColor(Self<Font> self, Value colour) {
  bindings::checkKind(colour, bindings::ScriptClass<Color>::value);
  api().iv_set(self.value, kOutColour, colour);
}

Value fontDefaultName(Value) { return api().iv_get(fontClass(), kDefaultNames); }
void fontSetDefaultName(Value, Value names) {
  defaults().face = text::resolveFamily(fontNames(names), defaults().face);
  api().iv_set(fontClass(), kDefaultNames, names);
}
int fontDefaultSize(Value) { return defaults().size; }
void fontSetDefaultSize(Value, int size) { defaults().size = size; }
bool fontDefaultBold(Value) { return defaults().bold; }
void fontSetDefaultBold(Value, bool on) { defaults().bold = on; }
bool fontDefaultItalic(Value) { return defaults().italic; }
void fontSetDefaultItalic(Value, bool on) { defaults().italic = on; }
bool fontDefaultOutline(Value) { return defaults().outline; }
void fontSetDefaultOutline(Value, bool on) { defaults().outline = on; }
bool fontDefaultShadow(Value) { return defaults().shadow; }
void fontSetDefaultShadow(Value, bool on) { defaults().shadow = on; }
bool fontDefaultPixel(Value) { return defaults().pixel; }
void fontSetDefaultPixel(Value, bool on) { defaults().pixel = on; }
Value fontDefaultColor(Value) { return api().iv_get(fontClass(), kDefaultColour); }
// The object itself is kept: new fonts copy its bytes when they are made.
void fontSetDefaultColor(Value, Value colour) {
  bindings::checkKind(colour, bindings::ScriptClass<Color>::value);
  api().iv_set(fontClass(), kDefaultColour, colour);
}
Value fontDefaultOutColor(Value) { return api().iv_get(fontClass(), kDefaultOutColour); }
void fontSetDefaultOutColor(Value, Value colour) {
  bindings::checkKind(colour, bindings::ScriptClass<Color>::value);
  api().iv_set(fontClass(), kDefaultOutColour, colour);
}

// The engine's registry answers, not the system: only the fonts the engine was given count.
bool fontExist(Value, std::string_view name) {
  const std::u16string wide = bindings::toUtf16(name);
  if (api().font_lookup == nullptr || api().font_found == nullptr) return false;
  return api().font_found(api().font_lookup(wide.c_str()));
}

// Class-method setters return their argument, as instance setters do.
template <auto Body>
void defineClassSetter(Value klass, const char* name) {
  api().define_module_function(klass, name, reinterpret_cast<engine::AnyMethod>(&bindings::detail::Entry<Body>::setter),
                               1);
}

}  // namespace

std::vector<std::string> fontNames(Value names) { return bindings::stringList(names); }

Value normalisedNames(const std::vector<std::string>& names) {
  if (names.empty()) throw bindings::scriptError("empty name");
  if (names.size() == 1) return bindings::newString(names.front());
  Value list = api().ary_new_capa(static_cast<long>(names.size()));
  for (const std::string& name : names) api().ary_push(list, bindings::newString(name));
  return list;
}

const std::string& defaultFace() { return defaults().face; }

Value newDefaultFont() {
  Value font = bindings::newRecordObject<Font>(fontClass());
  applyDefaults(bindings::liveRecord<Font>(font));
  setDefaultVariables(font);
  return font;
}

Value copyFont(Value source) {
  Value font = bindings::newRecordObject<Font>(fontClass());
  applyDefaults(bindings::liveRecord<Font>(font));
  copyInto(font, source);
  return font;
}

TextStyle fontStyle(Value font) {
  const Font& record = bindings::liveRecord<Font>(font);
  TextStyle style;
  style.pixel = record.pixel;
  style.outline = record.outline;
  style.shadow = record.shadow;
  style.colour = toPixel(colourIn(font, kColour, kInitialColour));
  style.outColour = toPixel(colourIn(font, kOutColour, kInitialOutColour));
  return style;
}

void defineFontClass() {
  bindings::adoptEngineClasses();
  Value klass = bindings::ClassDef<Font>("Font")
                    .method<&fontInitialize>("initialize")
                    .method<&fontInitializeCopy>("initialize_copy")
                    .method<&fontName>("name")
                    .setter<&fontSetName>("name=")
                    .method<&fontSize>("size")
                    .setter<&fontSetSize>("size=")
                    .method<&fontBold>("bold")
                    .setter<&fontSetBold>("bold=")
                    .method<&fontItalic>("italic")
                    .setter<&fontSetItalic>("italic=")
                    .method<&fontOutline>("outline")
                    .setter<&fontSetOutline>("outline=")
                    .method<&fontShadow>("shadow")
                    .setter<&fontSetShadow>("shadow=")
                    .method<&fontPixel>("pixel")
                    .setter<&fontSetPixel>("pixel=")
                    .method<&fontColor>("color")
                    .setter<&fontSetColor>("color=")
                    .method<&fontOutColor>("out_color")
                    .setter<&fontSetOutColor>("out_color=")
                    .classMethod<&fontDefaultName>("default_name")
                    .classMethod<&fontDefaultSize>("default_size")
                    .classMethod<&fontDefaultBold>("default_bold")
                    .classMethod<&fontDefaultItalic>("default_italic")
                    .classMethod<&fontDefaultOutline>("default_outline")
                    .classMethod<&fontDefaultShadow>("default_shadow")
                    .classMethod<&fontDefaultPixel>("default_pixel")
                    .classMethod<&fontDefaultColor>("default_color")
                    .classMethod<&fontDefaultOutColor>("default_out_color")
                    .classMethod<&fontExist>("exist?")
                    .klass();
  defineClassSetter<&fontSetDefaultName>(klass, "default_name=");
  defineClassSetter<&fontSetDefaultSize>(klass, "default_size=");
  defineClassSetter<&fontSetDefaultBold>(klass, "default_bold=");
  defineClassSetter<&fontSetDefaultItalic>(klass, "default_italic=");
  defineClassSetter<&fontSetDefaultOutline>(klass, "default_outline=");
  defineClassSetter<&fontSetDefaultShadow>(klass, "default_shadow=");
  defineClassSetter<&fontSetDefaultPixel>(klass, "default_pixel=");
  defineClassSetter<&fontSetDefaultColor>(klass, "default_color=");
  defineClassSetter<&fontSetDefaultOutColor>(klass, "default_out_color=");

  const std::vector<std::string> initialNames{"黑体", "宋体", "Arial"};
  Defaults& values = defaults();
  values = Defaults{};
  values.face = text::resolveFamily(initialNames, std::string());
  api().iv_set(klass, kDefaultNames, normalisedNames(initialNames));
  api().iv_set(klass, kDefaultColour, bindings::newColor(kInitialColour));
  api().iv_set(klass, kDefaultOutColour, bindings::newColor(kInitialOutColour));
}

}  // namespace bitmap
