#pragma once

// The embedded Ruby interpreter. Only engine sources include this header: it brings in ruby.h.

#include <ruby.h>

#include <string>
#include <string_view>

namespace engine {

// Starts the interpreter once per process; later calls do nothing.
void startInterpreter();
bool interpreterRunning();

// Evaluates `code` at top level under `fileName`, catching any error. Returns the protect state
// (0 = success); the error stays in $! for the caller to report.
int evalProtected(std::string_view code, const char* fileName, VALUE* result = nullptr);

// Runs a built-in script from the instruction sequence compiled from it at build time (`compiledSize` bytes at
// `compiled`), or from its text `code` where this interpreter refuses that (another version than the build's).
// Either failing is a bug of ours and stops the process.
void runBuiltinScript(const char* code, const char* compiled, unsigned long compiledSize, const char* name);

// The error the last protected call caught, as "Class: message" lines for logs.
std::string describeError(VALUE error);

// Flushes $stdout and $stderr: the interpreter is never torn down, so buffered output would be lost.
void flushScriptOutput();

// Engine-wide classes (defined when the interpreter starts).
VALUE scriptErrorClass();
VALUE resetClass();

}  // namespace engine
