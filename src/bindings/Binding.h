#pragma once

// Defining script classes. A class wraps one native record type R per object; its methods are plain C++
// functions whose parameter types say how each script argument is converted, and ClassDef turns each into
// an entry point of the interpreter's calling convention with the arity counted from its signature:
//
//   ClassDef<Color>("Color")
//       .copyable()
//       .method<&colorInitialize>("initialize")   // void colorInitialize(Color&, Args): arity -1
//       .method<&colorSet>("set")                 // Value colorSet(Self<Color>, Args): returns self.value
//       .method<&colorRed>("red")                 // int colorRed(const Color&): arity 0
//       .setter<&colorSetRed>("red=");            // void colorSetRed(Color&, Byte): returns its argument
//
// The first parameter is the receiver: `R&` (the object's live record: data-object check, then the
// released and disposed checks), `Self<R>` (the same plus the object itself) or `Value` (unchecked; for
// `dispose`, `disposed?` and class methods). Further parameters are converted in order, before the body
// runs: `Value` (as is), `int`, `long`, `double`, `bool` (true only for `true`), `Byte` (clamped 0-255),
// `std::string_view` (a string's UTF-8 bytes), `T&` or `const T&` of a bound record type (class check
// "can't convert %s into %s"), `T*` (the same, nil allowed) or, as the only one, `Args` (arity -1).
// The result may be void (nil), Value, bool, int, long or double. A body reports failures by throwing
// ScriptError; the entry point raises it after the body's frame is gone. The interpreter's own raises
// (conversions, check_frozen, funcall) unwind straight through, so a body makes such calls only while it
// owns nothing with a destructor.

#include <concepts>
#include <tuple>
#include <type_traits>

#include "bindings/Convert.h"
#include "bindings/ScriptError.h"

namespace bindings {

using engine::Value;

// The script class wrapping records of type R, and its messages.
template <class R>
struct ScriptClass {
  static inline Value value = 0;
  // Raised by every method with a checked receiver once `record.disposed()` is true.
  static inline const char* disposedMessage = nullptr;
  // Raised when the object's record pointer is null: a view whose storage went away.
  static inline const char* releasedMessage = nullptr;
  // The name in "can't clone %s" / "can't dup %s".
  static inline const char* copyName = nullptr;
};

template <class R>
concept Disposable = requires(const R& record) {
  { record.disposed() } -> std::convertible_to<bool>;
};

// The receiver of a method that needs both the object and its record.
template <class R>
struct Self {
  Value value = 0;
  R* record = nullptr;
  R* operator->() const { return record; }
  R& operator*() const { return *record; }
};

// The arguments of a variadic method.
struct Args {
  int count = 0;
  const Value* values = nullptr;

