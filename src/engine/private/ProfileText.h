#pragma once

// Profile (INI) text as the Windows profile functions list and change it. The lines are read as IniFile reads
// them: section and key names match case-insensitively and the first match wins. An edit rewrites only the
// lines it changes; every other byte of the text stays as it was.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace engine {

// Every section name, in the order of the text.
std::vector<std::string> profileSectionNames(std::string_view text);
// Every key name of the first section called `section`, in the order of the text.
std::vector<std::string> profileKeyNames(std::string_view text, std::string_view section);

// The text after WritePrivateProfileString(section, key, value): a present key takes the value, a missing key is
// added after the section's last line that is not blank, a missing section is added at the end. No value removes
// the key's line; no key removes the section with all its lines. New lines end as the text's first line does (CR LF
// when it has none).
std::string profileWrite(std::string_view text, std::string_view section, const std::optional<std::string>& key,
                         const std::optional<std::string>& value);

}  // namespace engine
