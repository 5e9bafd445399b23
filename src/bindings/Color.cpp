#include "bindings/Color.h"

#include <bit>
#include <cmath>
#include <cstdio>

#include "bindings/Binding.h"
#include "bindings/ValueClasses.h"

namespace bindings {

namespace {

// The constructor keeps the low 8 bits unclamped (300 becomes 44, -1 becomes 255); set and the
// channel setters clamp instead.
std::uint8_t lowByte(int value) {
  return static_cast<std::uint8_t>(value);
}

// Truncated toward zero, low 8 bits of the whole number; NaN and infinities give 0.
std::uint8_t lowByteOfDouble(double value) {
  if (!std::isfinite(value)) {
    return 0;
  }
  double remainder = std::fmod(std::trunc(value), 256.0);
  if (remainder < 0) {
    remainder += 256.0;
  }
  return static_cast<std::uint8_t>(remainder);
}

double littleEndianDouble(const unsigned char* bytes) {
  std::uint64_t bits = 0;
  for (int i = 7; i >= 0; --i) {
    bits = bits << 8 | bytes[i];
  }
  return std::bit_cast<double>(bits);
}

// 3 or 4 channel arguments, converted in order; Store turns each integer into the stored byte.
template <std::uint8_t (*Store)(int)>
Color channelsFrom(Args args) {
  int red = toInt(args[0]);
  int green = toInt(args[1]);
  int blue = toInt(args[2]);
  int alpha = args.count == 4 ? toInt(args[3]) : 255;
  return Color{Store(blue), Store(green), Store(red), Store(alpha)};
}

std::uint8_t clampedByte(int value) {
  return clampByte(value);
}

void colorInitialize(Color& color, Args args) {
  if (args.count == 0) {
    color = Color{};
    return;
  }
  args.require(3, 4);
  color = channelsFrom<lowByte>(args);
}

Value colorSet(Self<Color> self, Args args) {
  if (args.count == 1) {
    *self = colorRecord(args[0]);
    return self.value;
  }
  if (args.count == 2) {
    throw arityError(3, 2);
  }
  args.require(1, 4);
  *self = channelsFrom<clampedByte>(args);
  return self.value;
}

Value colorToS(const Color& color) {
  char text[32];
  std::snprintf(text, sizeof(text), "(%d,%d,%d,%d)", color.red, color.green, color.blue, color.alpha);
  return api().str_new_cstr(text);
}

Value colorDumpMethod(const Color& color, Value) {
  std::array<char, 4> bytes = colorDump(color);
  return api().binary_str_new(bytes.data(), static_cast<long>(bytes.size()));
}

Value colorLoad(Value receiver, std::string_view bytes) {
  std::optional<Color> color = colorFromDump(bytes);
  // A corrupt save must not load as black: refuse it as Rect and Table refuse theirs.
  if (!color) throw argumentError("marshal data too short");
  Value object = newRecordObject<Color>(isClass(receiver) ? receiver : api().obj_class(receiver));
  liveRecord<Color>(object) = *color;
  return object;
}

int colorRed(const Color& color) {
  return color.red;
}
int colorGreen(const Color& color) {
  return color.green;
}
int colorBlue(const Color& color) {
  return color.blue;
}
int colorAlpha(const Color& color) {
  return color.alpha;
}

void colorSetRed(Color& color, Byte value) {
  color.red = value;
}
void colorSetGreen(Color& color, Byte value) {
  color.green = value;
}
void colorSetBlue(Color& color, Byte value) {
  color.blue = value;
}
void colorSetAlpha(Color& color, Byte value) {
  color.alpha = value;
}

// Anything that is not a Color is simply unequal (Tone, by contrast, refuses the comparison).
bool colorEqual(Self<Color> self, Value other) {
  if (other == self.value) {
    return true;
  }
  if (!api().obj_is_kind_of(other, ScriptClass<Color>::value)) {
    return false;
  }
  return *self == liveRecord<Color>(other);
}

}  // namespace

Color& colorRecord(Value color) {
  return recordArg<Color>(color);
}

Value newColor(const Color& color) {
  Value object = newRecordObject<Color>();
  liveRecord<Color>(object) = color;
  return object;
}

Value newColorView(Color* pixel) {
  return api().data_wrap(ScriptClass<Color>::value, pixel, nullptr, nullptr);
}

void detachColorView(Value view) {
  api().data_set_ptr(view, nullptr);
}

std::array<char, 4> colorDump(const Color& color) {
  return {static_cast<char>(color.blue), static_cast<char>(color.green), static_cast<char>(color.red),
          static_cast<char>(color.alpha)};
}

std::optional<Color> colorFromDump(std::string_view bytes) {
  const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
  if (bytes.size() == 4) {
    return Color{data[0], data[1], data[2], data[3]};
  }
  if (bytes.size() < 32) {
    return std::nullopt;
  }
  const unsigned char* doubles = data;
  return Color{lowByteOfDouble(littleEndianDouble(doubles + 16)), lowByteOfDouble(littleEndianDouble(doubles + 8)),
               lowByteOfDouble(littleEndianDouble(doubles)), lowByteOfDouble(littleEndianDouble(doubles + 24))};
}

void defineColor() {
  adoptEngineClasses();
  ClassDef<Color>("Color")
      .releasedMessage("Color of a ColorArray used outside its process_color block")
      .copyable()
      .method<&colorInitialize>("initialize")
      .method<&colorSet>("set")
      .method<&colorToS>("to_s")
      .method<&colorDumpMethod>("_dump")
      .classMethod<&colorLoad>("_load")
      .method<&colorRed>("red")
      .method<&colorGreen>("green")
      .method<&colorBlue>("blue")
      .method<&colorAlpha>("alpha")
      .setter<&colorSetRed>("red=")
      .setter<&colorSetGreen>("green=")
      .setter<&colorSetBlue>("blue=")
      .setter<&colorSetAlpha>("alpha=")
      .method<&colorEqual>("==")
      .method<&colorEqual>("===")
      .method<&colorEqual>("eql?");
}

}  // namespace bindings
