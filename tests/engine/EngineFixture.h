#pragma once

// Starts the built-in engine once per test process and evaluates Ruby for the tests.

#include <string>

#include "engine/Engine.h"
#include "engine/ScriptApi.h"

namespace engine::testing {

inline ScriptApi& startEngine() {
  static ScriptApi api;
  static bool started = false;
  if (!started) {
    fillScriptApi(api);
    g_scriptApi = &api;
    RGSSInitialize3(nullptr);
    api.object_class = globals().object_class;
    api.type_error = globals().type_error;
    api.script_error = globals().script_error;
    api.rect_class = globals().rect_class;
    api.table_class = globals().table_class;
    api.font_registry = globals().font_registry;
    started = true;
  }
  return api;
}

inline std::string toText(Value value) {
  ScriptApi& api = startEngine();
  Value text = api.obj_as_string(value);
  return std::string(api.string_ptr(text), static_cast<size_t>(api.string_length(text)));
}

// The value of `code`, or nil with *error set to "Class: message" when it raised.
inline Value evalRuby(const std::string& code, std::string* error = nullptr) {
  ScriptApi& api = startEngine();
  int state = 0;
  Value result = api.eval_string_protect(code.c_str(), &state);
  if (state != 0) {
    Value exception = api.errinfo();
    if (error != nullptr) {
      *error = std::string(api.class_name(api.class_of(exception))) + ": " + toText(exception);
    }
    api.eval_string_protect("$! = nil", nullptr);
    return api.nil;
  }
  if (error != nullptr) {
    error->clear();
  }
  return result;
}

// `code` evaluated and converted with to_s (inspect is often clearer: pass ".inspect" in the code).
inline std::string evalText(const std::string& code) {
  std::string error;
  Value value = evalRuby(code, &error);
  return error.empty() ? toText(value) : "raised " + error;
}

}  // namespace engine::testing
