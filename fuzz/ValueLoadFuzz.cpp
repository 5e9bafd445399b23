// The saved-game forms of Table, Color and Tone: the first byte picks the class, the rest is handed to its
// `_load`; whatever loads is dumped again and loaded back. Errors raised to the script are expected; crashes,
// reads outside the data and huge allocations are not.

#include "engine/Engine.h"
#include "fuzz/FuzzInput.h"
#include "tests/support/ValueClassEngine.h"

namespace {

engine::ScriptApi g_api;
engine::Value g_classes[3] = {};

struct Call {
  engine::Value klass = 0;
  engine::Value bytes = 0;
};

engine::Value loadAndDumpAgain(engine::Value argument) {
  const Call& call = *reinterpret_cast<const Call*>(argument);
  const engine::Value loaded = g_api.funcall(call.klass, g_api.intern("_load"), 1, &call.bytes);
  const engine::Value depth = g_api.int2num(0);
  const engine::Value again = g_api.funcall(loaded, g_api.intern("_dump"), 1, &depth);
  return g_api.funcall(call.klass, g_api.intern("_load"), 1, &again);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char***) {
  // libFuzzer's main holds argc: that frame encloses every input, so the collector scans from there.
  engine::initInterpreterStack(argc);
  test::startEngineWithValueClasses(g_api);
  g_classes[0] = g_api.table_class;
  g_classes[1] = g_api.eval_string("Color");
  g_classes[2] = g_api.eval_string("Tone");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  Call call{g_classes[data[0] % 3],
            g_api.binary_str_new(reinterpret_cast<const char*>(data + 1), static_cast<long>(size - 1))};
  int state = 0;
  g_api.protect(loadAndDumpAgain, reinterpret_cast<engine::Value>(&call), &state);
  return 0;
}
