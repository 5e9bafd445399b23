#pragma once

// Conversions between script values and C++ values. Those taking a Value may raise through the
// interpreter (a non-numeric argument, a frozen string) or throw ScriptError; call them while no object
// with a destructor is alive in the calling frame, as the method trampoline does with its parameters.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/ScriptApi.h"

namespace bindings {

inline engine::ScriptApi& api() {
  return *engine::g_scriptApi;
}

// Colour channels and other 0-255 properties: below 1 gives 0, above 254 gives 255.
constexpr std::uint8_t clampByte(long value) {
  return value < 1 ? 0 : value > 254 ? 255 : static_cast<std::uint8_t>(value);
}

// A 0-255 property as a method parameter: the trampoline converts and clamps it.
struct Byte {
  std::uint8_t value = 0;
  constexpr operator std::uint8_t() const { return value; }
};

// Boolean properties are true only for `true` itself; every other value, nil or not, is false.
inline bool truth(engine::Value value) {
  return value == api().true_value;
}

inline engine::Value toValue(bool value) {
  return value ? api().true_value : api().false_value;
}

int toInt(engine::Value value);
std::uint8_t toByte(engine::Value value);
double toReal(engine::Value value);
engine::Value newReal(double value);

// The UTF-8 bytes of a string argument (raises unless it is a string). The view lives as long as the
// string is neither changed nor collected.
std::string_view stringView(engine::Value value);
engine::Value newString(std::string_view utf8);
engine::Value newString(std::u16string_view wide);
// For the platform calls that count or draw UTF-16 code units; an empty string gives an empty result.
std::u16string toUtf16(std::string_view utf8);
// A string or an array of strings, else ScriptError "wrong argument type".
std::vector<std::string> stringList(engine::Value value);

// A wait expressed in seconds, split the way the interpreter's own sleeping functions split it.
struct TimeInterval {
  std::int64_t seconds = 0;
  std::int32_t nanoseconds = 0;  // 0 to 999 999 999
  bool operator==(const TimeInterval&) const = default;
};

// Whole seconds and a non-negative fraction: -0.25 is -1 s + 750 000 000 ns. Empty when the whole seconds
// do not fit a signed 64-bit count (or the value is not a number).
std::optional<TimeInterval> secondsToInterval(double seconds);
// The same for a script value; ScriptError "%f out of Time range" when it does not fit.
TimeInterval toInterval(engine::Value seconds);

}  // namespace bindings
