#pragma once

// The table through which everything above the engine reaches the script interpreter. Only the engine
// includes the interpreter's headers; the player sees values as opaque words and calls these members.

#include <cstddef>
#include <cstdint>
#include <string>

namespace host {
struct LaunchConfig;
}

namespace engine {

// An interpreter value: the interpreter's own machine word. Never compare it with literal numbers;
// nil, true and false are the members of ScriptApi.
using Value = std::uintptr_t;
// An interned name.
using Id = std::uintptr_t;

// Type tags answered by type_of and checked by check_type.
inline constexpr int kTypeFloat = 0x04;
inline constexpr int kTypeString = 0x05;
inline constexpr int kTypeArray = 0x07;
inline constexpr int kTypeBignum = 0x0A;
inline constexpr int kTypeData = 0x0C;
inline constexpr int kTypeSymbol = 0x14;
inline constexpr int kTypeFixnum = 0x15;

// A method body of any arity, as it is handed to define_method. Fixed arity n receives
// (self, arg1 ... argn); arity -1 receives (int argc, const Value* argv, Value self).
using AnyMethod = Value (*)(...);
using VariadicMethod = Value (*)(int argc, const Value* argv, Value self);
using AllocFunc = Value (*)(Value klass);
using MarkFunc = void (*)(void* record);
using FreeFunc = void (*)(void* record);
using ProtectedFunc = Value (*)(Value arg);

// Engine rectangle data: the fields keep this order.
struct RectData {
  std::int32_t x = 0;
  std::int32_t y = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;
};

// Engine table data. `dimensions` is negated (-d) once an element has been written through the player's
// writer: the tilemap reads that as "modified".
struct TableData {
  std::int32_t dimensions = 1;
  std::int32_t xsize = 0;
  std::int32_t ysize = 1;
  std::int32_t zsize = 1;
  std::int32_t size = 0;
  std::int16_t* elements = nullptr;
};

// A whole game file read through the file layer (archive, loose file or runtime package).
struct GameFile {
  std::string path;  // where it was found: the archive member's name, else the path on disk
  const std::uint8_t* bytes = nullptr;
  std::size_t size = 0;
};

// What a name should be probed as when it has no extension.
enum class FileKind { Any, Image, Audio };

struct FontEntry;
class FontRegistry;

struct ScriptApi {
  void* library_base = nullptr;
  host::LaunchConfig* launch_config = nullptr;

  Value (*define_class)(const char* name, Value superclass) = nullptr;
  Value (*define_class_under)(Value outer, const char* name, Value superclass) = nullptr;
  void (*define_alloc_func)(Value klass, AllocFunc allocator) = nullptr;
  Id (*intern)(const char* name) = nullptr;
  Value (*define_module)(const char* name) = nullptr;
  void (*define_module_function)(Value module, const char* name, AnyMethod function, int arity) = nullptr;
  // Evaluates at top level; an error propagates into the caller's script.
  Value (*eval_string)(const char* text) = nullptr;
  // Evaluates at top level; an error is caught, *state (when given) becomes nonzero.
  Value (*eval_string_protect)(const char* text, int* state) = nullptr;
  int (*scan_args)(int argc, const Value* argv, const char* format, ...) = nullptr;
  void (*define_method)(Value klass, const char* name, AnyMethod function, int arity) = nullptr;
  Value (*str_new)(const char* bytes, long length) = nullptr;
  void (*define_const)(Value module, const char* name, Value value) = nullptr;
  Value (*string_value)(Value* value) = nullptr;
  const char* (*string_value_ptr)(Value* value) = nullptr;
  bool (*obj_is_kind_of)(Value value, Value klass) = nullptr;
  // Raises `klass` with a printf-formatted message; does not return.
  void (*raise)(Value klass, const char* format, ...) = nullptr;
  const char* (*class_name)(Value klass) = nullptr;
  Value (*ary_new)() = nullptr;
  Value (*ary_push)(Value array, Value value) = nullptr;
  Value (*data_wrap)(Value klass, void* record, MarkFunc mark, FreeFunc release) = nullptr;
  void (*check_type)(Value value, int typeTag) = nullptr;
  void (*check_frozen)(Value value) = nullptr;
  bool (*obj_is_instance_of)(Value value, Value klass) = nullptr;
  Value (*obj_class)(Value value) = nullptr;
  // Raises the argument-count error when given differs from expected.
  void (*check_arity)(int expected, int given) = nullptr;
  Value (*class_of)(Value value) = nullptr;
  Value (*obj_as_string)(Value value) = nullptr;
  int (*type_of)(Value value) = nullptr;
  Value (*float_new)(double value) = nullptr;
  double (*num2dbl)(Value value) = nullptr;
  Value (*ary_new_capa)(long capacity) = nullptr;
  // Hidden instance variables: names without the at-sign are invisible to scripts and to Marshal.
  void (*iv_set)(Value object, const char* name, Value value) = nullptr;
  Value (*iv_get)(Value object, const char* name) = nullptr;
  bool (*block_given)() = nullptr;
  Value (*enumeratorize)(Value object, Value methodSymbol, int argc, const Value* argv) = nullptr;
  Id (*this_method)() = nullptr;
  Value (*yield)(Value value) = nullptr;
  // Sleeps while letting script threads run.
  void (*thread_wait_for)(long seconds, long microseconds) = nullptr;
  // Raises the system error of the current error number, with `text` as its detail.
  void (*sys_fail)(const char* text) = nullptr;
  int* (*errno_location)() = nullptr;
  Value (*sym_to_s)(Value symbol) = nullptr;
  Value (*define_module_under)(Value outer, const char* name) = nullptr;
  // Appends the UTF-16 form of zero-terminated UTF-8 text to `wide` (invalid bytes become U+FFFD).
  void (*utf8_to_wide)(const char* text, std::u16string* wide) = nullptr;
  // A new engine rectangle (0, 0, 0, 0); rect_data gives its fields.
  Value (*rect_new)() = nullptr;
  Value (*str_new_cstr)(const char* text) = nullptr;
  int (*num2int)(Value value) = nullptr;
  // Ends the process with `code` at once.
  void (*process_exit)(int code) = nullptr;
  const FontEntry* (*font_lookup)(const char16_t* name) = nullptr;
  bool (*font_found)(const FontEntry* entry) = nullptr;
  // Reads a whole game file, archive first; null when it is found nowhere or cannot be read
  // (errno_location() then holds ENOENT or EIO).
  const GameFile* (*file_open)(const char* name, FileKind kind) = nullptr;
  void (*file_release)(const GameFile* file) = nullptr;

