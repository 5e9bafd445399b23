#include "engine/Utf.h"

#include <gtest/gtest.h>

namespace engine {
namespace {

constexpr char32_t kBad = 0xFFFD;

TEST(Utf, DecodesEveryLengthAndCharactersBeyondTheBasicPlane) {
  EXPECT_EQ(utf8ToUtf32("A\xC3\xA9\xE4\xB8\xAD\xF0\xA0\xAE\xB7"), (std::u32string{U'A', U'é', U'中', U'\U00020BB7'}));
  EXPECT_EQ(utf8ToUtf16("A\xF0\xA0\xAE\xB7"), u"A\U00020BB7");
  EXPECT_EQ(utf8ToUtf32(""), U"");
  EXPECT_EQ(utf16ToUtf8(u"中\U00020BB7"), "\xE4\xB8\xAD\xF0\xA0\xAE\xB7");
  EXPECT_EQ(utf16ToUtf8(std::u16string{u'a', char16_t(0xD800), u'b'}), "a\xEF\xBF\xBD" "b") << "lone surrogate";
}

// One U+FFFD per maximal ill-formed subpart, as String#scrub counts them.
TEST(Utf, EachMaximalIllFormedSubpartIsOneReplacement) {
  struct Case {
    const char* bytes;
    std::u32string decoded;
  };
  const Case cases[] = {
      {"\xFF" "a", {kBad, U'a'}},
      {"\xF0\x9F\x98", {kBad}},                         // a 4-byte sequence cut at the end
      {"\xE4" "a", {kBad, U'a'}},                       // cut short by a plain byte
      {"\xE4\xB8\xE4\xB8\xAD", {kBad, U'中'}},          // cut short by the next lead
      {"\xC0\x80", {kBad, kBad}},                       // overlong: C0 never starts a sequence
      {"\xE0\x80\x80", {kBad, kBad, kBad}},             // overlong: 80 cannot follow E0
      {"\xED\xA0\x80", {kBad, kBad, kBad}},             // surrogate
      {"\xF4\x90\x80\x80", {kBad, kBad, kBad, kBad}},   // beyond U+10FFFF
      {"\x80\xBF", {kBad, kBad}},                       // stray continuation bytes
      {"\xE1\x80\xE2\xF0\x91\x92\xF1\xBF" "A", {kBad, kBad, kBad, kBad, U'A'}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(utf8ToUtf32(c.bytes), c.decoded) << testing::PrintToString(std::string(c.bytes));
    EXPECT_EQ(utf8ToUtf16(c.bytes).size(), c.decoded.size()) << testing::PrintToString(std::string(c.bytes));
  }
}

TEST(Utf, LimitsOfEachLengthDecode) {
  EXPECT_EQ(utf8ToUtf32("\xC2\x80\xDF\xBF\xE0\xA0\x80\xED\x9F\xBF\xEE\x80\x80\xF0\x90\x80\x80\xF4\x8F\xBF\xBF"),
            (std::u32string{0x80, 0x7FF, 0x800, 0xD7FF, 0xE000, 0x10000, 0x10FFFF}));
}

}  // namespace
}  // namespace engine
