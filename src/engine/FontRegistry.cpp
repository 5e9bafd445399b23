#include "engine/FontRegistry.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "engine/Utf.h"
#include "engine/private/Archive.h"

namespace engine {

namespace {

char16_t lowerAscii(char16_t c) {
  return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c - u'A' + u'a') : c;
}

}  // namespace

std::string findFolderAnyCase(const std::string& folder) {
  std::error_code error;
  if (std::filesystem::is_directory(folder, error)) return folder;
  const std::filesystem::path path(folder);
  const std::filesystem::path parent = path.has_parent_path() ? path.parent_path() : ".";
  const std::string wanted = foldFileName(path.filename().string());
  for (const auto& entry : std::filesystem::directory_iterator(parent, error)) {
    if (foldFileName(entry.path().filename().string()) == wanted && entry.is_directory(error))
      return entry.path().string();
  }
  return {};
}

void FontRegistry::addFile(const std::string& path) {
  const std::vector<std::string> families =
      m_reader != nullptr ? m_reader(path) : std::vector{std::filesystem::path(path).stem().string()};
  for (const std::string& family : families) {
    m_entries.push_back({utf8ToUtf16(family), path});
  }
}

void FontRegistry::addFolder(const std::string& folder) {
  std::error_code error;
  std::vector<std::string> files;
  const std::string found = findFolderAnyCase(folder);
  if (found.empty()) return;
  for (const auto& entry : std::filesystem::directory_iterator(found, error)) {
    if (!entry.is_directory(error)) {
      files.push_back(entry.path().string());
    }
  }
  std::sort(files.begin(), files.end());
  for (const std::string& file : files) {
    addFile(file);
  }
}

const FontEntry* FontRegistry::find(std::u16string_view family) const {
  for (const FontEntry& entry : m_entries) {
    if (entry.family.size() == family.size() &&
        std::equal(family.begin(), family.end(), entry.family.begin(),
                   [](char16_t a, char16_t b) { return lowerAscii(a) == lowerAscii(b); })) {
      return &entry;
    }
  }
  return nullptr;
}

}  // namespace engine
