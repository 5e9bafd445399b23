#include "engine/private/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace engine {

int writeFileAtomically(const std::string& path, const char* data, std::size_t size) {
  std::string pattern = path + ".tmp-XXXXXX";
  std::vector<char> temp(pattern.begin(), pattern.end());
  temp.push_back('\0');
  int fd = mkstemp(temp.data());
  if (fd < 0) {
    return errno;
  }
  int error = 0;
  for (std::size_t written = 0; written < size && error == 0;) {
    ssize_t n = ::write(fd, data + written, size - written);
    if (n < 0 && errno != EINTR) {
      error = errno;
    } else if (n > 0) {
      written += static_cast<std::size_t>(n);
    }
  }
  // Saved games are usually read back by the same user; keep the permissions a plain create would give.
  mode_t mask = umask(0);
  umask(mask);
  if (error == 0 && fchmod(fd, 0666 & ~mask) != 0) {
    error = errno;
  }
  if (error == 0 && fsync(fd) != 0) {
    error = errno;
  }
  if (::close(fd) != 0 && error == 0) {
    error = errno;
  }
  if (error == 0 && std::rename(temp.data(), path.c_str()) != 0) {
    error = errno;
  }
  if (error != 0) {
    ::unlink(temp.data());
  }
  return error;
}

}  // namespace engine