  Value operator[](int index) const { return values[index]; }
  // ScriptError for the bound that `count` crosses, as the interpreter's arity check words it.
  void require(int minimum, int maximum) const {
    if (count < minimum) {
      throw arityError(minimum, count);
    }
    if (count > maximum) {
      throw arityError(maximum, count);
    }
  }
};

// Copies into ScriptApi the engine classes that the hooks had not stored yet, so a class initialiser
// finds its superclass and error classes whichever hook runs first.
void adoptEngineClasses();

// ScriptError "can't convert <value's class> into <klass>" unless value is kind of klass.
void checkKind(Value value, Value klass);
// True when the value is a class (so a class method can tell being called on a class from being called
// on an instance through its private instance-method copy).
bool isClass(Value value);

// The record pointer of a data object, possibly null; raises unless the value is a data object.
template <class R>
R* dataRecord(Value object) {
  api().check_type(object, engine::kTypeData);
  return static_cast<R*>(api().data_ptr(object));
}

namespace detail {
[[noreturn]] void throwReleased(Value object, const char* message);
}

// The record of an object whose class is known: throws when its storage went away.
template <class R>
R& liveRecord(Value object) {
  R* record = dataRecord<R>(object);
  if (record == nullptr) {
    detail::throwReleased(object, ScriptClass<R>::releasedMessage);
  }
  return *record;
}

// The receiver's record, with the disposed check of display objects.
template <class R>
R& selfRecord(Value self) {
  R& record = liveRecord<R>(self);
  if constexpr (Disposable<R>) {
    if (record.disposed()) {
      const char* message = ScriptClass<R>::disposedMessage;
      throw scriptError("%s", message != nullptr ? message : "disposed object");
    }
  }
  return record;
}

// An argument that must be an object of R's class (or a subclass).
template <class R>
R& recordArg(Value value) {
  checkKind(value, ScriptClass<R>::value);
  return liveRecord<R>(value);
}

namespace detail {

// Runs body(context) and reports whether it returned normally; a C++ exception is caught and kept for
// raisePending. Calls nothing in the interpreter while an exception is in flight.
bool runGuarded(void (*body)(void*), void* context);
// Raises the error the last failed runGuarded kept. Call it with no destructible object alive.
[[noreturn]] void raisePending();
// Call right before raising through the interpreter (sanitizer builds must forget the skipped frames).
void prepareToRaise();
// Called on entry from the interpreter: in sanitizer builds, clears what earlier raises left behind.
void forgetStalePoison();

template <class F>
bool guarded(F& function) {
  return runGuarded([](void* context) { (*static_cast<F*>(context))(); }, &function);
}

template <class T>
struct Param;

template <>
struct Param<Value> {
  static Value from(Value value) { return value; }
};
template <>
struct Param<int> {
  static int from(Value value) { return api().num2int(value); }
};
template <>
struct Param<long> {
  static long from(Value value) { return api().num2long(value); }
};
template <>
struct Param<double> {
  static double from(Value value) { return api().num2dbl(value); }
};
template <>
struct Param<bool> {
  static bool from(Value value) { return truth(value); }
};
template <>
struct Param<Byte> {
  static Byte from(Value value) { return Byte{clampByte(api().num2int(value))}; }
};
template <>
struct Param<std::string_view> {
  static std::string_view from(Value value) { return stringView(value); }
};
template <class R>
struct Param<R&> {
  static R& from(Value value) { return recordArg<std::remove_const_t<R>>(value); }
};
template <class R>
struct Param<R*> {
  static R* from(Value value) {
    return value == api().nil ? nullptr : &recordArg<std::remove_const_t<R>>(value);
  }
};

template <class T>
struct Receiver;

template <>
struct Receiver<Value> {
  static Value from(Value self) { return self; }
};
template <class R>
struct Receiver<R&> {
  static R& from(Value self) { return selfRecord<std::remove_const_t<R>>(self); }
};
template <class R>
struct Receiver<Self<R>> {
  static Self<R> from(Value self) { return Self<R>{self, &selfRecord<R>(self)}; }
};

template <class T>
Value toResult(T value) {
  if constexpr (std::is_same_v<T, Value>) {
    return value;
  } else if constexpr (std::is_same_v<T, bool>) {
    return toValue(value);
  } else if constexpr (std::is_same_v<T, int> || std::is_same_v<T, long>) {
    return api().int2num(value);
  } else if constexpr (std::is_same_v<T, double>) {
    return api().float_new(value);
  } else {
    static_assert(sizeof(T) == 0, "a method returns void, Value, bool, int, long or double");
  }
}

template <class T>
using AsValue = Value;

template <auto Body>
struct Entry;

template <class Ret, class SelfT, class... Params, Ret (*Body)(SelfT, Params...)>
struct Entry<Body> {
  static constexpr bool kVariadic = (sizeof...(Params) == 1 && (std::is_same_v<Params, Args> && ...));
  static constexpr int kArity = kVariadic ? -1 : static_cast<int>(sizeof...(Params));
  static_assert(kVariadic || !(std::is_same_v<Params, Args> || ...), "Args must be the only parameter");
  static_assert(sizeof...(Params) <= 15, "the interpreter passes at most 15 fixed arguments");
  // A raise longjmps past the converted arguments, so they must not need destroying.
  static_assert(((std::is_reference_v<Params> || std::is_trivially_destructible_v<Params>) && ...));

  static Value call(Value self, const Value* argv) {
    forgetStalePoison();
    Value result = 0;
    auto run = [&] {
      std::tuple<SelfT, Params...> converted = convert(self, argv, std::index_sequence_for<Params...>{});
      if constexpr (std::is_void_v<Ret>) {
        std::apply(Body, converted);
        result = api().nil;
      } else {
        result = toResult<Ret>(std::apply(Body, converted));
      }
    };
    if (!guarded(run)) {
      raisePending();
    }
    return result;
  }

  template <std::size_t... I>
  static std::tuple<SelfT, Params...> convert(Value self, const Value* argv, std::index_sequence<I...>) {
    // Braced initialisation converts strictly left to right: the receiver, then each argument in order.
    return std::tuple<SelfT, Params...>{Receiver<SelfT>::from(self), Param<Params>::from(argv[I])...};
  }

  static Value fixed(Value self, AsValue<Params>... args) {
    const Value argv[sizeof...(Params) + 1] = {args..., 0};
    return call(self, argv);
  }

  static Value variadic(int argc, const Value* argv, Value self) {
    forgetStalePoison();
    Value result = 0;
    auto run = [&] {
      SelfT receiver = Receiver<SelfT>::from(self);
      if constexpr (std::is_void_v<Ret>) {
        Body(receiver, Args{argc, argv});
        result = api().nil;
      } else {
        result = toResult<Ret>(Body(receiver, Args{argc, argv}));
      }
    };
    if (!guarded(run)) {
      raisePending();
    }
    return result;
  }

  // Setters return their argument.
  static Value setter(Value self, Value argument) {
    static_assert(sizeof...(Params) == 1 && std::is_void_v<Ret>, "a setter is void(receiver, value)");
    call(self, &argument);
    return argument;
  }

