#include "bindings/Binding.h"

#include <gtest/gtest.h>

#include <new>
#include <stdexcept>
#include <string>

#include "ScriptEnvironment.h"
#include "bindings/Color.h"

namespace bindings {
namespace {

using test::run;

int g_cleanups = 0;
int g_released = 0;

// A display-object-like record: a disposed flag, and a destructor the collector must run.
struct Probe {
  bool m_disposed = false;
  int m_value = 0;

  ~Probe() { ++g_released; }
  bool disposed() const { return m_disposed; }
};

struct CleanupCounter {
  std::string m_owned = "heap-allocated text that a skipped destructor would leak";
  ~CleanupCounter() { ++g_cleanups; }
};

int probeValue(const Probe& probe) {
  return probe.m_value;
}

void probeSetValue(Probe& probe, int value) {
  probe.m_value = value;
}

double probeSum(Probe&, int a, long b, double c) {
  return a + static_cast<double>(b) + c;
}

bool probeTruth(Probe&, bool flag) {
  return flag;
}

int probeByte(Probe&, Byte value) {
  return value;
}

long probeLength(Probe&, std::string_view text) {
  return static_cast<long>(text.size());
}

int probeRed(Probe&, const Color& color) {
  return color.red;
}

bool probeHasColor(Probe&, Color* color) {
  return color != nullptr;
}

int probeCount(Probe&, Args args) {
  args.require(1, 3);
  return args.count;
}

Value probeDispose(Value self) {
  dataRecord<Probe>(self)->m_disposed = true;
  return api().nil;
}

bool probeIsDisposed(Value self) {
  return dataRecord<Probe>(self)->disposed();
}

Value probeFailAfterCleanup(Probe&) {
  CleanupCounter counter;
  throw scriptError("failed with %d cleanups", g_cleanups);
}

Value probeOutOfMemory(Probe&) {
  throw std::bad_alloc();
}

Value probeStandardException(Probe&) {
  throw std::runtime_error("internal failure");
}

Value probeInterval(Value, Value seconds) {
  TimeInterval interval = toInterval(seconds);
  return newString(std::to_string(interval.seconds) + " " + std::to_string(interval.nanoseconds));
}

Value probeMake(Value klass) {
  Value object = newRecordObject<Probe>(klass);
  liveRecord<Probe>(object).m_value = 42;
  return object;
}

class BindingTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ClassDef<Probe>("BindingProbe")
        .disposedMessage("disposed probe")
        .refuseCopy("Binding Probe")
        .method<&probeValue>("value")
        .setter<&probeSetValue>("value=")
        .method<&probeSum>("sum")
        .method<&probeTruth>("truth")
        .method<&probeByte>("byte")
        .method<&probeLength>("length")
        .method<&probeRed>("red")
        .method<&probeHasColor>("color?")
        .method<&probeCount>("count")
        .method<&probeDispose>("dispose")
        .method<&probeIsDisposed>("disposed?")
        .method<&probeFailAfterCleanup>("fail_after_cleanup")
        .method<&probeOutOfMemory>("out_of_memory")
        .method<&probeStandardException>("standard_exception")
        .method<&probeInterval>("interval")
        .classMethod<&probeMake>("make");
  }
};

TEST_F(BindingTest, ArityComesFromTheSignature) {
  EXPECT_EQ(run("[:value, :value=, :sum, :count, :dispose].map { |m| BindingProbe.instance_method(m).arity }.inspect"),
            "[0, 1, 3, -1, 0]");
  EXPECT_EQ(run("BindingProbe.new.sum(1, 2)"), "ArgumentError: wrong number of arguments (given 2, expected 3)");
  EXPECT_EQ(run("BindingProbe.new.count"), "ArgumentError: wrong number of arguments (given 0, expected 1)");
  EXPECT_EQ(run("BindingProbe.new.count(1, 2, 3, 4)"), "ArgumentError: wrong number of arguments (given 4, expected 3)");
  EXPECT_EQ(run("BindingProbe.new.count(1, 2)"), "2");
}

