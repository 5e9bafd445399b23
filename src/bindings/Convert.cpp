#include "bindings/Convert.h"

#include <cmath>

#include "bindings/ScriptError.h"
#include "engine/Utf.h"

namespace bindings {

int toInt(engine::Value value) {
  return api().num2int(value);
}

std::uint8_t toByte(engine::Value value) {
  return clampByte(api().num2int(value));
}

double toReal(engine::Value value) {
  return api().num2dbl(value);
}

engine::Value newReal(double value) {
  return api().float_new(value);
}

std::string_view stringView(engine::Value value) {
  api().check_type(value, engine::kTypeString);
  return {api().string_ptr(value), static_cast<std::size_t>(api().string_length(value))};
}

engine::Value newString(std::string_view utf8) {
  return api().str_new(utf8.data(), static_cast<long>(utf8.size()));
}

engine::Value newString(std::u16string_view wide) {
  return newString(engine::utf16ToUtf8(wide));
}

std::u16string toUtf16(std::string_view utf8) {
  return engine::utf8ToUtf16(utf8);
}

std::vector<std::string> stringList(engine::Value value) {
  int type = api().type_of(value);
  if (type == engine::kTypeString) {
    return {std::string(stringView(value))};
  }
  if (type != engine::kTypeArray) {
    throw typeError("wrong argument type");
  }
  long count = api().ary_length(value);
  for (long i = 0; i < count; ++i) {
    if (api().type_of(api().ary_entry(value, i)) != engine::kTypeString) {
      throw typeError("wrong argument type");
    }
  }
  std::vector<std::string> strings;
  strings.reserve(static_cast<std::size_t>(count));
  for (long i = 0; i < count; ++i) {
    strings.emplace_back(stringView(api().ary_entry(value, i)));
  }
  return strings;
}

std::optional<TimeInterval> secondsToInterval(double seconds) {
  if (std::isnan(seconds)) {
    return std::nullopt;
  }
  constexpr double kBillion = 1e9;
  double whole = 0;
  double fraction = std::modf(seconds, &whole);
  std::int64_t nanoseconds = 0;
  if (fraction >= 0) {
    nanoseconds = static_cast<std::int64_t>(fraction * kBillion + 0.5);
    // A fraction a hair below one rounds up to a whole second.
    if (nanoseconds >= 1000000000) {
      nanoseconds -= 1000000000;
      whole += 1;
    }
  } else {
    auto below = static_cast<std::int64_t>(0.5 - fraction * kBillion);
    if (below > 0) {
      nanoseconds = 1000000000 - below;
      whole -= 1;
    }
  }
  // 2^63 is exact as a double; anything outside [-2^63, 2^63) would not survive the conversion.
  constexpr double kLimit = 9223372036854775808.0;
  if (!(whole >= -kLimit && whole < kLimit)) {
    return std::nullopt;
  }
  return TimeInterval{static_cast<std::int64_t>(whole), static_cast<std::int32_t>(nanoseconds)};
}

TimeInterval toInterval(engine::Value seconds) {
  double value = api().num2dbl(seconds);
  std::optional<TimeInterval> interval = secondsToInterval(value);
  if (!interval) {
    throw scriptError("%f out of Time range", value);
  }
  return *interval;
}

}  // namespace bindings
