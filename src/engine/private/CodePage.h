#pragma once

// Text in the Windows code pages scripts name (932 Shift-JIS, 936 GBK, 1252 Western, UTF-8, ...) converted
// with iconv, for MultiByteToWideChar and WideCharToMultiByte.

#include <optional>
#include <string>
#include <string_view>

namespace engine {

// The iconv name of a code page's character set; null for pages we do not convert. The ANSI, OEM and thread
// pages (0, 1, 3) are UTF-8 here.
const char* codePageCharset(unsigned codePage);

struct Transcoded {
  std::string bytes;
  bool replaced = false;  // some input did not decode or has no character in the target
};

// Converts `input` between two iconv character sets. Input that does not decode and characters the target lacks
// become `replacement` (given in the target encoding), skipping one code unit of `unitBytes` bytes (a surrogate
// pair as a whole). Nullopt when iconv has no such conversion.
std::optional<Transcoded> transcode(std::string_view input, const char* from, const char* to,
                                    std::string_view replacement, std::size_t unitBytes);

}  // namespace engine
