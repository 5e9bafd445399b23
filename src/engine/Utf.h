#pragma once

#include <string>
#include <string_view>

namespace engine {

// Invalid or truncated sequences become U+FFFD, so text from any source converts without failing.
std::u16string utf8ToUtf16(std::string_view text);
std::string utf16ToUtf8(std::u16string_view text);
// Whether `text` is well-formed UTF-8: no stray or missing continuation bytes, overlong forms, surrogates or values
// past U+10FFFF.
bool isValidUtf8(std::string_view text);

}  // namespace engine