TEST_F(BindingTest, ParametersAreConvertedByType) {
  EXPECT_EQ(run("BindingProbe.new.sum(1, 2, 0.5)"), "3.5");
  EXPECT_EQ(run("BindingProbe.new.sum(1, 2, 'x')"), "TypeError: no implicit conversion to float from string");
  EXPECT_EQ(run("[true, false, nil, 1, Object.new].map { |v| BindingProbe.new.truth(v) }.inspect"),
            "[true, false, false, false, false]");
  EXPECT_EQ(run("[-1, 0, 1, 254, 255, 256].map { |v| BindingProbe.new.byte(v) }.inspect"),
            "[0, 0, 1, 254, 255, 255]");
  EXPECT_EQ(run("BindingProbe.new.length('\u4e2d')"), "3");
  EXPECT_EQ(run("BindingProbe.new.length(5)"), "TypeError: wrong argument type Integer (expected String)");
  EXPECT_EQ(run("BindingProbe.new.red(Color.new(7, 0, 0))"), "7");
  EXPECT_EQ(run("BindingProbe.new.red(Tone.new)"), "TypeError: can't convert Tone into Color");
  EXPECT_EQ(run("[nil, Color.new].map { |c| BindingProbe.new.color?(c) }.inspect"), "[false, true]");
  EXPECT_EQ(run("BindingProbe.new.color?(1)"), "TypeError: can't convert Integer into Color");
}

TEST_F(BindingTest, SettersReturnTheirArgument) {
  EXPECT_EQ(run("p = BindingProbe.new; [p.send(:value=, 7.9), p.value].inspect"), "[7.9, 7]");
}

TEST_F(BindingTest, DisposedObjectsRaiseExceptInDisposeAndTheQuery) {
  EXPECT_EQ(run("p = BindingProbe.new; p.dispose; [p.disposed?, p.dispose.inspect].inspect"), "[true, \"nil\"]");
  EXPECT_EQ(run("p = BindingProbe.new; p.dispose; p.value"), "RGSSError: disposed probe");
  EXPECT_EQ(run("p = BindingProbe.new; p.dispose; p.value = 1"), "RGSSError: disposed probe");
}

TEST_F(BindingTest, CopiesAreRefusedWithTheShownName) {
  EXPECT_EQ(run("BindingProbe.new.clone"), "RGSSError: can't clone Binding Probe");
  EXPECT_EQ(run("BindingProbe.new.dup"), "RGSSError: can't dup Binding Probe");
}

TEST_F(BindingTest, ErrorsAreRaisedAfterTheBodysObjectsAreDestroyed) {
  g_cleanups = 0;
  EXPECT_EQ(run("BindingProbe.new.fail_after_cleanup"), "RGSSError: failed with 0 cleanups");
  EXPECT_EQ(g_cleanups, 1);
  EXPECT_EQ(run("BindingProbe.new.out_of_memory.class"), "NoMemoryError: failed to allocate memory");
  EXPECT_EQ(run("BindingProbe.new.standard_exception"), "RGSSError: internal failure");
}

TEST_F(BindingTest, ClassMethodsBuildObjectsOfTheReceivingClass) {
  EXPECT_EQ(run("BindingProbe.make.value"), "42");
  EXPECT_EQ(run("class SubProbe < BindingProbe; end; SubProbe.make.class"), "SubProbe");
}

TEST_F(BindingTest, TheCollectorReleasesRecords) {
  int before = g_released;
  run("GC.start; 200.times { BindingProbe.new }; GC.start(full_mark: true, immediate_sweep: true)");
  EXPECT_GE(g_released - before, 100);
}

TEST_F(BindingTest, SecondsBecomeTimeIntervals) {
  EXPECT_EQ(run("BindingProbe.new.interval(-0.25)"), "-1 750000000");
  EXPECT_EQ(run("BindingProbe.new.interval(2)"), "2 0");
  EXPECT_EQ(run("BindingProbe.new.interval(1e19)"), "RGSSError: 10000000000000000000.000000 out of Time range");
}

}  // namespace
}  // namespace bindings
