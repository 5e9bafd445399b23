#pragma once

// Text that Windows programs wrote in the system's ANSI code page: Game.ini files and profile values written on
// Chinese, Japanese and Korean systems are GBK, Shift-JIS and UHC, not UTF-8.

#include <string>
#include <string_view>

namespace engine {

inline constexpr int kCodePageShiftJis = 932;
inline constexpr int kCodePageGbk = 936;
inline constexpr int kCodePageUhc = 949;
inline constexpr int kCodePageWestern = 1252;

// The code page among GBK, Shift-JIS and UHC in which `bytes` read most like text of its language: kana and
// first-level kanji for Japanese, first-level hanzi for Chinese, common Hangul syllables for Korean. GBK wins ties;
// bytes that none of the three can read give Western European (1252).
int guessCodePage(std::string_view bytes);

// Profile (INI) text as UTF-8: unchanged when it is valid UTF-8 (a UTF-16 file, marked by its byte-order mark,
// is converted); otherwise read in the code page that $QUILLON_CODEPAGE names (a number such as 936, or an iconv
// encoding name), else in the guessed one. Bytes that the code page cannot read become U+FFFD.
std::string decodeProfileText(std::string_view bytes);

}  // namespace engine
