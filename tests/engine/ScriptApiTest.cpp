// Every ScriptApi member called once through the table, checked against its documented effect.

#include "engine/ScriptApi.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

#include "engine/Engine.h"
#include "engine/FileLayer.h"
#include "engine/FontRegistry.h"
#include "engine/Utf.h"
#include "engine/private/Interpreter.h"
#include "tests/engine/EngineFixture.h"

namespace engine {
namespace {

using testing::evalRuby;
using testing::evalText;
using testing::startEngine;
using testing::toText;

struct Counter {
  int value = 0;
};

int g_released = 0;

Value counterAllocate(Value klass) {
  ScriptApi& api = *g_scriptApi;
  return api.data_wrap(klass, new Counter{}, nullptr, [](void* record) {
    delete static_cast<Counter*>(record);
    ++g_released;
  });
}

Value counterIncrement(Value self, Value step) {
  ScriptApi& api = *g_scriptApi;
  api.check_type(self, kTypeData);
  auto* counter = static_cast<Counter*>(api.data_ptr(self));
  counter->value += api.num2int(step);
  return api.int2num(counter->value);
}

Value counterSum(int argc, const Value* argv, Value) {
  ScriptApi& api = *g_scriptApi;
  if (argc > 3) {
    api.check_arity(3, argc);
  }
  long sum = 0;
  for (int i = 0; i < argc; ++i) {
    sum += api.num2long(argv[i]);
  }
  return api.int2num(sum);
}

Value moduleTwice(Value, Value x) {
  ScriptApi& api = *g_scriptApi;
  return api.float_new(api.num2dbl(x) * 2);
}

Value raiser(Value) {
  ScriptApi& api = *g_scriptApi;
  api.raise(api.script_error, "disposed %s", "sprite");
  return api.nil;
}

Value methodName(Value) {
  ScriptApi& api = *g_scriptApi;
  return api.id2sym(api.this_method());
}

Value yielder(Value) {
  ScriptApi& api = *g_scriptApi;
  if (!api.block_given()) {
    return api.enumeratorize(api.eval_string("$api_object"), api.id2sym(api.intern("yielder")), 0, nullptr);
  }
  return api.yield(api.int2num(21));
}

template <typename F>
AnyMethod any(F function) {
  return reinterpret_cast<AnyMethod>(function);
}

// ctest runs each case in a process of its own: any case may be the first to need the class.
Value counterClass() {
  static Value klass = 0;
  if (klass == 0) {
    ScriptApi& api = startEngine();
    klass = api.define_class("ApiCounter", api.object_class);
    api.define_alloc_func(klass, counterAllocate);
    api.define_method(klass, "increment", any(counterIncrement), 1);
    api.define_method(klass, "sum", any(counterSum), -1);
    api.define_method(klass, "yielder", any(yielder), 0);
    api.define_const(klass, "LIMIT", api.int2num(9));
  }
  return klass;
}

class ScriptApiTest : public ::testing::Test {
 protected:
  ScriptApi& api = startEngine();
};

TEST_F(ScriptApiTest, ValuesAndConversions) {
  EXPECT_EQ(evalRuby("nil"), api.nil);
  EXPECT_EQ(evalRuby("true"), api.true_value);
  EXPECT_EQ(evalRuby("false"), api.false_value);
  EXPECT_EQ(api.num2int(api.int2num(-7)), -7);
  EXPECT_EQ(api.num2long(evalRuby("2**40")), 1L << 40);
  EXPECT_DOUBLE_EQ(api.num2dbl(evalRuby("3")), 3.0);
  EXPECT_DOUBLE_EQ(api.float_value(api.float_new(2.5)), 2.5);
  Id id = api.intern("hello");
  EXPECT_EQ(api.sym2id(api.id2sym(id)), id);
  EXPECT_EQ(toText(api.sym_to_s(evalRuby(":hello"))), "hello");
  EXPECT_EQ(api.type_of(evalRuby("'x'")), kTypeString);
  EXPECT_EQ(api.type_of(evalRuby("[1]")), kTypeArray);
  EXPECT_EQ(api.type_of(evalRuby("Table.new(1)")), kTypeData);
  EXPECT_EQ(api.type_of(evalRuby("1")), kTypeFixnum);
  EXPECT_EQ(api.type_of(evalRuby("2**80")), kTypeBignum);
  EXPECT_EQ(api.type_of(evalRuby(":sym")), kTypeSymbol);
  EXPECT_EQ(api.type_of(evalRuby("1.5")), kTypeFloat);
}

TEST_F(ScriptApiTest, StringsAndArrays) {
  Value s = api.str_new("a\0b", 3);
  EXPECT_EQ(api.string_length(s), 3);
  EXPECT_EQ(std::memcmp(api.string_ptr(s), "a\0b", 3), 0);
  EXPECT_EQ(toText(api.funcall(s, api.intern("encoding"), 0, nullptr)), "UTF-8");
  Value c = api.str_new_cstr("héllo");
  EXPECT_EQ(api.string_length(c), 6);
  Value converted = api.string_value(&c);
  EXPECT_EQ(converted, c);
  EXPECT_STREQ(api.string_value_ptr(&c), "héllo");
  EXPECT_EQ(toText(api.obj_as_string(api.int2num(42))), "42");

  Value array = api.ary_new();
  api.ary_push(array, api.int2num(1));
  api.ary_push(array, api.str_new_cstr("two"));
  EXPECT_EQ(api.ary_length(array), 2);
  EXPECT_EQ(toText(api.ary_entry(array, 1)), "two");
  EXPECT_EQ(api.ary_entry(array, 5), api.nil);
  EXPECT_EQ(api.ary_length(api.ary_new_capa(100)), 0);

  std::u16string wide;
  api.utf8_to_wide("中a", &wide);
  EXPECT_EQ(wide, u"中a");
}

TEST_F(ScriptApiTest, ClassesModulesAndMethods) {
  Value klass = counterClass();
  EXPECT_EQ(evalText("c = ApiCounter.new; c.increment(2); c.increment(3)"), "5");
  EXPECT_EQ(evalText("ApiCounter.new.sum(1, 2, 3)"), "6");
  EXPECT_EQ(evalText("ApiCounter.new.sum(1, 2, 3, 4)"),
            "raised ArgumentError: wrong number of arguments (given 4, expected 3)");
  EXPECT_EQ(evalText("ApiCounter::LIMIT"), "9");
  EXPECT_EQ(evalText("$api_object = ApiCounter.new; $api_object.yielder { |x| x * 2 }"), "42");
  EXPECT_EQ(evalText("$api_object.yielder.class"), "Enumerator");

  Value outer = api.define_module("ApiOuter");
  Value inner = api.define_class_under(outer, "Inner", api.object_class);
  EXPECT_STREQ(api.class_name(inner), "ApiOuter::Inner");
  Value nested = api.define_module_under(outer, "Nested");
  api.define_module_function(nested, "twice", any(moduleTwice), 1);
  api.define_module_function(nested, "fail", any(raiser), 0);
  api.define_module_function(nested, "name_of_method", any(methodName), 0);
  EXPECT_EQ(evalText("ApiOuter::Nested.twice(1.25)"), "2.5");
  EXPECT_EQ(evalText("ApiOuter::Nested.fail"), "raised RGSSError: disposed sprite");
  EXPECT_EQ(evalText("ApiOuter::Nested.name_of_method.inspect"), ":name_of_method");

  Value object = evalRuby("ApiCounter.new");
  EXPECT_TRUE(api.obj_is_kind_of(object, api.object_class));
  EXPECT_TRUE(api.obj_is_instance_of(object, klass));
  EXPECT_FALSE(api.obj_is_instance_of(object, api.object_class));
  EXPECT_EQ(api.obj_class(object), klass);
  EXPECT_EQ(api.class_of(object), klass);
  EXPECT_TRUE(api.respond_to(object, api.intern("increment")));
  Value args[] = {api.int2num(4)};
  EXPECT_EQ(api.num2int(api.funcall(object, api.intern("increment"), 1, args)), 4);
}

TEST_F(ScriptApiTest, CollectedRecordsAreReleased) {
  counterClass();
  int before = g_released;
  evalRuby("200.times { ApiCounter.new }; GC.start(full_mark: true, immediate_sweep: true)");
  EXPECT_GT(g_released, before);
}

// A lazy sweep leaves garbage records unreleased between frames; settling releases them all at once, which is
// what keeps a frame from drawing an object whose bitmap was already released.
TEST_F(ScriptApiTest, SettlingTheCollectorReleasesWhatALazySweepLeft) {
  counterClass();
  // Plain objects beside the records give the sweep free slots, so it stops early instead of sweeping on.
  evalRuby("$api_kept = Array.new(100_000) { [ApiCounter.new, Object.new] }");
  evalRuby("GC.start(full_mark: true, immediate_sweep: true)");
  const int before = g_released;
  evalRuby("$api_kept = nil; GC.start(full_mark: true, immediate_sweep: false); nil");
  const int lazy = g_released - before;
  engine::settleCollector();
  const int settled = g_released - before;
  EXPECT_LT(lazy, 90000);
  EXPECT_GE(settled, 99000);
}

TEST_F(ScriptApiTest, TypeChecksAndFrozenChecksRaise) {
  EXPECT_EQ(evalText("$api_object = 'text'; nil"), "");
  auto protectedCall = [&](ProtectedFunc function) {
    int state = 0;
    api.protect(function, api.nil, &state);
    std::string message = state != 0 ? toText(api.errinfo()) : "";
    api.eval_string_protect("$! = nil", nullptr);
    return message;
  };
  EXPECT_EQ(protectedCall([](Value) {
              g_scriptApi->check_type(g_scriptApi->eval_string("$api_object"), kTypeData);
              return g_scriptApi->nil;
            }),
            "wrong argument type String (expected Data)");
  EXPECT_NE(protectedCall([](Value) {
              g_scriptApi->check_frozen(g_scriptApi->eval_string("'x'.freeze"));
              return g_scriptApi->nil;
            }),
            "");
  EXPECT_EQ(protectedCall([](Value) {
              g_scriptApi->check_arity(2, 2);
              return g_scriptApi->nil;
            }),
            "");
}

TEST_F(ScriptApiTest, EvaluationAndProtection) {
  EXPECT_EQ(api.num2int(api.eval_string("6 * 7")), 42);
  int state = 0;
  api.eval_string_protect("raise 'boom'", &state);
  EXPECT_NE(state, 0);
  EXPECT_EQ(toText(api.errinfo()), "boom");
  api.eval_string_protect("$! = nil", nullptr);
  EXPECT_EQ(api.num2int(api.eval_string_protect("1 + 1", nullptr)), 2);

  // jump_tag re-raises what protect caught, so an outer protect sees the same error.
  Value outer = api.protect(
      [](Value) {
        int inner = 0;
        g_scriptApi->eval_string_protect("raise ArgumentError, 'again'", &inner);
        g_scriptApi->jump_tag(inner);
        return g_scriptApi->nil;
      },
      api.nil, &state);
  EXPECT_EQ(outer, api.nil);
  EXPECT_NE(state, 0);
  EXPECT_EQ(toText(api.errinfo()), "again");
  api.eval_string_protect("$! = nil", nullptr);
}

TEST_F(ScriptApiTest, InstanceVariablesWithoutAtSignAreHidden) {
  Value object = evalRuby("$hidden = Object.new");
  api.iv_set(object, "s", api.int2num(12));
  EXPECT_EQ(api.num2int(api.iv_get(object, "s")), 12);
  EXPECT_EQ(evalText("$hidden.instance_variables.inspect"), "[]");
}

TEST_F(ScriptApiTest, ScanArgsFillsOptionalArguments) {
  Value argv[] = {api.int2num(1)};
  Value a = api.nil;
  Value b = api.true_value;
  EXPECT_EQ(api.scan_args(1, argv, "11", &a, &b), 1);
  EXPECT_EQ(api.num2int(a), 1);
  EXPECT_EQ(b, api.nil);
}

TEST_F(ScriptApiTest, RectanglesAndTablesExposeTheirData) {
  Value rect = api.rect_new();
  RectData* r = api.rect_data(rect);
  EXPECT_EQ(r->x | r->y | r->width | r->height, 0);
  r->width = 33;
  api.gc_register(&rect);
  EXPECT_EQ(toText(rect), "(0, 0, 33, 0)");
  EXPECT_EQ(api.obj_class(rect), api.rect_class);

  Value table = evalRuby("t = Table.new(2, 3); t[1, 2] = -5; t");
  TableData* t = api.table_data(table);
  EXPECT_EQ(t->dimensions, 2);
  EXPECT_EQ(t->xsize, 2);
  EXPECT_EQ(t->ysize, 3);
  EXPECT_EQ(t->size, 6);
  EXPECT_EQ(t->elements[1 + 2 * 2], -5);
  EXPECT_EQ(api.obj_class(table), api.table_class);
}

TEST_F(ScriptApiTest, SystemErrorsCarryTheErrorNumber) {
  int state = 0;
  api.protect(
      [](Value) {
        *g_scriptApi->errno_location() = ENOENT;
        g_scriptApi->sys_fail("Graphics/missing.png");
        return g_scriptApi->nil;
      },
      api.nil, &state);
  EXPECT_NE(state, 0);
  EXPECT_EQ(std::string(api.class_name(api.class_of(api.errinfo()))), "Errno::ENOENT");
  EXPECT_NE(toText(api.errinfo()).find("Graphics/missing.png"), std::string::npos);
  api.eval_string_protect("$! = nil", nullptr);
}

TEST_F(ScriptApiTest, ThreadWaitLetsScriptThreadsRun) {
  evalRuby("$ticks = 0; $worker = Thread.new { 5.times { $ticks += 1; sleep 0.001 } }");
  for (int i = 0; i < 200 && api.num2int(evalRuby("$ticks")) < 5; ++i) {
    api.thread_wait_for(0, 2000);
  }
  EXPECT_EQ(api.num2int(evalRuby("$worker.join; $ticks")), 5);
}

TEST_F(ScriptApiTest, FilesOpenThroughTheFileLayer) {
  char folder[] = "/tmp/quillon-api-XXXXXX";
  ASSERT_NE(mkdtemp(folder), nullptr);
  std::string path = std::string(folder) + "/Hello.txt";
  FILE* file = std::fopen(path.c_str(), "wb");
  ASSERT_NE(file, nullptr);
  std::fputs("hi!", file);
  std::fclose(file);
  FileLayer::instance().setGameFolder(folder);
  const GameFile* opened = api.file_open("hello.TXT", FileKind::Any);
  ASSERT_NE(opened, nullptr);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(opened->bytes), opened->size), "hi!");
  api.file_release(opened);
  *api.errno_location() = 0;
  EXPECT_EQ(api.file_open("nothing.txt", FileKind::Any), nullptr);
  EXPECT_EQ(*api.errno_location(), ENOENT);
  FileLayer::instance().setGameFolder(".");
  std::remove(path.c_str());
  rmdir(folder);
}

