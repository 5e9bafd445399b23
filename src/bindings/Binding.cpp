#include "bindings/Binding.h"

#include <cstdio>
#include <cstdlib>
#include <new>
#include <utility>

#include "engine/Engine.h"

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/asan_interface.h>
#endif

namespace bindings {

namespace {

// What runGuarded caught, kept in plain storage so that raising it leaves nothing to destroy. One per
// thread: script threads call methods too, and nothing runs between the catch and the raise.
struct PendingError {
  Value errorClass = 0;
  bool arity = false;
  bool outOfMemory = false;
  int expected = 0;
  int given = 0;
  char message[1024] = {};
};

thread_local PendingError t_pending;

void keep(Value errorClass, const char* message) {
  t_pending.errorClass = errorClass;
  t_pending.arity = false;
  t_pending.outOfMemory = false;
  std::snprintf(t_pending.message, sizeof(t_pending.message), "%s", message);
}

}  // namespace

void adoptEngineClasses() {
  const engine::EngineGlobals& engine = engine::globals();
  engine::ScriptApi& table = api();
  for (auto [member, value] : {std::pair{&table.object_class, engine.object_class},
                               std::pair{&table.type_error, engine.type_error},
                               std::pair{&table.script_error, engine.script_error},
                               std::pair{&table.rect_class, engine.rect_class},
                               std::pair{&table.table_class, engine.table_class}}) {
    if (*member == 0) {
      *member = value;
    }
  }
}

void checkKind(Value value, Value klass) {
  if (!api().obj_is_kind_of(value, klass)) {
    throw typeError("can't convert %s into %s", api().class_name(api().class_of(value)), api().class_name(klass));
  }
}

bool isClass(Value value) {
  return api().obj_is_kind_of(value, api().class_of(api().object_class));
}

namespace detail {

void throwReleased(Value object, const char* message) {
  if (message != nullptr) {
    throw scriptError("%s", message);
  }
  throw scriptError("uninitialized %s", api().class_name(api().class_of(object)));
}

bool runGuarded(void (*body)(void*), void* context) {
  try {
    body(context);
    return true;
  } catch (const ScriptError& error) {
    keep(error.errorClass(), error.message().c_str());
    t_pending.arity = error.isArity();
    t_pending.expected = error.expected();
    t_pending.given = error.given();
  } catch (const std::bad_alloc&) {
    // Resolved after the catch: looking the class up may evaluate, which must not happen in a handler.
    keep(0, "failed to allocate memory");
    t_pending.outOfMemory = true;
  } catch (const std::exception& error) {
    keep(api().script_error, error.what());
  } catch (...) {
    keep(api().script_error, "unknown internal error");
  }
  return false;
}

void prepareToRaise() {
#if defined(__SANITIZE_ADDRESS__)
  // The interpreter unwinds with __builtin_longjmp, which AddressSanitizer cannot see: without this the
  // skipped frames' stack poisoning would stay behind and be reported against later frames.
  __asan_handle_no_return();
#endif
}

void forgetStalePoison() {
#if defined(__SANITIZE_ADDRESS__)
  // A raise from inside the interpreter longjmps past instrumented frames without telling the sanitizer,
  // leaving their poisoned stack behind where the next frames will be. Nothing live lies below the
  // current frame, so clearing a stretch of it is always right.
  constexpr std::size_t kStretch = 64 * 1024;
  auto* frame = static_cast<char*>(__builtin_frame_address(0));
  __asan_unpoison_memory_region(frame - kStretch, kStretch);
#endif
}

void raisePending() {
  prepareToRaise();
  if (t_pending.arity && t_pending.expected != t_pending.given) {
    api().check_arity(t_pending.expected, t_pending.given);
  }
  Value errorClass = t_pending.outOfMemory        ? noMemoryErrorClass()
                     : t_pending.errorClass != 0 ? t_pending.errorClass
                                                 : api().script_error;
  api().raise(errorClass, "%s", t_pending.message);
  std::abort();  // raise does not return
}

void refuseCopy(Value klass, engine::AnyMethod clone, engine::AnyMethod dup) {
  api().define_method(klass, "clone", clone, 0);
  api().define_method(klass, "dup", dup, 0);
}

}  // namespace detail

ModuleDef::ModuleDef(const char* name) {
  lookupStandardErrors();
  m_module = api().define_module(name);
}

ModuleDef::ModuleDef(Value outer, const char* name) {
  lookupStandardErrors();
  m_module = api().define_module_under(outer, name);
}

}  // namespace bindings
