#include "engine/private/AtomicFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string_view>

namespace engine {

namespace {

// Temporaries are "<target name>.tmp-<pid>-<six characters>": the process id tells a stale one from one being
// written now. Earlier versions named them "<target name>.tmp-<six characters>".
constexpr std::string_view kMarker = ".tmp-";
constexpr int kSuffixLength = 6;

std::string folderOf(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string temporaryName(const std::string& path) {
  static std::mt19937 random(std::random_device{}());
  static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  std::string name = path + std::string(kMarker) + std::to_string(::getpid()) + "-";
  std::uniform_int_distribution<int> pick(0, sizeof(kLetters) - 2);
  for (int i = 0; i < kSuffixLength; ++i) name += kLetters[pick(random)];
  return name;
}

int writeAll(int fd, const char* data, std::size_t size) {
  for (std::size_t written = 0; written < size;) {
    const ssize_t n = ::write(fd, data + written, size - written);
    if (n < 0 && errno != EINTR) return errno;
    if (n > 0) written += static_cast<std::size_t>(n);
  }
  return 0;
}

// Writes, flushes and closes `fd`; the first error wins and the descriptor is closed either way.
int finishFile(int fd, const char* data, std::size_t size) {
  int error = writeAll(fd, data, size);
  if (error == 0 && ::fsync(fd) != 0) error = errno;
  if (::close(fd) != 0 && error == 0) error = errno;
  return error;
}

// The rename is durable only once the folder's entry is on disk too. The save itself is in place already, so
// a folder that cannot be flushed (some file systems refuse) does not fail it.
void syncFolder(const std::string& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  (void)::fsync(fd);
  ::close(fd);
}

// Renames `temporary` over `path`; removes it when that fails.
int replaceWith(const std::string& temporary, const std::string& path) {
  if (std::rename(temporary.c_str(), path.c_str()) != 0) {
    const int error = errno;
    ::unlink(temporary.c_str());
    return error;
  }
  syncFolder(folderOf(path));
  return 0;
}

bool processGone(long pid) { return pid > 0 && ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH; }

// Which temporaries may go: ours from processes that are gone, and the older form (which names no process) once
// it is an hour old and the save it was for exists beside it, so that no file of the player's is mistaken for one.
bool isStaleTemporary(const std::string& folder, std::string_view name) {
  const std::size_t marker = name.rfind(kMarker);
  if (marker == std::string_view::npos || marker == 0) return false;
  std::string_view tail = name.substr(marker + kMarker.size());
  if (tail.size() == kSuffixLength) {
    struct stat info = {};
    struct stat target = {};
    const std::string path = folder + "/" + std::string(name);
    const std::string save = folder + "/" + std::string(name.substr(0, marker));
    const auto now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    return ::lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && now - info.st_mtime > 3600 &&
           ::stat(save.c_str(), &target) == 0 && S_ISREG(target.st_mode);
  }
  const std::size_t dash = tail.find('-');
  if (dash == std::string_view::npos || dash == 0 || tail.size() - dash - 1 != kSuffixLength) return false;
  long pid = 0;
  for (char c : tail.substr(0, dash)) {
    if (c < '0' || c > '9' || pid > 100000000) return false;
    pid = pid * 10 + (c - '0');
  }
  return processGone(pid);
}

}  // namespace

int writeFileThroughNamedTemporary(const std::string& path, const char* data, std::size_t size) {
  removeStaleTemporaries(folderOf(path));
  std::string temporary;
  int fd = -1;
  for (int attempt = 0; attempt < 16 && fd < 0; ++attempt) {
    temporary = temporaryName(path);
    fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) return errno;
  }
  if (fd < 0) return EEXIST;
  const int error = finishFile(fd, data, size);
  if (error != 0) {
    ::unlink(temporary.c_str());
    return error;
  }
  return replaceWith(temporary, path);
}

int writeFileAtomically(const std::string& path, const char* data, std::size_t size) {
  const std::string folder = folderOf(path);
  // 0666 less the umask, as a plain create would give: saved games are read back by the same user.
  const int fd = ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
  if (fd < 0) {
    // No unnamed files here (or no such folder: the named path reports that as a plain create would).
    return writeFileThroughNamedTemporary(path, data, size);
  }
  removeStaleTemporaries(folder);
  int error = writeAll(fd, data, size);
  if (error == 0 && ::fsync(fd) != 0) error = errno;
  std::string temporary;
  if (error == 0) {
    // A kill before this point leaves nothing at all: the unnamed file dies with the descriptor.
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    for (int attempt = 0; attempt < 16; ++attempt) {
      temporary = temporaryName(path);
      if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, temporary.c_str(), AT_SYMLINK_FOLLOW) == 0) break;
      error = errno;
      temporary.clear();
      if (error != EEXIST) break;
    }
    if (!temporary.empty()) error = 0;
  }
  ::close(fd);
  if (error == ENOENT && temporary.empty()) {
    // No /proc to name the file through: write it again the named way.
    return writeFileThroughNamedTemporary(path, data, size);
  }
  if (error != 0) return error;
  return replaceWith(temporary, path);
}

int removeStaleTemporaries(const std::string& folder) {
  DIR* directory = ::opendir(folder.c_str());
  if (directory == nullptr) return 0;
  int removed = 0;
  while (const dirent* entry = ::readdir(directory)) {
    const std::string_view name = entry->d_name;
    if (isStaleTemporary(folder, name) && ::unlink((folder + "/" + std::string(name)).c_str()) == 0) ++removed;
  }
  ::closedir(directory);
  return removed;
}

}  // namespace engine
