#include "tests/support/ValueClassEngine.h"

#include "bindings/ValueClasses.h"
#include "engine/Engine.h"

namespace test {

void startEngineWithValueClasses(engine::ScriptApi& api) {
  engine::fillScriptApi(api);
  engine::g_scriptApi = &api;
  engine::hooks().tableGet = bindings::tableElementGet;
  engine::hooks().tableSet = bindings::tableElementSet;
  RGSSInitialize3(nullptr);
  const engine::EngineGlobals& globals = engine::globals();
  api.object_class = globals.object_class;
  api.type_error = globals.type_error;
  api.script_error = globals.script_error;
  api.rect_class = globals.rect_class;
  api.table_class = globals.table_class;
  api.font_registry = globals.font_registry;
  bindings::defineColor();
  bindings::defineTone();
  bindings::defineErrorClasses();
}

}  // namespace test
