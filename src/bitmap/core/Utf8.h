#pragma once

#include <string>
#include <string_view>

namespace bitmap {

// Code points of UTF-8 text; malformed sequences, surrogates and overlong forms each become U+FFFD.
std::u32string decodeUtf8(std::string_view text);

}  // namespace bitmap
