#include "bindings/Color.h"

#include <gtest/gtest.h>

#include "ScriptEnvironment.h"

namespace bindings {
namespace {

using test::run;

TEST(ColorTest, ConstructorKeepsLowBitsWhileSetAndSettersClamp) {
  EXPECT_EQ(run("Color.new"), "(0,0,0,0)");
  EXPECT_EQ(run("Color.new(1, 2, 3)"), "(1,2,3,255)");
  EXPECT_EQ(run("Color.new(1, 2, 3, 4)"), "(1,2,3,4)");
  EXPECT_EQ(run("Color.new(300, -1, 0)"), "(44,255,0,255)");
  EXPECT_EQ(run("Color.new.set(300, -1, 0)"), "(255,0,0,255)");
  EXPECT_EQ(run("Color.new(9, 9, 9, 9).set(1, 2, 256, -7)"), "(1,2,255,0)");
  EXPECT_EQ(run("c = Color.new; c.red = 300; c.green = -5; c.blue = 254.9; c"), "(255,0,254,0)");
  EXPECT_EQ(run("Color.new(1.9, 2, 3).red"), "1");
}

TEST(ColorTest, SetReturnsTheColourAndSettersTheirArgument) {
  EXPECT_EQ(run("c = Color.new; c.set(1, 2, 3).equal?(c)"), "true");
  EXPECT_EQ(run("c = Color.new; c.set(Color.new(5, 6, 7, 8)).equal?(c) && c.to_s"), "(5,6,7,8)");
  EXPECT_EQ(run("Color.new.send(:alpha=, 300)"), "300");
}

TEST(ColorTest, ArgumentCountErrorsNameTheCrossedBound) {
  EXPECT_EQ(run("Color.new(1)"), "ArgumentError: wrong number of arguments (given 1, expected 3)");
  EXPECT_EQ(run("Color.new(1, 2)"), "ArgumentError: wrong number of arguments (given 2, expected 3)");
  EXPECT_EQ(run("Color.new(1, 2, 3, 4, 5)"), "ArgumentError: wrong number of arguments (given 5, expected 4)");
  EXPECT_EQ(run("Color.new.set"), "ArgumentError: wrong number of arguments (given 0, expected 1)");
  EXPECT_EQ(run("Color.new.set(1, 2)"), "ArgumentError: wrong number of arguments (given 2, expected 3)");
  EXPECT_EQ(run("Color.new.set(1, 2, 3, 4, 5)"), "ArgumentError: wrong number of arguments (given 5, expected 4)");
  EXPECT_EQ(run("Color.new.red(1)"), "ArgumentError: wrong number of arguments (given 1, expected 0)");
}

TEST(ColorTest, ArgumentsOfTheWrongKindRaiseTypeErrors) {
  EXPECT_EQ(run("Color.new.set(Tone.new)"), "TypeError: can't convert Tone into Color");
  EXPECT_EQ(run("Color.new.set(nil)"), "TypeError: can't convert NilClass into Color");
  EXPECT_EQ(run("Color.new('1', 2, 3)"), "TypeError: no implicit conversion of String into Integer");
  // A failed conversion leaves the colour as it was.
  EXPECT_EQ(run("c = Color.new(1, 2, 3, 4); c.set(9, 9, nil) rescue nil; c"), "(1,2,3,4)");
}

TEST(ColorTest, EqualityIsFalseForOtherClasses) {
  EXPECT_EQ(run("Color.new == 5"), "false");
  EXPECT_EQ(run("Color.new == Tone.new"), "false");
  EXPECT_EQ(run("Color.new(1, 2, 3) == Color.new(1, 2, 3, 255)"), "true");
  EXPECT_EQ(run("Color.new(1, 2, 3).eql?(Color.new(1, 2, 4))"), "false");
  EXPECT_EQ(run("Color.new(1, 2, 3) === Color.new(1, 2, 3)"), "true");
}

TEST(ColorTest, CopiesAreIndependentAndChecked) {
  EXPECT_EQ(run("a = Color.new(1, 2, 3); b = a.dup; a.red = 9; [a, b, b.class].join(' ')"),
            "(9,2,3,255) (1,2,3,255) Color");
  EXPECT_EQ(run("Color.new(1, 2, 3).clone"), "(1,2,3,255)");
  EXPECT_EQ(run("Color.new.send(:initialize_copy, Tone.new)"), "TypeError: wrong argument class");
  EXPECT_EQ(run("class SubColor < Color; end; Color.new.send(:initialize_copy, SubColor.new)"),
            "TypeError: wrong argument class");
  EXPECT_EQ(run("c = Color.new(1, 2, 3).freeze; c.send(:initialize_copy, c)"), "(1,2,3,255)");
  EXPECT_EQ(run("Color.new.freeze.send(:initialize_copy, Color.new(1, 2, 3))").rfind("FrozenError: ", 0), 0u);
}

TEST(ColorTest, DumpIsTheRecordBytes) {
  EXPECT_EQ(run("Color.new(1, 2, 3, 4)._dump(0).bytes.inspect"), "[3, 2, 1, 4]");
  EXPECT_EQ(run("Color.new(1, 2, 3, 4)._dump(0).encoding"), "ASCII-8BIT");
  EXPECT_EQ(run("Marshal.dump(Color.new(1, 2, 3, 4)) == \"\\x04\\bu:\\nColor\\t\\x03\\x02\\x01\\x04\".b"),
            "true");
}

TEST(ColorTest, LoadReadsRecordBytesAndTheEngineDoubleForm) {
  EXPECT_EQ(run("Color._load(\"\\x03\\x02\\x01\\x04\")"), "(1,2,3,4)");
  EXPECT_EQ(run("Color._load([300.7, -1.5, 2.0, 255.0].pack('E4'))"), "(44,255,2,255)");
  EXPECT_EQ(run("Color._load([Float::NAN, Float::INFINITY, 1e300, -256.0].pack('E4'))"), "(0,0,0,0)");
  EXPECT_EQ(run("Marshal.load(\"\\x04\\bu:\\nColor%\".b + [255.0, 128.0, 0.0, 64.0].pack('E4'))"),
            "(255,128,0,64)");
  EXPECT_EQ(run("class SubColor < Color; end; SubColor._load(\"\\x01\\x02\\x03\\x04\").class"), "SubColor");
}

// A truncated save must fail to load rather than turn its colours black.
TEST(ColorTest, LoadRefusesDataOfNeitherForm) {
  for (const char* bytes : {"''", "\"\\x05\"", "[10.0].pack('E') + 'abc'", "[1.0, 2.0, 3.0].pack('E3') + 'abcdefg'"}) {
    EXPECT_EQ(run(std::string("Color._load(") + bytes + ")"), "ArgumentError: marshal data too short") << bytes;
  }
  EXPECT_EQ(run("Marshal.load(\"\\x04\\bu:\\nColor\\x08\\x01\\x02\\x03\".b)"), "ArgumentError: marshal data too short");
}

TEST(ColorTest, PureDumpFormsMatchTheClassMethods) {
  Color color{3, 2, 1, 4};
  std::array<char, 4> bytes = colorDump(color);
  EXPECT_EQ(std::string(bytes.data(), 4), std::string("\x03\x02\x01\x04", 4));
  EXPECT_EQ(*colorFromDump(std::string_view(bytes.data(), 4)), color);
}

}  // namespace
}  // namespace bindings
