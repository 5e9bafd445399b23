#pragma once

#include <string>
#include <string_view>

namespace engine {

// Invalid or truncated sequences become U+FFFD, so text from any source converts without failing.
std::u16string utf8ToUtf16(std::string_view text);
std::string utf16ToUtf8(std::u16string_view text);

}  // namespace engine
