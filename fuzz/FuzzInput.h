#pragma once

// Shared by the fuzz targets: the input as the types our readers take, and as a file for readers that open
// paths.

#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace fuzz {

inline std::span<const std::uint8_t> bytes(const std::uint8_t* data, std::size_t size) { return {data, size}; }

inline std::string_view text(const std::uint8_t* data, std::size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

// The input in a memory-backed file, reachable by path for as long as the object lives.
class MemoryFile {
 public:
  MemoryFile(const std::uint8_t* data, std::size_t size) : m_fd(memfd_create("fuzz-input", 0)) {
    for (std::size_t written = 0; m_fd >= 0 && written < size;) {
      const ssize_t n = ::write(m_fd, data + written, size - written);
      if (n <= 0) break;
      written += static_cast<std::size_t>(n);
    }
  }
  ~MemoryFile() {
    if (m_fd >= 0) ::close(m_fd);
  }
  MemoryFile(const MemoryFile&) = delete;
  MemoryFile& operator=(const MemoryFile&) = delete;

  std::string path() const { return "/proc/self/fd/" + std::to_string(m_fd); }

 private:
  int m_fd = -1;
};

}  // namespace fuzz
