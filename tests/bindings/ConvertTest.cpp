#include "bindings/Convert.h"

#include <gtest/gtest.h>

#include <limits>

#include "ScriptEnvironment.h"
#include "bindings/ScriptError.h"

namespace bindings {
namespace {

TEST(ConvertTest, ByteClampsToChannelRange) {
  EXPECT_EQ(clampByte(-300), 0);
  EXPECT_EQ(clampByte(0), 0);
  EXPECT_EQ(clampByte(1), 1);
  EXPECT_EQ(clampByte(254), 254);
  EXPECT_EQ(clampByte(255), 255);
  EXPECT_EQ(clampByte(100000), 255);
}

struct IntervalCase {
  double seconds;
  std::int64_t wholeSeconds;
  std::int32_t nanoseconds;
};

TEST(ConvertTest, SecondsSplitIntoWholeSecondsAndNonNegativeNanoseconds) {
  const IntervalCase cases[] = {
      {0.0, 0, 0},
      {1.5, 1, 500000000},
      {-0.25, -1, 750000000},
      {-1.75, -2, 250000000},
      {-3.0, -3, 0},
      {0.0000000004, 0, 0},               // rounds to the nearest nanosecond
      {0.9999999996, 1, 0},               // and a fraction that rounds up to one carries
      {2.0000000006, 2, 1},
  };
  for (const IntervalCase& c : cases) {
    std::optional<TimeInterval> interval = secondsToInterval(c.seconds);
    ASSERT_TRUE(interval.has_value()) << c.seconds;
    EXPECT_EQ(*interval, (TimeInterval{c.wholeSeconds, c.nanoseconds})) << c.seconds;
  }
}

TEST(ConvertTest, SecondsBeyondSixtyFourBitsAreOutOfRange) {
  EXPECT_FALSE(secondsToInterval(1e19).has_value());
  EXPECT_FALSE(secondsToInterval(-1e19).has_value());
  EXPECT_FALSE(secondsToInterval(std::numeric_limits<double>::infinity()).has_value());
  EXPECT_FALSE(secondsToInterval(std::numeric_limits<double>::quiet_NaN()).has_value());
  EXPECT_TRUE(secondsToInterval(-9223372036854775808.0).has_value());
}

TEST(ConvertTest, TextRoundTripsBetweenUtf8AndUtf16) {
  EXPECT_EQ(toUtf16("A\xE4\xB8\xAD\xF0\x9F\x98\x80"), (std::u16string{u'A', 0x4E2D, 0xD83D, 0xDE00}));
  EXPECT_TRUE(toUtf16("").empty());
  std::string back(stringView(newString(std::u16string_view(u"\u5b8b\u4f53"))));
  EXPECT_EQ(back, "\xE5\xAE\x8B\xE4\xBD\x93");
}

TEST(ConvertTest, StringListTakesAStringOrAnArrayOfStrings) {
  engine::ScriptApi& api = test::api();
  EXPECT_EQ(stringList(api.eval_string("'Arial'")), std::vector<std::string>{"Arial"});
  EXPECT_EQ(stringList(api.eval_string("['A', 'B']")), (std::vector<std::string>{"A", "B"}));
  for (const char* wrong : {"['A', 1]", "nil", ":A"}) {
    try {
      (void)stringList(api.eval_string(wrong));
      ADD_FAILURE() << wrong << " accepted";
    } catch (const ScriptError& error) {
      EXPECT_EQ(error.errorClass(), api.type_error);
      EXPECT_EQ(error.message(), "wrong argument type");
    }
  }
}

TEST(ConvertTest, OnlyTrueIsTrue) {
  engine::ScriptApi& api = test::api();
  EXPECT_TRUE(truth(api.true_value));
  EXPECT_FALSE(truth(api.false_value));
  EXPECT_FALSE(truth(api.nil));
  EXPECT_FALSE(truth(api.int2num(1)));
  EXPECT_FALSE(truth(api.eval_string("Object.new")));
}

}  // namespace
}  // namespace bindings
