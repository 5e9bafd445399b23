#include "input/private/ScriptValues.h"

#include "bindings/Convert.h"

namespace input {

namespace {

// The interpreter's type tags for the kinds ScriptApi names no constant for.
constexpr int kTypeBignum = 0x0A;
constexpr int kTypeSymbol = 0x14;
constexpr int kTypeFixnum = 0x15;

}  // namespace

ValueKind kindOf(engine::Value value) {
  switch (bindings::api().type_of(value)) {
    case kTypeFixnum:
      return ValueKind::Integer;
    case kTypeBignum:
      return ValueKind::BigInteger;
    case kTypeSymbol:
      return ValueKind::Symbol;
    case engine::kTypeString:
      return ValueKind::String;
    default:
      return ValueKind::Other;
  }
}

std::optional<std::string> nameText(engine::Value value) {
  engine::ScriptApi& api = bindings::api();
  engine::Value text = 0;
  switch (kindOf(value)) {
    case ValueKind::Symbol:
      text = api.sym_to_s(value);
      break;
    case ValueKind::String:
      text = value;
      break;
    default:
      return std::nullopt;
  }
  return std::string(api.string_ptr(text), static_cast<std::size_t>(api.string_length(text)));
}

}  // namespace input
