#pragma once

// What kind of script value an argument is, for the functions that accept several kinds.

#include <optional>
#include <string>

#include "engine/ScriptApi.h"

namespace input {

enum class ValueKind { Integer, BigInteger, Symbol, String, Other };

ValueKind kindOf(engine::Value value);
// The text of a Symbol or a String; empty for anything else.
std::optional<std::string> nameText(engine::Value value);

}  // namespace input
