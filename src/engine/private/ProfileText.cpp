#include "engine/private/ProfileText.h"

#include <algorithm>

namespace engine {

namespace {

constexpr std::string_view kBlanks = " \t\r\n";
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

std::string_view trim(std::string_view text) {
  const std::size_t first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) {
    return {};
  }
  return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

bool sameName(std::string_view a, std::string_view b) {
  auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) { return lower(x) == lower(y); });
}

enum class LineKind { Other, Section, Key };

struct Line {
  std::size_t begin = 0;
  std::size_t contentEnd = 0;  // before the line's terminator
  std::size_t end = 0;         // after it
  LineKind kind = LineKind::Other;
  std::string_view name;
};

std::vector<Line> scan(std::string_view text) {
  std::vector<Line> lines;
  bool inSection = false;
  std::size_t at = text.substr(0, kByteOrderMark.size()) == kByteOrderMark ? kByteOrderMark.size() : 0;
  while (at < text.size()) {
    Line line;
    line.begin = at;
    const std::size_t newline = text.find('\n', at);
    line.end = newline == std::string_view::npos ? text.size() : newline + 1;
    line.contentEnd = newline == std::string_view::npos ? text.size() : newline;
    if (line.contentEnd > line.begin && text[line.contentEnd - 1] == '\r') {
      --line.contentEnd;
    }
    const std::string_view content = trim(text.substr(line.begin, line.contentEnd - line.begin));
    if (!content.empty() && content.front() == '[') {
      const std::size_t close = content.find(']');
      line.kind = LineKind::Section;
      line.name = trim(content.substr(1, close == std::string_view::npos ? content.size() - 1 : close - 1));
      inSection = true;
    } else if (inSection && !content.empty() && content.front() != ';' && content.find('=') != std::string_view::npos) {
      line.kind = LineKind::Key;
      line.name = trim(content.substr(0, content.find('=')));
    }
    lines.push_back(line);
    at = line.end;
  }
  return lines;
}

// The lines of the first section called `section`: its header's index and the index after its last line.
std::optional<std::pair<std::size_t, std::size_t>> findSection(const std::vector<Line>& lines,
                                                               std::string_view section) {
  for (std::size_t header = 0; header < lines.size(); ++header) {
    if (lines[header].kind == LineKind::Section && sameName(lines[header].name, section)) {
      std::size_t end = header + 1;
      while (end < lines.size() && lines[end].kind != LineKind::Section) {
        ++end;
      }
      return std::pair{header, end};
    }
  }
  return std::nullopt;
}

std::string_view lineEnding(std::string_view text) {
  const std::size_t newline = text.find('\n');
  if (newline == std::string_view::npos || (newline > 0 && text[newline - 1] == '\r')) {
    return "\r\n";
  }
  return "\n";
}

std::string replaced(std::string_view text, std::size_t begin, std::size_t end, std::string_view with) {
  std::string result(text.substr(0, begin));
  result += with;
  result += text.substr(end);
  return result;
}

}  // namespace

std::vector<std::string> profileSectionNames(std::string_view text) {
  std::vector<std::string> names;
  for (const Line& line : scan(text)) {
    if (line.kind == LineKind::Section) {
      names.emplace_back(line.name);
    }
  }
  return names;
}

std::vector<std::string> profileKeyNames(std::string_view text, std::string_view section) {
  std::vector<std::string> names;
  const std::vector<Line> lines = scan(text);
  if (auto found = findSection(lines, section)) {
    for (std::size_t i = found->first + 1; i < found->second; ++i) {
      if (lines[i].kind == LineKind::Key) {
        names.emplace_back(lines[i].name);
      }
    }
  }
  return names;
}

std::string profileWrite(std::string_view text, std::string_view section, const std::optional<std::string>& key,
                         const std::optional<std::string>& value) {
  const std::vector<Line> lines = scan(text);
  const std::string_view eol = lineEnding(text);
  const auto found = findSection(lines, section);
  if (!found) {
    if (!key || !value) {
      return std::string(text);
    }
    std::string result(text);
    if (!result.empty() && result.back() != '\n') {
      result += eol;
    }
    result.append("[").append(section).append("]").append(eol);
    result.append(*key).append("=").append(*value).append(eol);
    return result;
  }
  const auto [header, sectionEnd] = *found;
  if (!key) {
    return replaced(text, lines[header].begin, sectionEnd < lines.size() ? lines[sectionEnd].begin : text.size(), "");
  }
  // A new key goes after the section's last line that is not blank, so blank lines before the next section stay.
  std::size_t lastLine = header;
  for (std::size_t i = header + 1; i < sectionEnd; ++i) {
    if (!trim(text.substr(lines[i].begin, lines[i].contentEnd - lines[i].begin)).empty()) {
      lastLine = i;
    }
    if (lines[i].kind == LineKind::Key && sameName(lines[i].name, *key)) {
      const Line& line = lines[i];
      if (!value) {
        return replaced(text, line.begin, line.end, "");
      }
      // The key keeps its spelling and indentation; what follows its "=" is the new value.
      const std::size_t nameEnd = static_cast<std::size_t>(line.name.data() - text.data()) + line.name.size();
      return replaced(text, line.begin, line.contentEnd,
                      std::string(text.substr(line.begin, nameEnd - line.begin)) + "=" + *value);
    }
  }
  if (!value) {
    return std::string(text);
  }
  const Line& after = lines[lastLine];
  std::string inserted = *key + "=" + *value;
  if (after.end == after.contentEnd) {
    // The last line of the text has no terminator: the new line starts with one and, like it, ends without.
    return replaced(text, after.end, after.end, std::string(eol) + inserted);
  }
  return replaced(text, after.end, after.end, inserted + std::string(eol));
}

}  // namespace engine