  static engine::AnyMethod function() {
    if constexpr (kVariadic) {
      return reinterpret_cast<engine::AnyMethod>(&variadic);
    } else {
      return reinterpret_cast<engine::AnyMethod>(&fixed);
    }
  }
};

}  // namespace detail

// The entry point of a typed body, for slots that take a plain function (the table accessors).
template <auto Body>
Value invokeVariadic(int argc, const Value* argv, Value self) {
  return detail::Entry<Body>::variadic(argc, argv, self);
}

template <auto Body>
void defineMethod(Value klass, const char* name) {
  using E = detail::Entry<Body>;
  api().define_method(klass, name, E::function(), E::kArity);
}

template <auto Body>
void defineSetter(Value klass, const char* name) {
  api().define_method(klass, name, reinterpret_cast<engine::AnyMethod>(&detail::Entry<Body>::setter), 1);
}

// A method of the class object itself (and, as the engine's table of functions has it, a private
// instance method of the same name).
template <auto Body>
void defineClassMethod(Value klass, const char* name) {
  using E = detail::Entry<Body>;
  api().define_module_function(klass, name, E::function(), E::kArity);
}

namespace detail {
void refuseCopy(Value klass, engine::AnyMethod clone, engine::AnyMethod dup);
}

// A new object of klass (R's class or a subclass) wrapping a new empty record, without running initialize.
template <class R>
Value newRecordObject(Value klass = ScriptClass<R>::value);

template <class R>
class ClassDef {
 public:
  // Defines `name` under the root class, or under `superclass` when given.
  explicit ClassDef(const char* name, Value superclass = 0) {
    lookupStandardErrors();
    m_class = api().define_class(name, superclass != 0 ? superclass : api().object_class);
    ScriptClass<R>::value = m_class;
    api().gc_register(&ScriptClass<R>::value);
    if (ScriptClass<R>::copyName == nullptr) {
      ScriptClass<R>::copyName = api().class_name(m_class);
    }
    api().define_alloc_func(m_class, &allocate);
  }

  Value klass() const { return m_class; }

  template <auto Body>
  ClassDef& method(const char* name) {
    defineMethod<Body>(m_class, name);
    return *this;
  }

  template <auto Body>
  ClassDef& setter(const char* name) {
    defineSetter<Body>(m_class, name);
    return *this;
  }

  template <auto Body>
  ClassDef& classMethod(const char* name) {
    defineClassMethod<Body>(m_class, name);
    return *this;
  }

  ClassDef& disposedMessage(const char* message) {
    static_assert(Disposable<R>, "only records with disposed() carry a disposed message");
    ScriptClass<R>::disposedMessage = message;
    return *this;
  }

  ClassDef& releasedMessage(const char* message) {
    ScriptClass<R>::releasedMessage = message;
    return *this;
  }

  // "clone" and "dup" raise "can't clone <shownName>" and "can't dup <shownName>" (default: the class name).
  ClassDef& refuseCopy(const char* shownName = nullptr) {
    if (shownName != nullptr) {
      ScriptClass<R>::copyName = shownName;
    }
    detail::refuseCopy(m_class, reinterpret_cast<engine::AnyMethod>(&refuseClone),
                       reinterpret_cast<engine::AnyMethod>(&refuseDup));
    return *this;
  }

  // "initialize_copy" copies the record by assignment, after the checks every copyable value makes.
  ClassDef& copyable() {
    api().define_method(m_class, "initialize_copy", reinterpret_cast<engine::AnyMethod>(&initializeCopy), 1);
    return *this;
  }

  static Value allocate(Value klass) {
    detail::forgetStalePoison();
    R* record = nullptr;
    auto make = [&] { record = new R(); };
    if (!detail::guarded(make)) {
      detail::raisePending();
    }
    return api().data_wrap(klass, record, nullptr, &release);
  }

 private:
  static void release(void* record) { delete static_cast<R*>(record); }

  static Value refuseClone(Value) {
    detail::prepareToRaise();
    api().raise(api().script_error, "can't clone %s", ScriptClass<R>::copyName);
    return api().nil;
  }

  static Value refuseDup(Value) {
    detail::prepareToRaise();
    api().raise(api().script_error, "can't dup %s", ScriptClass<R>::copyName);
    return api().nil;
  }

  static Value initializeCopy(Value self, Value source) {
    if (source == self) {
      return self;
    }
    api().check_frozen(self);
    if (!api().obj_is_instance_of(source, api().obj_class(self))) {
      detail::prepareToRaise();
      api().raise(api().type_error, "wrong argument class");
    }
    auto copy = [&] { liveRecord<R>(self) = liveRecord<R>(source); };
    if (!detail::guarded(copy)) {
      detail::raisePending();
    }
    return self;
  }

  Value m_class = 0;
};

template <class R>
Value newRecordObject(Value klass) {
  return ClassDef<R>::allocate(klass);
}

// A module with module functions: `ModuleDef("Graphics").function<&graphicsUpdate>("update")`, each body
// taking the module as its receiver (`Value`).
class ModuleDef {
 public:
  explicit ModuleDef(const char* name);
  ModuleDef(Value outer, const char* name);

  Value module() const { return m_module; }

  template <auto Body>
  ModuleDef& function(const char* name) {
    defineClassMethod<Body>(m_module, name);
    return *this;
  }

 private:
  Value m_module = 0;
};

}  // namespace bindings
