#include "host/PrivateFonts.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "platform/text/FontSystem.h"

namespace host {

namespace {

std::string lowered(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c); });
  return text;
}

std::filesystem::path findFolder(const std::filesystem::path& folder) {
  std::error_code error;
  if (std::filesystem::is_directory(folder, error)) {
    return folder;
  }
  std::filesystem::path parent = folder.has_parent_path() ? folder.parent_path() : ".";
  std::string wanted = lowered(folder.filename().string());
  for (const auto& entry : std::filesystem::directory_iterator(parent, error)) {
    if (lowered(entry.path().filename().string()) == wanted && entry.is_directory(error)) {
      return entry.path();
    }
  }
  return {};
}

}  // namespace

int PrivateFonts::addFolder(const std::string& folder) {
  std::filesystem::path found = findFolder(folder);
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
