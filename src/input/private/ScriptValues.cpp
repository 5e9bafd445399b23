#include "input/private/ScriptValues.h"

#include "bindings/Convert.h"

namespace input {

ValueKind kindOf(engine::Value value) {
  switch (bindings::api().type_of(value)) {
    case engine::kTypeFixnum:
      return ValueKind::Integer;
    case engine::kTypeBignum:
      return ValueKind::BigInteger;
    case engine::kTypeSymbol:
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
