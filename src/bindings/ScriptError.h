#pragma once

// The one way C++ code hands an error to a script. Raising unwinds with longjmp, which would skip the
// destructors of every C++ frame in between; so code under a binding throws a ScriptError, and the method
// trampoline (Binding.h) catches it and raises the script exception once those frames are gone.

#include <exception>
#include <string>

#include "engine/ScriptApi.h"

namespace bindings {

class ScriptError : public std::exception {
 public:
  ScriptError(engine::Value errorClass, std::string message)
      : m_class(errorClass), m_message(std::move(message)) {}

  // The interpreter's argument-count error, worded by its own check.
  static ScriptError arity(int expected, int given) {
    ScriptError error(0, "wrong number of arguments");
    error.m_arity = true;
    error.m_expected = expected;
    error.m_given = given;
    return error;
  }

  bool isArity() const { return m_arity; }
  engine::Value errorClass() const { return m_class; }
  int expected() const { return m_expected; }
  int given() const { return m_given; }
  const std::string& message() const { return m_message; }
  const char* what() const noexcept override { return m_message.c_str(); }

 private:
  engine::Value m_class = 0;
  std::string m_message;
  bool m_arity = false;
  int m_expected = 0;
  int m_given = 0;
};

// printf-style constructors, named after the class they raise: `throw typeError("can't convert ...")`.
[[nodiscard]] ScriptError scriptError(const char* format, ...) __attribute__((format(printf, 1, 2)));
[[nodiscard]] ScriptError typeError(const char* format, ...) __attribute__((format(printf, 1, 2)));
[[nodiscard]] ScriptError argumentError(const char* format, ...) __attribute__((format(printf, 1, 2)));
[[nodiscard]] ScriptError indexError(const char* format, ...) __attribute__((format(printf, 1, 2)));
[[nodiscard]] ScriptError rangeError(const char* format, ...) __attribute__((format(printf, 1, 2)));
[[nodiscard]] ScriptError d3dError(const char* format, ...) __attribute__((format(printf, 1, 2)));
[[nodiscard]] ScriptError errorOf(engine::Value errorClass, const char* format, ...)
    __attribute__((format(printf, 2, 3)));
[[nodiscard]] inline ScriptError arityError(int expected, int given) {
  return ScriptError::arity(expected, given);
}

// Interpreter error classes that ScriptApi has no member for. Looked up once, when the first class is
// defined (lookupStandardErrors), so that throwing never evaluates anything.
engine::Value argumentErrorClass();
engine::Value indexErrorClass();
engine::Value rangeErrorClass();
engine::Value noMemoryErrorClass();
void lookupStandardErrors();

}  // namespace bindings
