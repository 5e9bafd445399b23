#include <span>
#include <string>

#include "bindings/Binding.h"
#include "input/private/InputSystem.h"
#include "input/private/ScriptModules.h"
#include "input/private/ScriptValues.h"
#include "platform/window/Cursor.h"

namespace input {

namespace {

using bindings::api;
using bindings::Args;
using engine::Value;

MouseState& mouse() { return currentInput()->mouse; }

// The optional button argument as a mask: an Integer itself, "L" 1, "R" 2, "M" 4, any other name 0.
int buttonMask(Args args) {
  args.require(0, 1);
  if (args.count == 0) {
    return kMouseAny;
  }
  Value button = args[0];
  switch (kindOf(button)) {
    case ValueKind::Integer:
      return static_cast<int>(api().num2long(button) & kMouseAny);
    case ValueKind::BigInteger:
      return 0;
    case ValueKind::Symbol:
    case ValueKind::String: {
      std::string name = nameText(button).value_or(std::string());
      if (name.size() != 1) {
        return 0;
      }
      return name[0] == 'L' ? kMouseLeft : name[0] == 'R' ? kMouseRight : name[0] == 'M' ? kMouseMiddle : 0;
    }
    case ValueKind::Other:
      break;
  }
  throw bindings::typeError("not an integer or a symbol");
}

int mouseX(Value) { return mouse().position().x; }
int mouseY(Value) { return mouse().position().y; }
bool mouseDown(Value, Args args) { return anyMasked(mouse().previous().down, buttonMask(args)); }
bool mouseUp(Value, Args args) { return anyMasked(mouse().previous().up, buttonMask(args)); }
bool mouseDoubleClick(Value, Args args) { return anyMasked(mouse().previous().doubleClick, buttonMask(args)); }
bool mousePress(Value, Args args) { return mouse().held(buttonMask(args)); }
int mouseScroll(Value) { return mouse().previous().wheel; }
bool mouseMove(Value) { return mouse().previous().moved != 0; }

bool mouseSetPos(Value, int x, int y) {
  windowing::GameWindow* window = attachedWindow();
  return window != nullptr && windowing::warpPointer(*window, x, y);
}

// Read through the game's file layer, so a name written with "\\" or in another letter case is found as
// on the case-insensitive system the game was made on.
bool mouseSetCursor(Value, std::string_view file) {
  std::string name(file);
  const engine::GameFile* cursor = api().file_open(name.c_str(), engine::FileKind::Any);
  if (cursor == nullptr) {
    return false;
  }
  bool set = windowing::setCursorFromImage(std::span(cursor->bytes, cursor->size));
  api().file_release(cursor);
  return set;
}

bool mouseSysCursor(Value) { return windowing::useSystemCursor(); }

Value mouseClip(Value, Args args) {
  if (args.count != 0 && args.count != 4) {
    return api().nil;
  }
  windowing::GameWindow* window = attachedWindow();
  std::optional<windowing::PointerRect> rect;
  if (args.count == 4) {
    rect = windowing::PointerRect{api().num2int(args[0]), api().num2int(args[1]), api().num2int(args[2]),
                                  api().num2int(args[3])};
  }
  return bindings::toValue(window != nullptr && windowing::confinePointer(*window, rect));
}

void mouseSetSize(Value, int divisor) {
  if (!mouse().setSizeDivisor(divisor)) {
    throw bindings::argumentError("mouse size divisor must be 1 or more (given %d)", divisor);
  }
}

bool mouseVisible(Value) { return currentInput()->pointerVisible; }

void mouseSetVisible(Value, bool visible) {
  currentInput()->pointerVisible = visible;
  windowing::showPointer(visible);
}

}  // namespace

void defineMouseModule() {
  bindings::ModuleDef("Mouse")
      .function<&mouseX>("x")
      .function<&mouseY>("y")
      .function<&mouseDown>("down?")
      .function<&mouseDown>("click?")
      .function<&mouseUp>("up?")
      .function<&mouseDoubleClick>("dbl_clk?")
      .function<&mousePress>("press?")
      .function<&mouseScroll>("scroll")
      .function<&mouseMove>("move")
      .function<&mouseSetPos>("set_pos")
      .function<&mouseSetCursor>("set_cursor")
      .function<&mouseSysCursor>("sys_cursor")
      .function<&mouseClip>("clip")
      .function<&mouseSetSize>("set_size")
      .function<&mouseVisible>("visible");
  // A module's setter returns its argument, as every setter does.
  Value module = api().define_module("Mouse");
  api().define_module_function(
      module, "visible=", reinterpret_cast<engine::AnyMethod>(&bindings::detail::Entry<&mouseSetVisible>::setter), 1);
}

}  // namespace input
