#include "host/PrivateFonts.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "engine/FontRegistry.h"
#include "platform/text/FontSystem.h"

namespace host {

int PrivateFonts::addFolder(const std::string& folder) {
  const std::string found = engine::findFolderAnyCase(folder);
  if (found.empty()) {
    return 0;
  }
  std::error_code error;
  std::vector<std::filesystem::path> files;
  for (const auto& entry : std::filesystem::directory_iterator(found, error)) {
    if (!entry.is_directory(error)) {
      files.push_back(std::filesystem::absolute(entry.path(), error));
    }
  }
  std::sort(files.begin(), files.end());
  int accepted = 0;
  for (const std::filesystem::path& file : files) {
    m_registered = true;
    if (text::addPrivateFontFile(file.string())) {
      m_added.push_back(file.string());
      ++accepted;
    }
  }
  return accepted;
}

void PrivateFonts::removeAll() {
  if (!m_registered) {
    return;
  }
  text::removePrivateFontFiles();
  m_added.clear();
  m_registered = false;
}

}  // namespace host
