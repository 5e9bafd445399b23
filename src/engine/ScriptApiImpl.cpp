// The built-in engine's side of ScriptApi: each member is the interpreter's own function where the
// signatures agree, else a small adapter.

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>

#include "engine/Engine.h"
#include "engine/FileLayer.h"
#include "engine/FontRegistry.h"
#include "engine/Utf.h"
#include "engine/private/EngineClasses.h"
#include "engine/private/Interpreter.h"

namespace engine {

ScriptApi* g_scriptApi = nullptr;

namespace {

using RubyAnyArgs = VALUE (*)(ANYARGS);

RubyAnyArgs rubyFunction(AnyMethod function) {
  return reinterpret_cast<RubyAnyArgs>(function);
}

[[noreturn]] void raiseFormatted(Value klass, const char* format, ...) {
  char message[1024];
  va_list args;
  va_start(args, format);
  vsnprintf(message, sizeof(message), format, args);
  va_end(args);
  rb_raise(klass, "%s", message);
}

int scanArgs(int argc, const Value* argv, const char* format, ...) {
  // Up to ten outputs: as many as any binding of ours takes.
  va_list args;
  va_start(args, format);
  VALUE* out[10] = {};
  int wanted = 0;
  for (const char* p = format; *p != '\0' && wanted < 10; ++p) {
    if (*p >= '0' && *p <= '9') {
      wanted += *p - '0';
    } else if (*p == '*' || *p == '&' || *p == ':') {
      ++wanted;
    }
  }
  for (int i = 0; i < wanted && i < 10; ++i) {
    out[i] = va_arg(args, VALUE*);
  }
  va_end(args);
  return rb_scan_args(argc, argv, format, out[0], out[1], out[2], out[3], out[4], out[5], out[6], out[7], out[8],
                      out[9]);
}

// One allocation holds the record and the bytes, so releasing it is a single delete.
struct OwnedFile : GameFile {
  std::vector<std::uint8_t> storage;
};

const GameFile* fileOpen(const char* name, FileKind kind) {
  std::string error;
  auto found = FileLayer::instance().open(name, kind, &error);
  if (!found) {
    errno = error.empty() ? ENOENT : EIO;
    if (!error.empty()) {
      std::fprintf(stderr, "[engine] %s: %s\n", name, error.c_str());
    }
    return nullptr;
  }
  auto* file = new OwnedFile;
  file->path = std::move(found->path);
  file->storage = std::move(found->bytes);
  file->bytes = file->storage.data();
  file->size = file->storage.size();
  return file;
}

void fileRelease(const GameFile* file) {
  delete static_cast<const OwnedFile*>(file);
}

}  // namespace

void fillScriptApi(ScriptApi& api) {
  api.define_class = [](const char* name, Value super) -> Value { return rb_define_class(name, super); };
  api.define_class_under = [](Value outer, const char* name, Value super) -> Value {
    return rb_define_class_under(outer, name, super);
  };
  api.define_alloc_func = [](Value klass, AllocFunc allocator) { rb_define_alloc_func(klass, allocator); };
  api.intern = [](const char* name) -> Id { return rb_intern(name); };
  api.define_module = [](const char* name) -> Value { return rb_define_module(name); };
  api.define_module_function = [](Value module, const char* name, AnyMethod function, int arity) {
    (rb_define_module_function)(module, name, rubyFunction(function), arity);
  };
  api.eval_string = [](const char* text) -> Value { return rb_eval_string(text); };
  api.eval_string_protect = [](const char* text, int* state) -> Value {
    int ignored = 0;
    return rb_eval_string_protect(text, state != nullptr ? state : &ignored);
  };
  api.scan_args = scanArgs;
  api.define_method = [](Value klass, const char* name, AnyMethod function, int arity) {
    (rb_define_method)(klass, name, rubyFunction(function), arity);
  };
  api.str_new = [](const char* bytes, long length) -> Value { return rb_utf8_str_new(bytes, length); };
  api.define_const = [](Value module, const char* name, Value value) { rb_define_const(module, name, value); };
  api.string_value = [](Value* value) -> Value { return rb_string_value(value); };
  api.string_value_ptr = [](Value* value) -> const char* { return rb_string_value_ptr(value); };
  api.obj_is_kind_of = [](Value value, Value klass) { return RTEST(rb_obj_is_kind_of(value, klass)); };
  api.raise = raiseFormatted;
  api.class_name = [](Value klass) -> const char* { return rb_class2name(klass); };
  api.ary_new = []() -> Value { return rb_ary_new(); };
  api.ary_push = [](Value array, Value value) -> Value { return rb_ary_push(array, value); };
  api.data_wrap = [](Value klass, void* record, MarkFunc mark, FreeFunc release) -> Value {
    return rb_data_object_wrap(klass, record, mark, release);
  };
  api.check_type = [](Value value, int tag) { rb_check_type(value, tag); };
  api.check_frozen = [](Value value) { rb_check_frozen(value); };
  api.obj_is_instance_of = [](Value value, Value klass) { return RTEST(rb_obj_is_instance_of(value, klass)); };
  api.obj_class = [](Value value) -> Value { return rb_obj_class(value); };
  api.check_arity = [](int expected, int given) {
    if (expected != given) {
      rb_error_arity(given, expected, expected);
    }
  };
  api.class_of = [](Value value) -> Value { return rb_obj_class(value); };
  api.obj_as_string = [](Value value) -> Value { return rb_obj_as_string(value); };
  api.type_of = [](Value value) -> int { return rb_type(value); };
  api.float_new = [](double value) -> Value { return rb_float_new(value); };
  api.num2dbl = [](Value value) { return rb_num2dbl(value); };
  api.ary_new_capa = [](long capacity) -> Value { return rb_ary_new_capa(capacity); };
  api.iv_set = [](Value object, const char* name, Value value) { rb_iv_set(object, name, value); };
  api.iv_get = [](Value object, const char* name) -> Value { return rb_iv_get(object, name); };
  api.block_given = []() { return rb_block_given_p() != 0; };
  api.enumeratorize = [](Value object, Value method, int argc, const Value* argv) -> Value {
    return rb_enumeratorize(object, method, argc, argv);
  };
  api.this_method = []() -> Id { return rb_frame_this_func(); };
  api.yield = [](Value value) -> Value { return rb_yield(value); };
  api.thread_wait_for = [](long seconds, long microseconds) {
    rb_thread_wait_for(timeval{seconds, microseconds});
  };
  api.sys_fail = [](const char* text) { rb_sys_fail(text); };
  api.errno_location = []() { return &errno; };
  api.sym_to_s = [](Value symbol) -> Value { return rb_sym2str(symbol); };
  api.define_module_under = [](Value outer, const char* name) -> Value {
    return rb_define_module_under(outer, name);
  };
  api.utf8_to_wide = [](const char* text, std::u16string* wide) { wide->append(utf8ToUtf16(text)); };
  api.rect_new = []() -> Value { return newRect(0, 0, 0, 0); };
  api.str_new_cstr = [](const char* text) -> Value { return rb_utf8_str_new_cstr(text); };
  api.num2int = [](Value value) -> int { return NUM2INT(value); };
  api.process_exit = [](int code) {
    flushScriptOutput();
    std::fflush(nullptr);
    std::_Exit(code);
  };
  api.font_lookup = [](const char16_t* name) -> const FontEntry* {
    return globals().font_registry != nullptr ? globals().font_registry->find(name) : nullptr;
  };
  api.font_found = [](const FontEntry* entry) { return entry != nullptr; };
  api.file_open = fileOpen;
  api.file_release = fileRelease;

  api.data_ptr = [](Value data) { return DATA_PTR(data); };
  api.string_ptr = [](Value string) -> const char* { return RSTRING_PTR(string); };
  api.string_length = [](Value string) -> long { return RSTRING_LEN(string); };
  api.ary_length = [](Value array) -> long { return RARRAY_LEN(array); };
  api.ary_entry = [](Value array, long index) -> Value { return rb_ary_entry(array, index); };
  api.float_value = [](Value number) { return RFLOAT_VALUE(number); };
  api.rect_data = [](Value rect) { return rectData(rect); };
  api.table_data = [](Value table) { return tableData(table); };

  api.nil = Qnil;
  api.true_value = Qtrue;
  api.false_value = Qfalse;
  api.int2num = [](long value) -> Value { return LONG2NUM(value); };
  api.num2long = [](Value value) -> long { return NUM2LONG(value); };
  api.id2sym = [](Id id) -> Value { return ID2SYM(id); };
  api.sym2id = [](Value symbol) -> Id { return SYM2ID(symbol); };

  api.funcall = [](Value receiver, Id method, int argc, const Value* argv) -> Value {
    return rb_funcallv(receiver, method, argc, argv);
  };
  api.respond_to = [](Value receiver, Id method) { return rb_respond_to(receiver, method) != 0; };
  api.protect = [](ProtectedFunc function, Value arg, int* state) -> Value {
    return rb_protect(function, arg, state);
  };
  api.jump_tag = [](int state) { rb_jump_tag(state); };
  api.errinfo = []() -> Value { return rb_errinfo(); };
  api.gc_register = [](Value* address) { rb_gc_register_address(address); };

  api.data_set_ptr = [](Value data, void* record) { DATA_PTR(data) = record; };
  api.string_mutable_ptr = [](Value string) -> char* {
    rb_str_modify(string);
    return RSTRING_PTR(string);
  };
  api.binary_str_new = [](const char* bytes, long length) -> Value { return rb_str_new(bytes, length); };
}

}  // namespace engine
