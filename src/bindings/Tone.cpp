#include "bindings/Tone.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdio>

#include "bindings/Binding.h"
#include "bindings/ValueClasses.h"

namespace bindings {

namespace {

constexpr double kScale = 255.0;

// Clamped in double precision before narrowing, so an out-of-range double never becomes a float.
float clampedField(double value, double low) {
  if (std::isnan(value)) {
    return 0.0f;
  }
  return static_cast<float>(std::clamp(value, low, 1.0));
}

float fromScript(int value) {
  return static_cast<float>(value / kScale);
}

// Truncated toward zero: a dump that is not a whole multiple of 1/255 reads back rounded down in size.
int toScript(float field) {
  return static_cast<int>(std::trunc(static_cast<double>(field) * kScale));
}

std::uint32_t littleEndian32(const unsigned char* bytes) {
  return static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
         static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
}

double littleEndianDouble(const unsigned char* bytes) {
  std::uint64_t bits = 0;
  for (int i = 7; i >= 0; --i) {
    bits = bits << 8 | bytes[i];
  }
  return std::bit_cast<double>(bits);
}

Tone toneFromArgs(Args args) {
  if (args.count == 0) {
    return Tone{};
  }
  args.require(3, 4);
  int red = toInt(args[0]);
  int green = toInt(args[1]);
  int blue = toInt(args[2]);
  int gray = args.count == 4 ? toInt(args[3]) : 0;
  Tone tone{fromScript(red), fromScript(green), fromScript(blue), fromScript(gray)};
  tone.clamp();
  return tone;
}

void toneInitialize(Tone& tone, Args args) {
  tone = toneFromArgs(args);
}

// Unlike Color#set, returns nil.
void toneSet(Tone& tone, Args args) {
  tone = args.count == 1 ? toneRecord(args[0]) : toneFromArgs(args);
}

Value toneToS(const Tone& tone) {
  char text[128];
  std::snprintf(text, sizeof(text), "(%f,%f,%f,%f)", tone.red * kScale, tone.green * kScale, tone.blue * kScale,
                tone.gray * kScale);
  return api().str_new_cstr(text);
}

Value toneDumpMethod(const Tone& tone, Value) {
  std::array<char, 16> bytes = toneDump(tone);
  return api().binary_str_new(bytes.data(), static_cast<long>(bytes.size()));
}

Value toneLoad(Value receiver, std::string_view bytes) {
  std::optional<Tone> tone = toneFromDump(bytes);
  // A corrupt save must not load as no tone at all: refuse it as Rect and Table refuse theirs.
  if (!tone) throw argumentError("marshal data too short");
  Value object = newRecordObject<Tone>(isClass(receiver) ? receiver : api().obj_class(receiver));
  liveRecord<Tone>(object) = *tone;
  return object;
}

int toneRed(const Tone& tone) {
  return toScript(tone.red);
}
int toneGreen(const Tone& tone) {
  return toScript(tone.green);
}
int toneBlue(const Tone& tone) {
  return toScript(tone.blue);
}
int toneGray(const Tone& tone) {
  return toScript(tone.gray);
}

void toneSetRed(Tone& tone, int value) {
  tone.red = fromScript(value);
  tone.clamp();
}
void toneSetGreen(Tone& tone, int value) {
  tone.green = fromScript(value);
  tone.clamp();
}
void toneSetBlue(Tone& tone, int value) {
  tone.blue = fromScript(value);
  tone.clamp();
}
void toneSetGray(Tone& tone, int value) {
  tone.gray = fromScript(value);
  tone.clamp();
}

// Comparing with anything but a Tone is a type error (the class check of the argument).
bool toneEqual(Self<Tone> self, const Tone& other) {
  return self.record == &other || *self == other;
}

}  // namespace

void Tone::clamp() {
  red = clampedField(red, -1.0);
  green = clampedField(green, -1.0);
  blue = clampedField(blue, -1.0);
  gray = clampedField(gray, 0.0);
}

Tone& toneRecord(Value tone) {
  return recordArg<Tone>(tone);
}

Value newTone(const Tone& tone) {
  Value object = newRecordObject<Tone>();
  liveRecord<Tone>(object) = tone;
  return object;
}

std::array<char, 16> toneDump(const Tone& tone) {
  std::array<char, 16> bytes{};
  const float fields[4] = {tone.red, tone.green, tone.blue, tone.gray};
  for (int field = 0; field < 4; ++field) {
    auto bits = std::bit_cast<std::uint32_t>(fields[field]);
    for (int i = 0; i < 4; ++i) {
      bytes[field * 4 + i] = static_cast<char>(bits >> (8 * i));
    }
  }
  return bytes;
}

std::optional<Tone> toneFromDump(std::string_view bytes) {
  if (bytes.size() < 16) {
    return std::nullopt;
  }
  Tone tone;
  if (bytes.size() == 16) {
    const auto* record = reinterpret_cast<const unsigned char*>(bytes.data());
    tone = Tone{std::bit_cast<float>(littleEndian32(record)), std::bit_cast<float>(littleEndian32(record + 4)),
                std::bit_cast<float>(littleEndian32(record + 8)), std::bit_cast<float>(littleEndian32(record + 12))};
  } else if (bytes.size() == 32) {
    const auto* doubles = reinterpret_cast<const unsigned char*>(bytes.data());
    tone = Tone{clampedField(littleEndianDouble(doubles) / kScale, -1.0),
                clampedField(littleEndianDouble(doubles + 8) / kScale, -1.0),
                clampedField(littleEndianDouble(doubles + 16) / kScale, -1.0),
                clampedField(littleEndianDouble(doubles + 24) / kScale, 0.0)};
  }
  tone.clamp();
  return tone;
}

void defineTone() {
  adoptEngineClasses();
  ClassDef<Tone>("Tone")
      .copyable()
      .method<&toneInitialize>("initialize")
      .method<&toneSet>("set")
      .method<&toneToS>("to_s")
      .method<&toneDumpMethod>("_dump")
      .classMethod<&toneLoad>("_load")
      .method<&toneRed>("red")
      .method<&toneGreen>("green")
      .method<&toneBlue>("blue")
      .method<&toneGray>("gray")
      .setter<&toneSetRed>("red=")
      .setter<&toneSetGreen>("green=")
      .setter<&toneSetBlue>("blue=")
      .setter<&toneSetGray>("gray=")
      .method<&toneEqual>("==")
      .method<&toneEqual>("===")
      .method<&toneEqual>("eql?");
}

}  // namespace bindings
