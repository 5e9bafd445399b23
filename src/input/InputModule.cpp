#include <set>
#include <string>

#include "bindings/Binding.h"
#include "input/Input.h"
#include "input/private/InputSystem.h"
#include "input/private/ScriptModules.h"
#include "input/private/ScriptValues.h"
#include "platform/window/KeyNames.h"

namespace input {

namespace {

using bindings::api;
using bindings::Args;
using engine::Value;

constexpr const char* kConstantNames[] = {"LEFT", "RIGHT", "UP", "DOWN", "A",   "B",     "C",  "X",  "Y",
                                          "Z",    "L",     "R",  "CTRL", "ALT", "SHIFT", "F1", "F2", "F3",
                                          "F4",   "F5",    "F6", "F7",   "F8",  "F9",    "F10"};

InputState& keys() { return currentInput()->keys; }

// A key name: a Symbol's or String's text, or the name of a legacy integer code; upper-cased.
std::string queryName(Value key) {
  switch (kindOf(key)) {
    case ValueKind::Integer:
      return std::string(legacyCodeName(api().num2long(key)));
    case ValueKind::BigInteger:
      return {};
    case ValueKind::Symbol:
    case ValueKind::String:
      return upperCaseName(*nameText(key));
    case ValueKind::Other:
      break;
  }
  throw bindings::typeError("not an integer, a symbol or a string");
}

std::string flagName(Value name) {
  std::optional<std::string> text = nameText(name);
  if (!text) {
    throw bindings::typeError("not a symbol or a string");
  }
  return upperCaseName(*text);
}

// A virtual-key code; a value that does not fit 0-255 names no key.
std::int32_t keyHoldCount(Value code) {
  switch (kindOf(code)) {
    case ValueKind::Integer: {
      long value = api().num2long(code);
      return value < 0 || value > static_cast<long>(kHighestKey) ? 0 : keys().holdCount(static_cast<KeyCode>(value));
    }
    case ValueKind::BigInteger:
      return 0;
    default:
      throw bindings::typeError("not an integer");
  }
}

void inputReset(Value) {}

void inputUpdate(Value) {
  InputSystem& system = *currentInput();
  if (!system.keys.active()) {
    system.keys.update();
    system.controllers->clear();
    return;
  }
  system.controllers->poll();
  system.mouse.swapRecords();
  system.keys.update();
}

bool inputPress(Value, Value key) { return keys().press(queryName(key)); }
bool inputTrigger(Value, Value key) { return keys().trigger(queryName(key)); }
bool inputRepeat(Value, Value key) { return keys().repeat(queryName(key)); }
bool inputPressKey(Value, Value code) { return keyHoldCount(code) >= 1; }
bool inputTriggerKey(Value, Value code) { return keyHoldCount(code) == 1; }
bool inputRepeatKey(Value, Value code) { return isRepeat(keyHoldCount(code)); }
int inputDir4(Value) { return dir4(keys().directionStrengths()); }
int inputDir8(Value) { return dir8(keys().directionStrengths()); }
long inputRecentPressed(Value) { return static_cast<long>(keys().recentPressed()); }
long inputRecentTriggered(Value) { return static_cast<long>(keys().recentTriggered()); }

Value inputGetKeyName(Value, int code) {
  std::string name = windowing::keyNameOfVirtualKey(code);
  return api().str_new(name.data(), static_cast<long>(name.size()));
}

Value inputGetKeysFromFlag(Value, Value name) {
  std::vector<KeyCode> codes = keys().keysOf(flagName(name));
  Value array = api().ary_new_capa(static_cast<long>(codes.size()));
  for (KeyCode code : codes) {
    api().ary_push(array, api().int2num(static_cast<long>(code)));
  }
  return array;
}

struct CodeList {
  Value array = 0;
  std::set<KeyCode>* codes = nullptr;
};

// Runs under protect: an element that does not convert raises the interpreter's own error, which must not
// unwind past the set being filled.
Value collectCodes(Value context) {
  auto* list = reinterpret_cast<CodeList*>(context);
  long length = api().ary_length(list->array);
  for (long index = 0; index < length; ++index) {
    int code = api().num2int(api().ary_entry(list->array, index));
    list->codes->insert(static_cast<KeyCode>(code));
  }
  return api().nil;
}

Value inputSetKeysFromFlag(Value, Value name, Value codes) {
  int state = 0;
  {
    std::string flag = flagName(name);
    if (api().type_of(codes) != engine::kTypeArray) {
      throw bindings::typeError("wrong argument type");
    }
    std::set<KeyCode> collected;
    CodeList list{codes, &collected};
    api().protect(&collectCodes, reinterpret_cast<Value>(&list), &state);
    if (state == 0) {
      keys().setKeys(flag, collected);
    }
  }
  if (state != 0) {
    bindings::detail::prepareToRaise();
    api().jump_tag(state);
  }
  return codes;
}

void defineConstants(Value module) {
  engine::Id definedQuery = api().intern("const_defined?");
  for (const char* name : kConstantNames) {
    Value symbol = api().id2sym(api().intern(name));
    // A later run of the initialiser finds them defined; defining them again would warn.
    const Value arguments[2] = {symbol, api().false_value};
    if (api().funcall(module, definedQuery, 2, arguments) != api().true_value) {
      api().define_const(module, name, symbol);
    }
  }
}

}  // namespace

void defineInput() {
  bindings::adoptEngineClasses();
  bindings::ModuleDef input("Input");
  defineConstants(input.module());
  input.function<&inputReset>("__reset__")
      .function<&inputUpdate>("update")
      .function<&inputPress>("press?")
      .function<&inputTrigger>("trigger?")
      .function<&inputRepeat>("repeat?")
      .function<&inputPressKey>("press_key?")
      .function<&inputTriggerKey>("trigger_key?")
      .function<&inputRepeatKey>("repeat_key?")
      .function<&inputDir4>("dir4")
      .function<&inputDir8>("dir8")
      .function<&inputRecentPressed>("recent_pressed")
      .function<&inputRecentTriggered>("recent_triggered")
      .function<&inputGetKeyName>("get_key_name")
      .function<&inputGetKeysFromFlag>("get_keys_from_flag")
      .function<&inputSetKeysFromFlag>("set_keys_from_flag");
  resetInput();
  defineControllerModule(input.module());
  defineMouseModule();
}

}  // namespace input
