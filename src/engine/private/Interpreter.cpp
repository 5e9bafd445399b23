#include "engine/private/Interpreter.h"

#include <ruby/encoding.h>

#include "engine/private/EngineClasses.h"
#include "engine/private/WindowsEnvironment.h"

// Collector entry points the interpreter exports without declaring them in its installed headers.
extern "C" {
void rb_objspace_each_objects(int (*callback)(void* start, void* end, size_t stride, void* data), void* data);
extern struct rb_vm_struct* ruby_current_vm_ptr;
void rb_postponed_job_flush(struct rb_vm_struct* vm);
}

// Each built-in script as text and as the instruction sequence compiled from it at build time.
#define QUILLON_BUILTIN_SCRIPT(symbol) \
  extern const char symbol[];          \
  extern const char symbol##Iseq[];    \
  extern const unsigned long symbol##IseqSize;
QUILLON_BUILTIN_SCRIPT(kCompatScript)
QUILLON_BUILTIN_SCRIPT(kDlScript)
QUILLON_BUILTIN_SCRIPT(kRpgScript)
QUILLON_BUILTIN_SCRIPT(kWin32ApiScript)
QUILLON_BUILTIN_SCRIPT(kUserDataScript)
#undef QUILLON_BUILTIN_SCRIPT

namespace engine {

namespace {

bool g_running = false;
VALUE g_scriptError = Qnil;
VALUE g_resetClass = Qnil;

struct EvalArgs {
  VALUE code;
  VALUE fileName;
};

VALUE evalAtTopLevel(VALUE argsValue) {
  auto* args = reinterpret_cast<EvalArgs*>(argsValue);
  VALUE binding = rb_const_get(rb_cObject, rb_intern("TOPLEVEL_BINDING"));
  VALUE argv[] = {args->code, binding, args->fileName, INT2FIX(1)};
  return rb_funcallv(rb_mKernel, rb_intern("eval"), 4, argv);
}

VALUE loadInstructions(VALUE bytes) {
  return rb_funcall(rb_path2class("RubyVM::InstructionSequence"), rb_intern("load_from_binary"), 1, bytes);
}

VALUE runInstructions(VALUE instructions) { return rb_funcall(instructions, rb_intern("eval"), 0); }

#define QUILLON_RUN_BUILTIN_SCRIPT(symbol, name) runBuiltinScript(symbol, symbol##Iseq, symbol##IseqSize, name)

// The game folder, then the interpreter's own library: never the host's site or gem folders, so a game cannot load
// something of the host's by accident. The library's folders are those of the interpreter this player is built
// with, known without loading rbconfig.
void limitLoadPath() {
  VALUE path = rb_gv_get("$LOAD_PATH");
  rb_ary_clear(path);
  for (VALUE folder :
       {rb_dir_getwd(), rb_str_new_cstr(QUILLON_RUBY_LIBRARY), rb_str_new_cstr(QUILLON_RUBY_ARCH_LIBRARY)}) {
    if (!RTEST(rb_ary_includes(path, folder))) rb_ary_push(path, folder);
  }
}

}  // namespace

void runBuiltinScript(const char* code, const char* compiled, unsigned long compiledSize, const char* name) {
  int state = 0;
  VALUE instructions = rb_protect(loadInstructions, rb_str_new(compiled, static_cast<long>(compiledSize)), &state);
  if (state != 0) {
    rb_set_errinfo(Qnil);
    state = evalProtected(code, name);
  } else {
    rb_protect(runInstructions, instructions, &state);
    RB_GC_GUARD(instructions);
  }
  if (state != 0) {
    // Our own scripts failing is a programming error; say so loudly rather than run half-defined.
    std::string message = describeError(rb_errinfo());
    rb_set_errinfo(Qnil);
    rb_bug("built-in script %s failed: %s", name, message.c_str());
  }
}

void startInterpreter() {
  if (g_running) {
    return;
  }
  int argc = 0;
  char** argv = nullptr;
  ruby_sysinit(&argc, &argv);
  {
    RUBY_INIT_STACK;
    ruby_init();
  }
  // ruby_options sets up encodings, GC and the prelude that plain ruby_init_loadpath leaves unset.
  static char arg0[] = "quillon";
  static char arg1[] = "--disable-gems";
  static char arg2[] = "-EUTF-8";
  static char arg3[] = "--disable=rubyopt";
  static char arg4[] = "-e";
  static char arg5[] = "";
  static char* options[] = {arg0, arg1, arg2, arg3, arg4, arg5, nullptr};
  ruby_options(6, options);
  ruby_script("Game");
  rb_enc_set_default_internal(rb_enc_from_encoding(rb_utf8_encoding()));
  g_running = true;
  // A stop request by signal raises in the script's main thread at its next instruction (SIGINT as Interrupt,
  // SIGTERM as SignalException), however busy the script is; the handler the window system installed before
  // the interpreter started would only act at the next frame.
  rb_eval_string("Signal.trap('INT', 'DEFAULT'); Signal.trap('TERM', 'DEFAULT')");

  g_scriptError = rb_define_class("RGSSError", rb_eStandardError);
  rb_gc_register_address(&g_scriptError);
  g_resetClass = rb_define_class("RGSSReset", rb_eException);
  rb_gc_register_address(&g_resetClass);

  limitLoadPath();
  fillWindowsEnvironment();
  defineEngineClasses();
  QUILLON_RUN_BUILTIN_SCRIPT(kCompatScript, "compat");
  if (defineUserDataFiles()) {
    QUILLON_RUN_BUILTIN_SCRIPT(kUserDataScript, "user data");
  }
  defineWin32Natives();
  QUILLON_RUN_BUILTIN_SCRIPT(kDlScript, "DL");
  QUILLON_RUN_BUILTIN_SCRIPT(kWin32ApiScript, "Win32API");
  QUILLON_RUN_BUILTIN_SCRIPT(kRpgScript, "RPG");
}

bool interpreterRunning() {
  return g_running;
}

int evalProtected(std::string_view code, const char* fileName, VALUE* result) {
  EvalArgs args{rb_enc_str_new(code.data(), static_cast<long>(code.size()), rb_utf8_encoding()),
                rb_str_new_cstr(fileName)};
  int state = 0;
  VALUE value = rb_protect(evalAtTopLevel, reinterpret_cast<VALUE>(&args), &state);
  RB_GC_GUARD(args.code);
  RB_GC_GUARD(args.fileName);
  if (result != nullptr) {
    *result = state == 0 ? value : Qnil;
  }
  return state;
}

std::string describeError(VALUE error) {
  if (NIL_P(error)) {
    return "unknown error";
  }
  int state = 0;
  VALUE text = rb_protect([](VALUE e) { return rb_funcall(e, rb_intern("full_message"), 0); }, error, &state);
  if (state != 0 || !RB_TYPE_P(text, T_STRING)) {
    rb_set_errinfo(Qnil);
    return rb_obj_classname(error);
  }
  return std::string(RSTRING_PTR(text), static_cast<size_t>(RSTRING_LEN(text)));
}

void flushScriptOutput() {
  if (!g_running) {
    return;
  }
  int state = 0;
  rb_protect(
      [](VALUE) {
        rb_io_flush(rb_stdout);
        rb_io_flush(rb_stderr);
        return Qnil;
      },
      Qnil, &state);
  rb_set_errinfo(Qnil);
}

void settleCollector() {
  if (!g_running) {
    return;
  }
  // A heap walk first completes the sweep in progress; this one stops at the first page.
  rb_objspace_each_objects([](void*, void*, size_t, void*) { return 1; }, nullptr);
  // The sweep only queued the release functions of data objects; run them now rather than at some later
  // interrupt check.
  rb_postponed_job_flush(ruby_current_vm_ptr);
}

VALUE scriptErrorClass() {
  return g_scriptError;
}

VALUE resetClass() {
  return g_resetClass;
}

}  // namespace engine
