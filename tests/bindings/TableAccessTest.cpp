#include <gtest/gtest.h>

#include "ScriptEnvironment.h"
#include "bindings/ValueClasses.h"

namespace bindings {
namespace {

using test::api;
using test::run;

int dimensionField(const char* table) {
  return api().table_data(api().eval_string(table))->dimensions;
}

TEST(TableAccessTest, ReaderTakesOneIndexPerDimension) {
  EXPECT_EQ(run("t = Table.new(2, 3, 4); t[1, 2, 3] = 7; [t[1, 2, 3], t[0, 0, 0]].inspect"), "[7, 0]");
  EXPECT_EQ(run("Table.new(3, 2)[1]"), "ArgumentError: wrong number of arguments (given 1, expected 2)");
  EXPECT_EQ(run("Table.new(3)[1, 1]"), "ArgumentError: wrong number of arguments (given 2, expected 1)");
  EXPECT_EQ(run("Table.new(3, 2).send(:[]=, 1, 5)"), "ArgumentError: wrong number of arguments (given 1, expected 2)");
  EXPECT_EQ(run("Table.new(3)[nil]"), "TypeError: no implicit conversion from nil to integer");
}

TEST(TableAccessTest, OutOfRangeReadsAndWritesGiveNil) {
  EXPECT_EQ(run("t = Table.new(3, 2); [t[3, 0], t[0, 2], t[-1, 0], t.send(:[]=, 0, 2, 9)].inspect"),
            "[nil, nil, nil, nil]");
  // An out-of-range write converts nothing and marks nothing.
  EXPECT_EQ(run("Table.new(3).send(:[]=, 5, 'not a number').inspect"), "nil");
  EXPECT_EQ(dimensionField("$t = Table.new(3, 2); $t[9, 9] = 1; $t"), 2);
}

TEST(TableAccessTest, WriterStoresLowSixteenBitsAndReturnsTheValue) {
  EXPECT_EQ(run("Table.new(2).send(:[]=, 1, 70000)"), "70000");
  EXPECT_EQ(run("t = Table.new(4); t[0] = 70000; t[1] = -1; t[2] = 40000; t[3] = 32767; "
                "[t[0], t[1], t[2], t[3]].inspect"),
            "[4464, -1, -25536, 32767]");
  EXPECT_EQ(run("Table.new(1)[0] = 'x'"), "TypeError: no implicit conversion of String into Integer");
}

TEST(TableAccessTest, WriterLeavesTheChangedMark) {
  EXPECT_EQ(dimensionField("Table.new(3)"), 1);
  EXPECT_EQ(dimensionField("t = Table.new(3); t[0] = 1; t"), -1);
  EXPECT_EQ(dimensionField("t = Table.new(3, 2, 2); t[2, 1, 1] = 5; t"), -3);
  // The marked table keeps working and saves with its real dimension count.
  EXPECT_EQ(run("t = Table.new(2, 2); t[1, 1] = 3; t[0, 1] = 4; u = Marshal.load(Marshal.dump(t)); "
                "[u[1, 1], u[0, 1], u.xsize, u.ysize, t._dump(0).unpack1('l<')].inspect"),
            "[3, 4, 2, 2, 2]");
}

}  // namespace
}  // namespace bindings
