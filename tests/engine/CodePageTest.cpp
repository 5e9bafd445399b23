#include "engine/private/CodePage.h"

#include <gtest/gtest.h>

namespace engine {
namespace {

std::string wide(std::u16string_view text) {
  std::string bytes;
  for (char16_t unit : text) {
    bytes += static_cast<char>(unit & 0xFF);
    bytes += static_cast<char>(unit >> 8);
  }
  return bytes;
}

TEST(CodePage, JapaneseAndChineseRoundTripThroughTheirPages) {
  struct Case {
    unsigned page;
    std::string bytes;
    std::u16string text;
  };
  for (const Case& c : {Case{932, "\x93\xfa\x96\x7b\x8c\xea", u"日本語"}, Case{936, "\xd6\xd0\xce\xc4", u"中文"},
                        Case{65001, "\xe4\xb8\xad\xe6\x96\x87", u"中文"}, Case{1252, "caf\xe9", u"café"}}) {
    const char* charset = codePageCharset(c.page);
    ASSERT_NE(charset, nullptr) << c.page;
    auto decoded = transcode(c.bytes, charset, "UTF-16LE", "\xFD\xFF", 1);
    ASSERT_TRUE(decoded) << c.page;
    EXPECT_EQ(decoded->bytes, wide(c.text)) << c.page;
    EXPECT_FALSE(decoded->replaced);
    auto encoded = transcode(decoded->bytes, "UTF-16LE", charset, "?", 2);
    ASSERT_TRUE(encoded);
    EXPECT_EQ(encoded->bytes, c.bytes) << c.page;
  }
}

TEST(CodePage, UndecodableInputAndMissingCharactersAreReplacedOneUnitAtATime) {
  auto decoded = transcode(
      "a\xff"
      "b",
      "UTF-8", "UTF-16LE", "\xFD\xFF", 1);
  ASSERT_TRUE(decoded);
  EXPECT_EQ(decoded->bytes, wide(u"a\uFFFDb"));
  EXPECT_TRUE(decoded->replaced);

  // A character outside the page, and a surrogate pair as one character.
  auto encoded = transcode(wide(u"a中\U0001F600b"), "UTF-16LE", "CP1252", "?", 2);
  ASSERT_TRUE(encoded);
  EXPECT_EQ(encoded->bytes, "a??b");
  EXPECT_TRUE(encoded->replaced);
}

TEST(CodePage, UnknownPagesHaveNoCharset) {
  EXPECT_EQ(codePageCharset(12345), nullptr);
  EXPECT_STREQ(codePageCharset(0), "UTF-8");
  EXPECT_FALSE(transcode("x", "NO-SUCH-CHARSET", "UTF-8", "?", 1));
}

}  // namespace
}  // namespace engine
