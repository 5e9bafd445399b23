#pragma once

// The font families the engine knows: those of the font files it was given at start (the game's and the
// runtime package's "Fonts" folders). The player's font-families hook names the families in a file.

#include <string>
#include <string_view>
#include <vector>

namespace engine {

struct FontEntry {
  std::u16string family;
  std::string path;
};

class FontRegistry {
 public:
  // The family names (UTF-8) of the font file at `fontPath`; none for a file that is no font.
  using FamilyReader = std::vector<std::string> (*)(const std::string& fontPath);

  // Without a reader a file is known by its name without extension.
  void setFamilyReader(FamilyReader reader) { m_reader = reader; }
  void addFile(const std::string& path);
  // The files of `folder`, found in any letter case.
  void addFolder(const std::string& folder);
  // Case-insensitive for ASCII letters only; other letters compare exactly.
  const FontEntry* find(std::u16string_view family) const;
  const std::vector<FontEntry>& entries() const { return m_entries; }

 private:
  std::vector<FontEntry> m_entries;
  FamilyReader m_reader = nullptr;
};

// `folder`, or a folder beside it whose name differs only in letter case (as foldFileName compares names), as
// games made on file systems that ignore case spell them; empty when there is none.
std::string findFolderAnyCase(const std::string& folder);

}  // namespace engine