TEST_F(ScriptApiTest, FontRegistryLookups) {
  ASSERT_NE(api.font_registry, nullptr);
  api.font_registry->addFile("/nonexistent/Fonts/VL-Gothic-Regular.ttf");
  EXPECT_TRUE(api.font_found(api.font_lookup(u"vl-gothic-regular")));
  EXPECT_FALSE(api.font_found(api.font_lookup(u"Missing Font")));
}

TEST_F(ScriptApiTest, BuiltinScriptsRunCompiledElseFromTheirText) {
  std::string error;
  const Value compiled =
      evalRuby("RubyVM::InstructionSequence.compile('$builtin_ran = :compiled', 'a', 'a', 1).to_binary", &error);
  ASSERT_TRUE(error.empty()) << error;
  runBuiltinScript("$builtin_ran = :text", api.string_ptr(compiled),
                   static_cast<unsigned long>(api.string_length(compiled)), "a");
  EXPECT_EQ(toText(evalRuby("$builtin_ran")), "compiled");
  // What another interpreter version compiled is refused; the text runs instead.
  runBuiltinScript("$builtin_fallback = :text", "YARB", 4, "b");
  EXPECT_EQ(toText(evalRuby("$builtin_fallback")), "text");
}

TEST(ScriptApiDeathTest, ProcessExitEndsTheProcessWithItsCode) {
  EXPECT_EXIT(
      {
        ScriptApi& api = startEngine();
        api.process_exit(3);
      },
      ::testing::ExitedWithCode(3), "");
}

}  // namespace
}  // namespace engine
