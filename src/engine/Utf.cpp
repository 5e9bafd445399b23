#include "engine/Utf.h"

namespace engine {

namespace {

struct Decoded {
  char32_t code = 0xFFFD;
  size_t used = 1;
  bool valid = false;
};

// The character starting at `i`; an invalid or truncated sequence reads as one byte of U+FFFD.
Decoded decodeAt(std::string_view text, size_t i) {
  auto lead = static_cast<unsigned char>(text[i]);
  size_t length = lead < 0x80 ? 1 : (lead >> 5) == 6 ? 2 : (lead >> 4) == 14 ? 3 : (lead >> 3) == 30 ? 4 : 0;
  if (length == 1) {
    return {lead, 1, true};
  }
  if (length > 1 && i + length <= text.size()) {
    char32_t value = lead & (0x7F >> length);
    bool valid = true;
    for (size_t k = 1; k < length && valid; ++k) {
      auto next = static_cast<unsigned char>(text[i + k]);
      valid = (next & 0xC0) == 0x80;
      value = (value << 6) | (next & 0x3F);
    }
    static constexpr char32_t kMinimum[] = {0, 0, 0x80, 0x800, 0x10000};
    if (valid && value >= kMinimum[length] && value <= 0x10FFFF && (value < 0xD800 || value > 0xDFFF)) {
      return {value, length, true};
    }
  }
  return {};
}

}  // namespace

std::u16string utf8ToUtf16(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    Decoded decoded = decodeAt(text, i);
    char32_t code = decoded.code;
    if (code >= 0x10000) {
      code -= 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 + (code >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + (code & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(code));
    }
    i += decoded.used;
  }
  return out;
}

bool isValidUtf8(std::string_view text) {
  for (size_t i = 0; i < text.size();) {
    Decoded decoded = decodeAt(text, i);
    if (!decoded.valid) {
      return false;
    }
    i += decoded.used;
  }
  return true;
}

std::string utf16ToUtf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    char32_t code = text[i];
    if (code >= 0xD800 && code <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
      code = 0x10000 + ((code - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (code >= 0xD800 && code <= 0xDFFF) {
      code = 0xFFFD;
    }
    if (code < 0x80) {
      out.push_back(static_cast<char>(code));
    } else if (code < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (code >> 6)));
      out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else if (code < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (code >> 12)));
      out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (code >> 18)));
      out.push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    }
  }
  return out;
}

}  // namespace engine
