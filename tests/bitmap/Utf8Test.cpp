#include "bitmap/core/Utf8.h"

#include <gtest/gtest.h>

namespace bitmap {
namespace {

TEST(DecodeUtf8, DecodesEveryLengthAndCharactersBeyondTheBasicPlane) {
  EXPECT_EQ(decodeUtf8("A\xC3\xA9\xE4\xB8\xAD\xF0\xA0\xAE\xB7"), (std::u32string{U'A', U'é', U'中', U'\U00020BB7'}));
  EXPECT_EQ(decodeUtf8(""), U"");
}

TEST(DecodeUtf8, MalformedSequencesBecomeReplacementCharacters) {
  EXPECT_EQ(decodeUtf8("\xFF" "a"), (std::u32string{0xFFFD, U'a'}));
  EXPECT_EQ(decodeUtf8("\xE4\xB8"), (std::u32string{0xFFFD})) << "truncated at the end";
  EXPECT_EQ(decodeUtf8("\xE4" "a"), (std::u32string{0xFFFD, U'a'})) << "cut short by a plain byte";
  EXPECT_EQ(decodeUtf8("\xC0\x80"), (std::u32string{0xFFFD})) << "overlong";
  EXPECT_EQ(decodeUtf8("\xED\xA0\x80"), (std::u32string{0xFFFD})) << "surrogate";
  EXPECT_EQ(decodeUtf8("\xF4\x90\x80\x80"), (std::u32string{0xFFFD})) << "beyond U+10FFFF";
}

}  // namespace
}  // namespace bitmap
