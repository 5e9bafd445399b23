// Names inserted into evaluated script text as literals: nothing in a name can end the literal or run code.

#include <gtest/gtest.h>

#include "video/ScriptText.h"

namespace {

TEST(ScriptText, LiteralEscapesWhatWouldEndOrInterpolateIt) {
  const struct {
    std::string_view bytes;
    const char* literal;
  } cases[] = {
      {"Movies/Intro.wmv", R"("Movies/Intro.wmv")"},
      {R"(a"b)", R"("a\"b")"},
      {R"(C:\movies\x.wmv)", R"("C:\\movies\\x.wmv")"},
      {"#{exit}", R"("\#{exit}")"},
      {std::string_view("a\nb\0c", 5), R"("a\x0Ab\x00c")"},
      {"\xE3\x81\x82", R"("\xE3\x81\x82")"},
      {"", R"("")"},
  };
  for (const auto& c : cases) EXPECT_EQ(video::rubyStringLiteral(c.bytes), c.literal) << c.bytes;
}

}  // namespace
