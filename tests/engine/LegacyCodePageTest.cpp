#include "engine/LegacyCodePage.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "engine/private/CodePage.h"

namespace engine {
namespace {

// `text` as a system of that character set writes it, or read from it.
std::string converted(const std::string& text, const char* from, const char* to) {
  return transcode(text, from, to, "?", 1).value().bytes;
}

struct GuessCase {
  const char* name;
  const char* text;
  const char* encoding;
  int codePage;
};

class GuessCodePage : public testing::TestWithParam<GuessCase> {};

TEST_P(GuessCodePage, ReadsTitlesInTheirOwnCodePage) {
  const GuessCase& c = GetParam();
  const std::string bytes = converted(c.text, "UTF-8", c.encoding);
  EXPECT_EQ(guessCodePage(bytes), c.codePage) << c.text;
  EXPECT_EQ(decodeProfileText("Title=" + bytes), std::string("Title=") + c.text);
}

INSTANTIATE_TEST_SUITE_P(Titles, GuessCodePage,
                         testing::Values(GuessCase{"ChineseLonger", "魔法少女的冒险", "CP936", kCodePageGbk},
                                         GuessCase{"Chinese", "仙剑奇侠传", "CP936", kCodePageGbk},
                                         GuessCase{"JapaneseWithHiragana", "勇者の伝説", "CP932", kCodePageShiftJis},
                                         GuessCase{"JapaneseKanjiOnly", "魔界戦記", "CP932", kCodePageShiftJis},
                                         GuessCase{"JapaneseKatakana", "ドラゴンクエスト", "CP932", kCodePageShiftJis},
                                         GuessCase{"Korean", "전설의 용사", "CP949", kCodePageUhc},
                                         GuessCase{"KoreanLonger", "마법 소녀의 모험", "CP949", kCodePageUhc},
                                         GuessCase{"WesternEuropean", "Café Noir", "CP1252", kCodePageWestern}),
                         [](const testing::TestParamInfo<GuessCase>& info) { return info.param.name; });

TEST(DecodeProfileText, Utf8AndUtf16PassUnguessed) {
  EXPECT_EQ(decodeProfileText("Title=仙剑 ☃"), "Title=仙剑 ☃");
  EXPECT_EQ(decodeProfileText(std::string_view("\xFF\xFET\0=\0\x11\x4E", 8)), "T=丑");
}

TEST(DecodeProfileText, TheUsersCodePageWinsAndAnUnknownOneIsGuessedPast) {
  const std::string bytes = converted("仙剑奇侠传", "UTF-8", "CP936");
  setenv("QUILLON_CODEPAGE", "949", 1);
  EXPECT_NE(decodeProfileText(bytes), "仙剑奇侠传");
  EXPECT_EQ(decodeProfileText(bytes), converted(bytes, "CP949", "UTF-8"));
  setenv("QUILLON_CODEPAGE", "GBK", 1);
  EXPECT_EQ(decodeProfileText(bytes), "仙剑奇侠传");
  setenv("QUILLON_CODEPAGE", "no-such-encoding", 1);
  EXPECT_EQ(decodeProfileText(bytes), "仙剑奇侠传");
  setenv("QUILLON_CODEPAGE", "932", 1);
  EXPECT_EQ(decodeProfileText("\x82\xA0\x82"), "あ\uFFFD") << "a byte it cannot read becomes U+FFFD";
  unsetenv("QUILLON_CODEPAGE");
}

}  // namespace
}  // namespace engine
