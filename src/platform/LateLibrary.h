#pragma once

// A shared library opened when the player first needs it rather than when it starts: libraries that pull in much
// (sound servers, hardware decoding, archive formats) and serve only some games cost every start their loading.

#include <dlfcn.h>

#include <string>

namespace platform {

// Opens `name` for the life of the process (what was made with its functions may live until the end) and finds
// functions in it; `error()` keeps the first failure, empty while everything was found.
class LateLibrary {
 public:
  explicit LateLibrary(const char* name) : m_name(name), m_handle(dlopen(name, RTLD_NOW | RTLD_LOCAL)) {
    if (m_handle == nullptr) {
      const char* why = dlerror();
      m_error = why != nullptr ? why : "cannot open " + m_name;
    }
  }

  template <typename Function>
  void find(const char* symbol, Function* out) {
    *out = m_handle != nullptr ? reinterpret_cast<Function>(dlsym(m_handle, symbol)) : nullptr;
    if (*out == nullptr && m_error.empty()) m_error = m_name + " has no " + symbol;
  }

  const std::string& error() const { return m_error; }

 private:
  std::string m_name;
  void* m_handle;
  std::string m_error;
};

// Defines `struct TABLE`, a pointer of its declared type for every function that FUNCTIONS(X) names plus `error`
// (empty when every one was found), and `TABLE loadTABLE()`, which opens `library` and finds them. Use it inside an
// anonymous namespace, with the functions' header included.
#define QUILLON_LATE_TABLE(TABLE, FUNCTIONS, library) \
  struct TABLE {                                      \
    FUNCTIONS(QUILLON_LATE_TABLE_MEMBER)              \
    std::string error;                                \
  };                                                  \
  TABLE load##TABLE() {                               \
    TABLE table;                                      \
    ::platform::LateLibrary opened(library);          \
    FUNCTIONS(QUILLON_LATE_TABLE_FIND)                \
    table.error = opened.error();                     \
    return table;                                     \
  }
#define QUILLON_LATE_TABLE_MEMBER(name) decltype(&::name) name = nullptr;
#define QUILLON_LATE_TABLE_FIND(name) opened.find(#name, &table.name);

// The table of functions that `load` fills, made by the first call from any thread and kept for the process;
// null while the table's `error` says what is missing, and then `error`, if given, holds that.
template <typename Table, Table (*load)()>
const Table* loadedTable(std::string* error) {
  static const Table table = load();
  if (!table.error.empty()) {
    if (error != nullptr) *error = table.error;
    return nullptr;
  }
  return &table;
}

}  // namespace platform
