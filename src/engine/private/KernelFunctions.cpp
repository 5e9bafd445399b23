#include <cerrno>
#include <string>

#include "engine/Engine.h"
#include "engine/FileLayer.h"
#include "engine/private/AtomicFile.h"
#include "engine/private/EngineClasses.h"
#include "engine/private/Interpreter.h"

namespace engine {

void defineRect();
void defineTable();

namespace {

// Script file names use either separator; this file system only knows "/".
VALUE slashPath(VALUE name) {
  VALUE path = rb_str_dup(rb_get_path(name));
  char* bytes = RSTRING_PTR(path);
  for (long i = 0; i < RSTRING_LEN(path); ++i) {
    if (bytes[i] == '\\') {
      bytes[i] = '/';
    }
  }
  return path;
}

VALUE loadData(VALUE, VALUE name) {
  VALUE path = rb_get_path(name);
  VALUE contents = Qnil;
  VALUE failure = Qnil;
  {
    std::string error;
    auto bytes = FileLayer::instance().read(std::string_view(RSTRING_PTR(path), RSTRING_LEN(path)),
                                            FileKind::Any, &error);
    if (bytes) {
      contents = rb_str_new(reinterpret_cast<const char*>(bytes->data()), static_cast<long>(bytes->size()));
    } else if (!error.empty()) {
      failure = rb_str_new(error.data(), static_cast<long>(error.size()));
    }
  }
  if (!NIL_P(failure)) {
    rb_raise(rb_eIOError, "%" PRIsVALUE, failure);
  }
  if (NIL_P(contents)) {
    errno = ENOENT;
    rb_sys_fail_str(path);
  }
  // The unmarshaller reads the string's bytes while it allocates, and nothing else refers to the string: without
  // the guard a tail call leaves it to the collector in the middle of a large load.
  VALUE data = rb_marshal_load(contents);
  RB_GC_GUARD(contents);
  return data;
}

VALUE saveData(VALUE, VALUE object, VALUE name) {
  VALUE path = slashPath(name);
  VALUE bytes = rb_marshal_dump(object, Qnil);
  int error = writeFileAtomically(
      FileLayer::instance().pathForWriting(std::string_view(RSTRING_PTR(path), static_cast<size_t>(RSTRING_LEN(path)))),
      RSTRING_PTR(bytes), static_cast<size_t>(RSTRING_LEN(bytes)));
  RB_GC_GUARD(bytes);
  if (error != 0) {
    errno = error;
    rb_sys_fail_str(path);
  }
  return Qnil;
}

void showAndRefocus(VALUE text) {
  showMessageBox(StringValueCStr(text));
  RB_GC_GUARD(text);
  if (hooks().foreground != nullptr) {
    hooks().foreground();
  }
}

VALUE msgbox(int argc, VALUE* argv, VALUE) {
  VALUE text = rb_str_new_cstr("");
  for (int i = 0; i < argc; ++i) {
    rb_str_append(text, rb_obj_as_string(argv[i]));
  }
  showAndRefocus(text);
  return Qnil;
}

VALUE msgboxP(int argc, VALUE* argv, VALUE) {
  VALUE text = rb_str_new_cstr("");
  for (int i = 0; i < argc; ++i) {
    if (i > 0) {
      rb_str_cat_cstr(text, "\n");
    }
    rb_str_append(text, rb_inspect(argv[i]));
  }
  showAndRefocus(text);
  if (argc == 0) {
    return Qnil;
  }
  return argc == 1 ? argv[0] : rb_ary_new_from_values(argc, argv);
}

// Without the player's Graphics there is no frame to wait for: pump messages at about 60 per second.
VALUE rgssStop(VALUE) {
  ID update = rb_intern("update");
  for (;;) {
    VALUE graphics = rb_const_defined(rb_cObject, rb_intern("Graphics"))
                         ? rb_const_get(rb_cObject, rb_intern("Graphics"))
                         : Qnil;
    if (!NIL_P(graphics) && rb_respond_to(graphics, update)) {
      rb_funcall(graphics, update, 0);
      continue;
    }
    if (hooks().pumpStep != nullptr) {
      hooks().pumpStep();
    }
    rb_thread_wait_for(timeval{0, 16667});
  }
  return Qnil;
}

}  // namespace

void resetSubsystems() {
  ID reset = rb_intern("__reset__");
  for (const char* name : {"Graphics", "Audio", "Input"}) {
    ID id = rb_intern(name);
    if (rb_const_defined(rb_cObject, id)) {
      VALUE module = rb_const_get(rb_cObject, id);
      if (rb_respond_to(module, reset)) {
        rb_funcall(module, reset, 0);
      }
    }
  }
}

namespace {

VALUE resetSubsystemsMethod(VALUE) {
  resetSubsystems();
  return Qnil;
}

}  // namespace

void defineEngineClasses() {
  defineRect();
  defineTable();
  rb_define_global_function("load_data", loadData, 1);
  rb_define_global_function("save_data", saveData, 2);
  rb_define_global_function("msgbox", msgbox, -1);
  rb_define_global_function("msgbox_p", msgboxP, -1);
  rb_define_global_function("rgss_stop", rgssStop, 0);
  // rgss_main itself is Ruby (scripts/compat.rb): it retries its block, which C cannot express as simply.
  rb_define_private_method(rb_mKernel, "__rgss_reset_subsystems__", resetSubsystemsMethod, 0);
}

}  // namespace engine
