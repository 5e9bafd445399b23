#include <gtest/gtest.h>

#include "tests/engine/EngineFixture.h"

namespace engine {
namespace {

using testing::evalText;

class TableTest : public ::testing::Test {
 protected:
  ScriptApi& api = testing::startEngine();
};

TEST_F(TableTest, ElementsAreInt16AndOutOfRangeReadsNil) {
  EXPECT_EQ(evalText("t = Table.new(4, 3, 2); [t.xsize, t.ysize, t.zsize, t[3, 2, 1], t[0, 0, 0]].inspect"),
            "[4, 3, 2, 0, 0]");
  EXPECT_EQ(evalText("t = Table.new(2); t[1] = 40000; t[0] = -1; [t[0], t[1]].inspect"), "[-1, -25536]");
  EXPECT_EQ(evalText("t = Table.new(2, 2); [t[2, 0], t[0, 2], t[-1, 0]].inspect"), "[nil, nil, nil]");
  EXPECT_EQ(evalText("t = Table.new(2, 2); [(t[5, 5] = 3), t[1, 1]].inspect"), "[3, 0]");
  EXPECT_EQ(evalText("t = Table.new(2, 2); t.send(:[]=, 5, 5, 3).inspect"), "nil");
}

TEST_F(TableTest, IndexCountMustMatchTheDimensions) {
  EXPECT_EQ(evalText("Table.new(2, 2)[1]"), "raised ArgumentError: wrong number of arguments (given 1, expected 2)");
  EXPECT_EQ(evalText("Table.new(2)[1, 1] = 3"),
            "raised ArgumentError: wrong number of arguments (given 2, expected 1)");
  EXPECT_EQ(evalText("Table.new"), "raised ArgumentError: wrong number of arguments (given 0, expected 1..3)");
}

TEST_F(TableTest, ResizeKeepsOverlappingElements) {
  EXPECT_EQ(evalText("t = Table.new(3, 3); t[2, 2] = 9; t[1, 0] = 4; t.resize(2, 4); "
                     "[t.xsize, t.ysize, t[1, 0], t[1, 3]].inspect"),
            "[2, 4, 4, 0]");
  EXPECT_EQ(evalText("t = Table.new(3); t[2] = 5; t.resize(4, 2); [t[2, 0], t[3, 1]].inspect"), "[5, 0]");
}

TEST_F(TableTest, AbsurdAndNegativeSizesAreRefusedOrEmpty) {
  EXPECT_EQ(evalText("t = Table.new(-5, 2); [t.xsize, t.ysize, t[0, 0]].inspect"), "[0, 2, nil]");
  EXPECT_EQ(evalText("Table.new(100000, 100000, 4)"), "raised ArgumentError: table too large (100000 x 100000 x 4)");
  EXPECT_EQ(evalText("Table.new(2**40)").rfind("raised RangeError", 0), 0u);
}

TEST_F(TableTest, MarshalFormIsTheSavedTableLayout) {
  // Header [dimensions, x, y, z, count] as five little-endian int32, then the int16 elements.
  EXPECT_EQ(evalText("t = Table.new(2, 1); t[0, 0] = 2048; t[1, 0] = -2; t._dump(0).unpack('l<5s<*').inspect"),
            "[2, 2, 1, 1, 2, 2048, -2]");
  EXPECT_EQ(evalText("t = Table.new(17, 13, 4); t[16, 12, 3] = 7; u = Marshal.load(Marshal.dump(t)); "
                     "[u.xsize, u.ysize, u.zsize, u[16, 12, 3]].inspect"),
            "[17, 13, 4, 7]");
  EXPECT_EQ(evalText("Table._load([2, 0, 8, 1, 0].pack('l<5')).ysize"), "8");
}

TEST_F(TableTest, CorruptMarshalDataRaisesInsteadOfReadingPastTheEnd) {
  EXPECT_EQ(evalText("Table._load([1, 4, 1, 1, 4].pack('l<5') + 'ab')"),
            "raised ArgumentError: marshal data too short");
  EXPECT_EQ(evalText("Table._load([1, 2].pack('l<2'))"), "raised ArgumentError: marshal data too short");
  EXPECT_EQ(evalText("Table._load([1, 2, 1, 1, 9].pack('l<5') + 'abcd')"),
            "raised ArgumentError: corrupt table data (9 elements for 2 x 1 x 1)");
  EXPECT_EQ(evalText("Table._load([7, 2, 1, 1, 2].pack('l<5') + 'abcd')"),
            "raised ArgumentError: corrupt table data (7 dimensions, 2 x 1 x 1)");
  // Claiming 64 million elements without the bytes for them fails before anything is allocated.
  EXPECT_EQ(evalText("peak = -> { File.read('/proc/self/status')[/VmHWM:\\s+(\\d+)/, 1].to_i }; before = peak.(); "
                     "Table._load([3, 4096, 4096, 4, 67108864].pack('l<5')) rescue peak.() - before < 16_000"),
            "true");
  EXPECT_EQ(evalText("Table._load([3, 65536, 65536, 65536, 0].pack('l<5'))"),
            "raised ArgumentError: table too large (65536 x 65536 x 65536)");
}

TEST_F(TableTest, CopiesAreIndependent) {
  EXPECT_EQ(evalText("t = Table.new(2); t[0] = 1; u = t.dup; u[0] = 2; [t[0], u[0]].inspect"), "[1, 2]");
}

TEST(RectTest, FieldsSetAndCompare) {
  testing::startEngine();
  EXPECT_EQ(evalText("Rect.new.to_s"), "(0, 0, 0, 0)");
  EXPECT_EQ(evalText("r = Rect.new(1, 2, 3, 4); r.x += 10; r.to_s"), "(11, 2, 3, 4)");
  EXPECT_EQ(evalText("r = Rect.new(1, 2, 3, 4); r.set(Rect.new(5, 6, 7, 8)); r.to_s"), "(5, 6, 7, 8)");
  EXPECT_EQ(evalText("Rect.new(1, 2, 3, 4).empty.to_s"), "(0, 0, 0, 0)");
  EXPECT_EQ(evalText("Rect.new(1, 2, 3, 4) == Rect.new(1, 2, 3, 4)"), "true");
  EXPECT_EQ(evalText("Rect.new(1, 2, 3, 4) == 5"), "false");
  EXPECT_EQ(evalText("Rect.new(1, 2)"), "raised ArgumentError: wrong number of arguments (given 2, expected 4)");
  EXPECT_EQ(evalText("Marshal.load(Marshal.dump(Rect.new(-1, 2, 3, 4))).to_s"), "(-1, 2, 3, 4)");
  EXPECT_EQ(evalText("Rect.new.set(Table.new(1))").rfind("raised TypeError", 0), 0u);
}

}  // namespace
}  // namespace engine
