#pragma once

// Reads Windows profile (INI) files the way the Windows profile functions do: section and key names match
// case-insensitively, values are trimmed, the first matching section and key win, nothing is ever written. A file
// loaded from disk may be in a legacy code page (decodeProfileText); values are always UTF-8.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace engine {

class IniFile {
 public:
  // An absent or unreadable file reads as empty.
  static IniFile load(const std::string& path);
  static IniFile parse(std::string_view text);

  bool exists() const { return m_exists; }
  std::optional<std::string> value(std::string_view section, std::string_view key) const;
  std::string value(std::string_view section, std::string_view key, std::string_view fallback) const;
  // As GetPrivateProfileInt: leading blanks, an optional sign, then decimal digits up to the first other
  // character; no digits gives 0; an absent key gives `fallback`.
  int intValue(std::string_view section, std::string_view key, int fallback) const;

 private:
  struct Entry {
    std::string section;
    std::string key;
    std::string value;
  };
  std::vector<Entry> m_entries;
  bool m_exists = false;
};

}  // namespace engine
