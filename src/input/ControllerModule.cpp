#include <memory>

#include "bindings/Binding.h"
#include "input/private/InputSystem.h"
#include "input/private/ScriptModules.h"
#include "input/private/ScriptValues.h"

namespace input {

// The record of an Input::Controller::State: one pad of one controller table, read live.
struct PadView {
  std::shared_ptr<const ControllerTable> table;
  int pad = 0;

  const PadRecord& record() const {
    static const PadRecord kNoPad;
    return table != nullptr ? table->pad(pad) : kNoPad;
  }
};

namespace {

using bindings::api;
using bindings::Args;
using engine::Value;

Value newPadView(int pad) {
  Value object = bindings::newRecordObject<PadView>();
  PadView& view = bindings::liveRecord<PadView>(object);
  view.table = currentInput()->controllers;
  view.pad = pad;
  return object;
}

Value controllerStates(Value) {
  Value states = api().ary_new_capa(kPadCount);
  for (int pad = 0; pad < kPadCount; ++pad) {
    api().ary_push(states, newPadView(pad));
  }
  return states;
}

Value controllerFirstState(Value) {
  for (int pad = 0; pad < kPadCount; ++pad) {
    if (currentInput()->controllers->pad(pad).connected) {
      return newPadView(pad);
    }
  }
  return api().nil;
}

Value stateNew(Value, Args) { throw bindings::scriptError("cannot create built-in classes"); }

Value stateInitializeCopy(Value, Value) { throw bindings::scriptError("cannot copy built-in classes"); }

// A bit index 0-15, or -1 for a name that is no button.
int buttonArg(Value button) {
  switch (kindOf(button)) {
    case ValueKind::Integer:
    case ValueKind::BigInteger: {
      long index = kindOf(button) == ValueKind::Integer ? api().num2long(button) : -1;
      if (index < 0 || index >= kButtonCount) {
        throw bindings::scriptError("index out of range");
      }
      return static_cast<int>(index);
    }
    case ValueKind::Symbol:
    case ValueKind::String:
      return buttonIndex(*nameText(button));
    case ValueKind::Other:
      break;
  }
  throw bindings::typeError("not an integer or a symbol");
}

int leftTrigger(const PadView& view) { return view.record().current.leftTrigger; }
int rightTrigger(const PadView& view) { return view.record().current.rightTrigger; }
int thumbLeftX(const PadView& view) { return view.record().current.thumbLeftX; }
int thumbLeftY(const PadView& view) { return view.record().current.thumbLeftY; }
int thumbRightX(const PadView& view) { return view.record().current.thumbRightX; }
int thumbRightY(const PadView& view) { return view.record().current.thumbRightY; }
Stick leftStick(const PadView& view) { return {view.record().current.thumbLeftX, view.record().current.thumbLeftY}; }
Stick rightStick(const PadView& view) { return {view.record().current.thumbRightX, view.record().current.thumbRightY}; }
int thumbLeftDir4(const PadView& view) { return stickDir4(leftStick(view)); }
int thumbRightDir4(const PadView& view) { return stickDir4(rightStick(view)); }
int thumbLeftDir8(const PadView& view) { return stickDir8(leftStick(view)); }
int thumbRightDir8(const PadView& view) { return stickDir8(rightStick(view)); }

bool statePress(const PadView& view, Value button) {
  int index = buttonArg(button);
  return index >= 0 && view.record().press(index);
}
bool stateTrigger(const PadView& view, Value button) {
  int index = buttonArg(button);
  return index >= 0 && view.record().trigger(index);
}
bool stateRepeat(const PadView& view, Value button) {
  int index = buttonArg(button);
  return index >= 0 && view.record().repeat(index);
}

Value statePressedButtons(const PadView& view) {
  Value buttons = api().ary_new();
  for (int index = 0; index < kButtonCount; ++index) {
    if (view.record().press(index)) {
      api().ary_push(buttons, api().int2num(index));
    }
  }
  return buttons;
}

void defineStateClass(Value controllerModule) {
  Value klass = api().define_class_under(controllerModule, "State", api().object_class);
  if (bindings::ScriptClass<PadView>::value == 0) {
    api().gc_register(&bindings::ScriptClass<PadView>::value);
  }
  bindings::ScriptClass<PadView>::value = klass;
  api().define_alloc_func(klass, &bindings::ClassDef<PadView>::allocate);
  bindings::defineClassMethod<&stateNew>(klass, "new");
  bindings::defineMethod<&stateInitializeCopy>(klass, "initialize_copy");
  bindings::defineMethod<&leftTrigger>(klass, "left_trigger_value");
  bindings::defineMethod<&rightTrigger>(klass, "right_trigger_value");
  bindings::defineMethod<&thumbLeftX>(klass, "thumb_left_x");
  bindings::defineMethod<&thumbLeftY>(klass, "thumb_left_y");
  bindings::defineMethod<&thumbRightX>(klass, "thumb_right_x");
  bindings::defineMethod<&thumbRightY>(klass, "thumb_right_y");
  bindings::defineMethod<&thumbLeftDir4>(klass, "thumb_left_dir4");
  bindings::defineMethod<&thumbRightDir4>(klass, "thumb_right_dir4");
  bindings::defineMethod<&thumbLeftDir8>(klass, "thumb_left_dir8");
  bindings::defineMethod<&thumbRightDir8>(klass, "thumb_right_dir8");
  bindings::defineMethod<&statePress>(klass, "press?");
  bindings::defineMethod<&stateTrigger>(klass, "trigger?");
  bindings::defineMethod<&stateRepeat>(klass, "repeat?");
  bindings::defineMethod<&statePressedButtons>(klass, "pressed_buttons");
}

}  // namespace

void defineControllerModule(Value inputModule) {
  bindings::ModuleDef controller(inputModule, "Controller");
  controller.function<&controllerStates>("states").function<&controllerFirstState>("first_state");
  defineStateClass(controller.module());
}

}  // namespace input
