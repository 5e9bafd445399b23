#include "engine/IniFile.h"

#include <algorithm>
#include <climits>
#include <fstream>
#include <sstream>

#include "engine/LegacyCodePage.h"

namespace engine {

namespace {

std::string_view trim(std::string_view text) {
  const char* blanks = " \t\r\n";
  size_t first = text.find_first_not_of(blanks);
  if (first == std::string_view::npos) {
    return {};
  }
  size_t last = text.find_last_not_of(blanks);
  return text.substr(first, last - first + 1);
}

bool equalsIgnoreCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
           return lower(x) == lower(y);
         });
}

}  // namespace

IniFile IniFile::load(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    return IniFile{};
  }
  std::stringstream contents;
  contents << file.rdbuf();
  IniFile ini = parse(decodeProfileText(contents.str()));
  ini.m_exists = true;
  return ini;
}

IniFile IniFile::parse(std::string_view text) {
  IniFile ini;
  // A UTF-8 byte-order mark is what editors on Windows commonly put in front of the first section.
  if (text.substr(0, 3) == "\xEF\xBB\xBF") {
    text.remove_prefix(3);
  }
  std::string section;
  bool inSection = false;
  while (!text.empty()) {
    size_t end = text.find('\n');
    std::string_view line = trim(text.substr(0, end));
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (line.empty() || line.front() == ';') {
      continue;
    }
    if (line.front() == '[') {
      size_t close = line.find(']');
      section = std::string(trim(line.substr(1, close == std::string_view::npos ? line.size() - 1 : close - 1)));
      inSection = true;
      continue;
    }
    size_t equals = line.find('=');
    if (!inSection || equals == std::string_view::npos) {
      continue;
    }
    std::string_view value = trim(line.substr(equals + 1));
    // The profile functions drop one pair of matching quotes around a value.
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front()) {
      value = value.substr(1, value.size() - 2);
    }
    ini.m_entries.push_back({section, std::string(trim(line.substr(0, equals))), std::string(value)});
  }
  return ini;
}

std::optional<std::string> IniFile::value(std::string_view section, std::string_view key) const {
  for (const Entry& entry : m_entries) {
    if (equalsIgnoreCase(entry.section, section) && equalsIgnoreCase(entry.key, key)) {
      return entry.value;
    }
  }
  return std::nullopt;
}

std::string IniFile::value(std::string_view section, std::string_view key, std::string_view fallback) const {
  return value(section, key).value_or(std::string(fallback));
}

int IniFile::intValue(std::string_view section, std::string_view key, int fallback) const {
  std::optional<std::string> text = value(section, key);
  if (!text) {
    return fallback;
  }
  std::string_view digits = trim(*text);
  bool negative = false;
  if (!digits.empty() && (digits.front() == '-' || digits.front() == '+')) {
    negative = digits.front() == '-';
    digits.remove_prefix(1);
  }
  long long result = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') {
      break;
    }
    // Wraps like the Windows conversion instead of overflowing.
    result = (result * 10 + (c - '0')) & 0xFFFFFFFFLL;
  }
  auto bits = static_cast<unsigned int>(result);
  int value = static_cast<int>(bits);
  return negative ? static_cast<int>(0u - bits) : value;
}

}  // namespace engine
