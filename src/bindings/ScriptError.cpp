#include "bindings/ScriptError.h"

#include <cstdarg>
#include <cstdio>

namespace bindings {

namespace {

struct StandardErrors {
  engine::Value argument = 0;
  engine::Value index = 0;
  engine::Value range = 0;
  engine::Value noMemory = 0;
};

StandardErrors g_errors;

std::string formatMessage(const char* format, va_list args) {
  va_list copy;
  va_copy(copy, args);
  int length = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  if (length <= 0) {
    return {};
  }
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  std::vsnprintf(text.data(), text.size(), format, args);
  text.resize(static_cast<std::size_t>(length));
  return text;
}

engine::Value lookup(engine::Value* slot, const char* name) {
  if (*slot == 0) {
    *slot = engine::g_scriptApi->eval_string(name);
    engine::g_scriptApi->gc_register(slot);
  }
  return *slot;
}

}  // namespace

#define QUILLON_ERROR_FACTORY(function, classExpression)  \
  ScriptError function(const char* format, ...) {         \
    va_list args;                                          \
    va_start(args, format);                                \
    std::string message = formatMessage(format, args);     \
    va_end(args);                                          \
    return ScriptError(classExpression, std::move(message)); \
  }

QUILLON_ERROR_FACTORY(scriptError, engine::g_scriptApi->script_error)
QUILLON_ERROR_FACTORY(typeError, engine::g_scriptApi->type_error)
QUILLON_ERROR_FACTORY(argumentError, argumentErrorClass())
QUILLON_ERROR_FACTORY(indexError, indexErrorClass())
QUILLON_ERROR_FACTORY(rangeError, rangeErrorClass())
QUILLON_ERROR_FACTORY(d3dError, engine::g_scriptApi->d3d_error_class)

#undef QUILLON_ERROR_FACTORY

ScriptError errorOf(engine::Value errorClass, const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string message = formatMessage(format, args);
  va_end(args);
  return ScriptError(errorClass, std::move(message));
}

engine::Value argumentErrorClass() {
  return lookup(&g_errors.argument, "ArgumentError");
}

engine::Value indexErrorClass() {
  return lookup(&g_errors.index, "IndexError");
}

engine::Value rangeErrorClass() {
  return lookup(&g_errors.range, "RangeError");
}

engine::Value noMemoryErrorClass() {
  return lookup(&g_errors.noMemory, "NoMemoryError");
}

void lookupStandardErrors() {
  argumentErrorClass();
  indexErrorClass();
  rangeErrorClass();
  noMemoryErrorClass();
}

}  // namespace bindings