  Value type_error = 0;
  Value script_error = 0;
  Value object_class = 0;
  Value d3d_error_class = 0;
  Value color_array_class = 0;
  Value rect_class = 0;
  Value table_class = 0;
  FontRegistry* font_registry = nullptr;

  // Object fields through accessors, so no caller depends on the interpreter's memory layout.
  void* (*data_ptr)(Value data) = nullptr;
  const char* (*string_ptr)(Value string) = nullptr;
  long (*string_length)(Value string) = nullptr;
  long (*ary_length)(Value array) = nullptr;
  Value (*ary_entry)(Value array, long index) = nullptr;
  double (*float_value)(Value number) = nullptr;
  RectData* (*rect_data)(Value rect) = nullptr;
  TableData* (*table_data)(Value table) = nullptr;

  // Values and conversions, so no caller hard-codes the interpreter's value encoding.
  Value nil = 0;
  Value true_value = 0;
  Value false_value = 0;
  Value (*int2num)(long value) = nullptr;
  long (*num2long)(Value value) = nullptr;
  Value (*id2sym)(Id id) = nullptr;
  Id (*sym2id)(Value symbol) = nullptr;

  // Calls back into scripts, for callbacks and for guarding C++ frames against unwinding.
  Value (*funcall)(Value receiver, Id method, int argc, const Value* argv) = nullptr;
  bool (*respond_to)(Value receiver, Id method) = nullptr;
  Value (*protect)(ProtectedFunc function, Value arg, int* state) = nullptr;
  // Re-raises the error a protect or eval_string_protect caught (state nonzero).
  void (*jump_tag)(int state) = nullptr;
  Value (*errinfo)() = nullptr;
  void (*gc_register)(Value* address) = nullptr;

  // Operations the player's own classes need beyond the interpreter entry points above.
  // Replaces a data object's record pointer (a view whose storage went away is pointed at nothing).
  void (*data_set_ptr)(Value data, void* record) = nullptr;
  // The bytes of a string that is about to be written in place: unshared first, raises when frozen.
  char* (*string_mutable_ptr)(Value string) = nullptr;
  // A string of raw bytes (binary encoding), as _dump forms must be for Marshal to store them unchanged.
  Value (*binary_str_new)(const char* bytes, long length) = nullptr;
};

// The process-wide table, published by the boot before anything defines a class.
extern ScriptApi* g_scriptApi;

// Fills every function member and the value members with the built-in engine's implementations.
void fillScriptApi(ScriptApi& api);

}  // namespace engine
