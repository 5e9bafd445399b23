#include "video/ScriptText.h"

namespace video {

std::string rubyStringLiteral(std::string_view bytes) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string literal;
  literal.reserve(bytes.size() + 2);
  literal += '"';
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\' || c == '#') {
      literal += '\\';
      literal += c;
    } else if (byte < 0x20 || byte >= 0x7F) {
      literal += "\\x";
      literal += kHex[byte >> 4];
      literal += kHex[byte & 0xF];
    } else {
      literal += c;
    }
  }
  literal += '"';
  return literal;
}

std::string soundTrackScript(std::string_view wavPath) {
  return "Audio.me_play(" + rubyStringLiteral(wavPath) + ", 100, 100)";
}

}  // namespace video
