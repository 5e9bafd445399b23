#include "engine/UserFolders.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>

namespace engine {

namespace {

// An environment variable that holds an absolute path; relative values are ignored, as the conventions say.
std::string absoluteVariable(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && value[0] == '/' ? std::string(value) : std::string();
}

std::string configHome() {
  std::string folder = absoluteVariable("XDG_CONFIG_HOME");
  return folder.empty() ? homeFolder() + "/.config" : folder;
}

// The value of `key` in a user-dirs.dirs file: KEY="$HOME/Folder" or KEY="/absolute/folder".
std::string userDirectory(const std::string& file, std::string_view key) {
  std::ifstream in(file);
  std::string line;
  while (std::getline(in, line)) {
    if (line.compare(0, key.size(), key) != 0 || line.size() < key.size() + 3 || line[key.size()] != '=' ||
        line[key.size() + 1] != '"' || line.back() != '"') {
      continue;
    }
    std::string value = line.substr(key.size() + 2, line.size() - key.size() - 3);
    if (value.compare(0, 5, "$HOME") == 0) {
      return homeFolder() + value.substr(5);
    }
    if (!value.empty() && value[0] == '/') {
      return value;
    }
  }
  return {};
}

}  // namespace

std::string homeFolder() {
  std::string home = absoluteVariable("HOME");
  if (!home.empty()) {
    return home;
  }
  const passwd* entry = ::getpwuid(::getuid());
  return entry != nullptr && entry->pw_dir != nullptr ? std::string(entry->pw_dir) : std::string("/tmp");
}

std::string dataHome() {
  std::string folder = absoluteVariable("XDG_DATA_HOME");
  return folder.empty() ? homeFolder() + "/.local/share" : folder;
}

std::string picturesFolder() {
  std::string folder = userDirectory(configHome() + "/user-dirs.dirs", "XDG_PICTURES_DIR");
  // A folder set to the home folder itself means "none" in these files.
  if (folder.empty() || folder == homeFolder() || folder == homeFolder() + "/") {
    return homeFolder() + "/Pictures";
  }
  return folder;
}

std::string installedRuntimeFolder(std::string_view name) { return dataHome() + "/quillon/rtp/" + std::string(name); }

std::string fileSafeName(std::string_view title) {
  constexpr std::size_t kMaxBytes = 64;
  std::string name;
  for (char c : title) {
    auto byte = static_cast<unsigned char>(c);
    bool reserved = byte < 0x20 || byte == 0x7F || std::string_view("/\\:*?\"<>|").find(c) != std::string_view::npos;
    name += reserved ? '_' : c;
  }
  auto blankOrDot = [](char c) { return c == ' ' || c == '.'; };
  while (!name.empty() && blankOrDot(name.back())) {
    name.pop_back();
  }
  std::size_t start = 0;
  while (start < name.size() && blankOrDot(name[start])) {
    ++start;
  }
  name.erase(0, start);
  if (name.size() > kMaxBytes) {
    std::size_t cut = kMaxBytes;
    while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80) {
      --cut;
    }
    name.resize(cut);
  }
  return name.empty() ? std::string("Untitled") : name;
}

std::string gameId(std::string_view title, std::string_view absoluteFolder) {
  // FNV-1a: small, and stable across builds and machines, so a game keeps its id.
  std::uint32_t hash = 2166136261u;
  for (char c : absoluteFolder) {
    hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
  }
  char digits[9];
  std::snprintf(digits, sizeof(digits), "%08x", hash);
  return fileSafeName(title) + "-" + digits;
}

std::string gameDataFolder(std::string_view title, std::string_view absoluteFolder) {
  return dataHome() + "/quillon/games/" + gameId(title, absoluteFolder);
}

bool folderWritable(const std::string& folder) { return ::access(folder.c_str(), W_OK) == 0; }

}  // namespace engine
