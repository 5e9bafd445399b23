#include "host/VornModule.h"

#include <string>

#include "engine/ScriptApi.h"
#include "host/ConsoleBuffer.h"
#include "host/LaunchConfig.h"

namespace host {

namespace {

engine::Value consoleInput(engine::Value) {
  // A static buffer: making the script string may raise, and a raise must not skip a local's destructor.
  static std::string text;
  text = g_launchConfig != nullptr ? g_launchConfig->consoleInput.take() : std::string();
  if (!text.empty()) {
    text = consoleLineText(text);
  }
  return engine::g_scriptApi->str_new(text.data(), static_cast<long>(text.size()));
}

}  // namespace

void defineConsoleInput() {
  engine::ScriptApi& api = *engine::g_scriptApi;
  engine::Value vorn = api.define_module("VORN");
  api.define_module_function(vorn, "console_input", reinterpret_cast<engine::AnyMethod>(&consoleInput), 0);
}

}  // namespace host
