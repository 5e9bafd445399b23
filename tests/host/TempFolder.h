#pragma once

// A temporary folder for one test, removed with everything in it afterwards.

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

class TempFolder {
 public:
  TempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "quillon-host-XXXXXX").string();
    if (::mkdtemp(pattern.data()) != nullptr) {
      m_path = pattern;
    }
  }
  ~TempFolder() {
    std::error_code error;
    std::filesystem::remove_all(m_path, error);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::filesystem::path& path() const { return m_path; }
  std::string file(std::string_view name) const { return (m_path / name).string(); }
  void write(std::string_view name, std::string_view contents) const {
    std::filesystem::path target = m_path / name;
    std::filesystem::create_directories(target.parent_path());
    std::ofstream(target, std::ios::binary) << contents;
  }

 private:
  std::filesystem::path m_path;
};
