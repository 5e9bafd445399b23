#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace engine {

// One UTF-8 rule for every text we read, the one Ruby's String#scrub follows: each well-formed sequence is one
// code point, and each maximal ill-formed subpart (a lead byte with the continuation bytes that could still have
// completed it, or a stray byte) is one U+FFFD. So bad bytes in a script string count and show alike wherever the
// string goes, and text from any source converts without failing.
struct Utf8Char {
  char32_t code = 0;
  std::size_t length = 0;  // bytes taken, at least 1
  bool valid = false;
};
// The character at the start of `text`, which must not be empty.
Utf8Char nextUtf8Char(std::string_view text);

std::u32string utf8ToUtf32(std::string_view text);
std::u16string utf8ToUtf16(std::string_view text);
// Unpaired surrogates become U+FFFD.
std::string utf16ToUtf8(std::u16string_view text);
// Whether `text` is well-formed UTF-8: no stray or missing continuation bytes, overlong forms, surrogates or values
// past U+10FFFF.
bool isValidUtf8(std::string_view text);

}  // namespace engine
