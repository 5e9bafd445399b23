#include "bindings/Tone.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "ScriptEnvironment.h"

namespace bindings {
namespace {

using test::run;

std::string channels(const std::string& tone) {
  return run("t = " + tone + "; [t.red, t.green, t.blue, t.gray].inspect");
}

TEST(ToneTest, ChannelsAreClampedToTheirRanges) {
  EXPECT_EQ(channels("Tone.new"), "[0, 0, 0, 0]");
  EXPECT_EQ(channels("Tone.new(1, 2, 3)"), "[1, 2, 3, 0]");
  EXPECT_EQ(channels("Tone.new(300, -300, 0, 400)"), "[255, -255, 0, 255]");
  EXPECT_EQ(channels("Tone.new(0, 0, 0, -5)"), "[0, 0, 0, 0]");
  EXPECT_EQ(channels("t = Tone.new; t.red = 1000; t.gray = -1; t"), "[255, 0, 0, 0]");
}

TEST(ToneTest, EveryScriptValueRoundTripsThroughTheSetters) {
  EXPECT_EQ(run("t = Tone.new; (-255..255).reject { |v| t.red = v; t.green = v; t.blue = v; "
                "[t.red, t.green, t.blue] == [v, v, v] }.inspect"),
            "[]");
  EXPECT_EQ(run("t = Tone.new; (0..255).reject { |v| t.gray = v; t.gray == v }.inspect"), "[]");
}

TEST(ToneTest, SetReturnsNilAndTakesTheConstructorForms) {
  EXPECT_EQ(run("Tone.new.set(1, 2, 3).inspect"), "nil");
  EXPECT_EQ(channels("t = Tone.new; t.set(Tone.new(4, 5, 6, 7)); t"), "[4, 5, 6, 7]");
  EXPECT_EQ(channels("t = Tone.new(4, 5, 6, 7); t.set; t"), "[0, 0, 0, 0]");
  EXPECT_EQ(run("Tone.new.set(1, 2)"), "ArgumentError: wrong number of arguments (given 2, expected 3)");
  EXPECT_EQ(run("Tone.new(1)"), "ArgumentError: wrong number of arguments (given 1, expected 3)");
  EXPECT_EQ(run("Tone.new(1, 2, 3, 4, 5)"), "ArgumentError: wrong number of arguments (given 5, expected 4)");
  EXPECT_EQ(run("Tone.new.set(Color.new)"), "TypeError: can't convert Color into Tone");
  EXPECT_EQ(run("Tone.new.send(:gray=, 300)"), "300");
}

TEST(ToneTest, EqualityRefusesOtherClasses) {
  EXPECT_EQ(run("Tone.new == 5"), "TypeError: can't convert Integer into Tone");
  EXPECT_EQ(run("Tone.new(1, 2, 3) == Tone.new(1, 2, 3, 0)"), "true");
  EXPECT_EQ(run("Tone.new(1, 2, 3).eql?(Tone.new(1, 2, 4))"), "false");
  EXPECT_EQ(run("t = Tone.new; t == t"), "true");
}

TEST(ToneTest, TextShowsScriptUnits) {
  EXPECT_EQ(run("Tone.new(255, -255, 0, 0)"), "(255.000000,-255.000000,0.000000,0.000000)");
  EXPECT_EQ(run("Tone.new(-255, -255, -255, 255).to_s.size <= 49"), "true");
}

TEST(ToneTest, DumpIsFourLittleEndianFloatsInStoredForm) {
  EXPECT_EQ(run("Tone.new(255, -300, 0, 51)._dump(0) == [1.0, -1.0, 0.0, 51 / 255.0].pack('e4')"), "true");
  EXPECT_EQ(run("Marshal.dump(Tone.new(255, 0, 0, 0)) == \"\\x04\\bu:\\tTone\\x15\".b + [1.0, 0, 0, 0].pack('e4')"),
            "true");
}

TEST(ToneTest, LoadReadsFloatsEngineDoublesAndTreatsOtherLengthsAsZero) {
  EXPECT_EQ(channels("Tone._load([0.1, -0.5, 2.0, -1.0].pack('e4'))"), "[25, -127, 255, 0]");
  EXPECT_EQ(channels("Tone._load([255.0, -510.0, 12.5, 127.0].pack('E4'))"), "[255, -255, 12, 127]");
  EXPECT_EQ(channels("Tone._load([Float::NAN, 1e300, -1e300, Float::NAN].pack('E4'))"), "[0, 255, -255, 0]");
  EXPECT_EQ(channels("Tone._load([Float::NAN, 1.0, 1.0, Float::NAN].pack('e4'))"), "[0, 255, 255, 0]");
  EXPECT_EQ(channels("Tone._load([10.0, 10.0].pack('E2') + 'xxxx')"), "[0, 0, 0, 0]");
  EXPECT_EQ(channels("Marshal.load(\"\\x04\\bu:\\tTone%\".b + [68.0, -34.0, 0.0, 255.0].pack('E4'))"),
            "[68, -34, 0, 255]");
}

TEST(ToneTest, LoadRefusesDataShorterThanTheRecord) {
  for (const char* bytes : {"''", "[0.5].pack('e')", "[0.5, 0.5, 0.5].pack('e3') + 'abc'"}) {
    EXPECT_EQ(run(std::string("Tone._load(") + bytes + ")"), "ArgumentError: marshal data too short") << bytes;
  }
}

TEST(ToneTest, PureLoadNeverLeavesFieldsOutOfRange) {
  const double doubles[4] = {std::numeric_limits<double>::max(), -std::numeric_limits<double>::max(),
                             std::numeric_limits<double>::quiet_NaN(), -1.0};
  Tone tone = *toneFromDump(std::string_view(reinterpret_cast<const char*>(doubles), sizeof(doubles)));
  EXPECT_EQ(tone, (Tone{1.0f, -1.0f, 0.0f, 0.0f}));
  std::array<char, 16> bytes = toneDump(Tone{0.5f, -0.25f, 0.0f, 1.0f});
  EXPECT_EQ(*toneFromDump(std::string_view(bytes.data(), bytes.size())), (Tone{0.5f, -0.25f, 0.0f, 1.0f}));
}

}  // namespace
}  // namespace bindings
