#include "host/RuntimeInstall.h"

#include <archive.h>
#include <archive_entry.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <system_error>

#include "engine/UserFolders.h"
#include "host/StartupMessages.h"
#include "platform/LateLibrary.h"

namespace host {

namespace fs = std::filesystem;

namespace {

// Below this a copy is quick enough to need no progress report.
constexpr std::uint64_t kProgressThresholdBytes = 32u << 20;
// Kept-newer files named one by one before the list is summed up.
constexpr std::size_t kListedKeptFiles = 10;

std::string lowered(std::string_view text) {
  std::string result(text);
  for (char& c : result) {
    c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
  }
  return result;
}

// An archive member's name as a relative path with "/", or empty when it would leave the package folder.
std::string safeMemberName(std::string_view raw) {
  std::string name;
  std::size_t start = 0;
  while (start <= raw.size()) {
    std::size_t end = std::min(raw.find_first_of("/\\", start), raw.size());
    std::string_view part = raw.substr(start, end - start);
    if (part == "..") {
      return {};
    }
    if (!part.empty() && part != ".") {
      name += name.empty() ? "" : "/";
      name += part;
    }
    start = end + 1;
  }
  return name;
}

// Every libarchive function the installer calls.
#define QUILLON_ARCHIVE_FUNCTIONS(X) \
  X(archive_entry_filetype)          \
  X(archive_entry_mtime)             \
  X(archive_entry_pathname)          \
  X(archive_entry_pathname_utf8)     \
  X(archive_entry_size)              \
  X(archive_entry_size_is_set)       \
  X(archive_error_string)            \
  X(archive_read_data)               \
  X(archive_read_data_skip)          \
  X(archive_read_free)               \
  X(archive_read_new)                \
  X(archive_read_next_header)        \
  X(archive_read_open_filename)      \
  X(archive_read_support_filter_all) \
  X(archive_read_support_format_all)

// libarchive, opened when a package is installed from an archive: playing a game never needs it.
QUILLON_LATE_TABLE(LibArchive, QUILLON_ARCHIVE_FUNCTIONS, QUILLON_LIBARCHIVE_LIBRARY)

// The library, opened by the first call; null (with `error`) when it cannot be used.
const LibArchive* openLibArchive(std::string* error = nullptr) {
  return platform::loadedTable<LibArchive, loadLibArchive>(error);
}

// For code that runs only once `openLibArchive()` has returned the library.
const LibArchive& libarchive() { return *openLibArchive(); }

struct ArchiveCloser {
  void operator()(archive* handle) const { libarchive().archive_read_free(handle); }
};
using ArchiveHandle = std::unique_ptr<archive, ArchiveCloser>;

std::string archiveError(archive* handle) {
  const char* reason = libarchive().archive_error_string(handle);
  return reason != nullptr ? reason : "unreadable";
}

ArchiveHandle openArchive(const std::string& path, std::string* error) {
  std::string missing;
  if (openLibArchive(&missing) == nullptr) {
    *error = "cannot load libarchive (" + missing + ")";
    return nullptr;
  }
  const LibArchive& library = libarchive();
  ArchiveHandle handle(library.archive_read_new());
  library.archive_read_support_filter_all(handle.get());
  library.archive_read_support_format_all(handle.get());
  if (library.archive_read_open_filename(handle.get(), path.c_str(), 1 << 16) != ARCHIVE_OK) {
    *error = archiveError(handle.get());
    return nullptr;
  }
  return handle;
}

// Calls `visit` for every regular file of the archive; it may read the member's bytes with archive_read_data.
bool walkArchive(const std::string& path, std::string* error,
                 const std::function<bool(archive*, const PackageFile&)>& visit) {
  ArchiveHandle handle = openArchive(path, error);
  if (!handle) {
    return false;
  }
  const LibArchive& library = libarchive();
  archive_entry* entry = nullptr;
  int status = ARCHIVE_OK;
  while ((status = library.archive_read_next_header(handle.get(), &entry)) == ARCHIVE_OK || status == ARCHIVE_WARN) {
    if (library.archive_entry_filetype(entry) != AE_IFREG) {
      continue;  // folders come with their files; links and devices have no place in a package
    }
    const char* utf8 = library.archive_entry_pathname_utf8(entry);
    const char* raw = utf8 != nullptr ? utf8 : library.archive_entry_pathname(entry);
    PackageFile file{
        safeMemberName(raw != nullptr ? raw : ""),
        library.archive_entry_size_is_set(entry) ? static_cast<std::uint64_t>(library.archive_entry_size(entry)) : 0,
        static_cast<std::int64_t>(library.archive_entry_mtime(entry))};
    if (file.name.empty()) {
      *error = std::string("the archive holds a file outside its own folders: ") + (raw != nullptr ? raw : "");
      return false;
    }
    if (!visit(handle.get(), file)) {
      if (error->empty()) {
        *error = archiveError(handle.get());
      }
      return false;
    }
  }
  if (status != ARCHIVE_EOF) {
    *error = archiveError(handle.get());
    return false;
  }
  return true;
}

bool listFolder(const fs::path& folder, std::vector<PackageFile>* files, std::string* error) {
  std::error_code code;
  for (fs::recursive_directory_iterator it(folder, code), end; !code && it != end; it.increment(code)) {
    if (!it->is_regular_file(code)) {
      continue;
    }
    struct stat info {};
    if (::stat(it->path().c_str(), &info) != 0) {
      continue;
    }
    files->push_back({it->path().lexically_relative(folder).generic_string(), static_cast<std::uint64_t>(info.st_size),
                      static_cast<std::int64_t>(info.st_mtim.tv_sec)});
  }
  if (code) {
    *error = code.message();
    return false;
  }
  return true;
}

// Progress of the bytes copied: whole-percent updates on a terminal, tenths elsewhere.
class Progress {
 public:
  Progress(std::string name, std::uint64_t total)
      : m_name(std::move(name)), m_total(total), m_shown(total >= kProgressThresholdBytes), m_terminal(::isatty(2)) {}
  void add(std::uint64_t bytes) {
    m_done += bytes;
    if (!m_shown) {
      return;
    }
    int percent = static_cast<int>(std::min<std::uint64_t>(m_done, m_total) * 100 / m_total);
    int step = m_terminal ? 1 : 10;
    if (percent / step == m_last / step) {
      return;
    }
    m_last = percent;
    std::fprintf(stderr,
                 m_terminal ? "\rInstalling %s: %3d%% (%llu of %llu MiB)" : "Installing %s: %d%% (%llu of %llu MiB)\n",
                 m_name.c_str(), percent, static_cast<unsigned long long>(m_done >> 20),
                 static_cast<unsigned long long>(m_total >> 20));
  }
  ~Progress() {
    if (m_shown && m_terminal) {
      std::fputc('\n', stderr);
    }
  }

 private:
  std::string m_name;
  std::uint64_t m_total = 0;
  std::uint64_t m_done = 0;
  bool m_shown = false;
  bool m_terminal = false;
  int m_last = -1;
};

// Writes one file through a temporary beside it, so that an interrupted install leaves no half file under the
// real name, and gives it the source's modification time, by which a later install tells newer files apart.
// `read` fills a buffer and returns the byte count, 0 at the end, negative on failure.
bool writeFile(const fs::path& target, std::int64_t modified, const std::function<long(char*, std::size_t)>& read,
               Progress& progress, std::string* error) {
  std::error_code code;
  fs::create_directories(target.parent_path(), code);
  std::string temporary = target.string() + ".part-XXXXXX";
  int fd = ::mkstemp(temporary.data());
  if (fd < 0) {
    *error = target.string() + ": " + std::strerror(errno);
    return false;
  }
  char buffer[1 << 16];
  bool ok = true;
  for (long got = 0; ok && (got = read(buffer, sizeof(buffer))) != 0;) {
    if (got < 0) {
      *error = "cannot read the package's copy of " + target.filename().string();
      ok = false;
      break;
    }
    for (long written = 0; ok && written < got;) {
      ssize_t n = ::write(fd, buffer + written, static_cast<std::size_t>(got - written));
      if (n < 0 && errno != EINTR) {
        *error = target.string() + ": " + std::strerror(errno);
        ok = false;
      }
      written += n > 0 ? n : 0;
    }
    progress.add(static_cast<std::uint64_t>(got));
  }
  ok = ::fchmod(fd, 0644) == 0 && ok;
  const timespec times[2] = {{0, UTIME_OMIT}, {static_cast<time_t>(modified), 0}};
  ok = ::futimens(fd, times) == 0 && ok;
  ok = ::close(fd) == 0 && ok;
  if (ok && ::rename(temporary.c_str(), target.c_str()) != 0) {
    *error = target.string() + ": " + std::strerror(errno);
    ok = false;
  }
  if (!ok) {
    ::unlink(temporary.c_str());
    if (error->empty()) {
      *error = target.string() + ": " + std::strerror(errno);
    }
  }
  return ok;
}

bool fail(const std::string& text) {
  std::fprintf(stderr, "quillon: %s\n", text.c_str());
  return false;
}

}  // namespace

std::optional<std::string> packageRoot(const std::vector<PackageFile>& files) {
  // The top folders under each candidate root, in lower case.
  std::map<std::string, std::set<std::string>> folders;
  for (const PackageFile& file : files) {
    std::size_t first = file.name.find('/');
    if (first == std::string::npos) {
      continue;
    }
    folders[""].insert(lowered(file.name.substr(0, first)));
    std::size_t second = file.name.find('/', first + 1);
    if (second != std::string::npos) {
      folders[file.name.substr(0, first + 1)].insert(lowered(file.name.substr(first + 1, second - first - 1)));
    }
  }
  auto holdsPackage = [&](const std::string& root) {
    auto it = folders.find(root);
    return it != folders.end() && it->second.count("graphics") != 0 && it->second.count("audio") != 0;
  };
  if (holdsPackage("")) {
    return std::string();
  }
  if (folders[""].size() == 1) {
    for (const auto& [root, inside] : folders) {
      if (!root.empty() && holdsPackage(root)) {
        return root;
      }
    }
  }
  return std::nullopt;
}

std::string defaultPackageName(std::string_view source, std::string_view root, bool sourceIsFolder) {
  if (!root.empty()) {
    return std::string(root.substr(0, root.size() - 1));
  }
  fs::path path = fs::path(source).lexically_normal();
  if (!path.has_filename()) {
    path = path.parent_path();
  }
  if (sourceIsFolder) {
    std::error_code code;
    fs::path absolute = fs::absolute(path, code);
    return (code ? path : absolute).filename().string();
  }
  return path.stem().string();
}

bool validPackageName(std::string_view name) {
  return !name.empty() && name != "." && name != ".." && name.find('/') == std::string_view::npos;
}

bool installRuntimePackage(const std::string& source, const std::string& requestedName) {
  std::error_code code;
  if (!fs::exists(source, code)) {
    return fail("there is no runtime package at " + realPath(source) + ".");
  }
  const bool folder = fs::is_directory(source, code);
  std::vector<PackageFile> files;
  std::string error;
  bool listed = folder ? listFolder(source, &files, &error)
                       : walkArchive(source, &error, [&](archive* handle, const PackageFile& file) {
                           files.push_back(file);
                           return libarchive().archive_read_data_skip(handle) == ARCHIVE_OK;
                         });
  if (!listed) {
    return fail("cannot read " + realPath(source) + ": " + error);
  }
  const std::optional<std::string> root = packageRoot(files);
  if (!root) {
    return fail(realPath(source) + " does not look like a runtime package: it has no Graphics/ and Audio/ folders.");
  }
  const std::string name = requestedName.empty() ? defaultPackageName(source, *root, folder) : requestedName;
  if (!validPackageName(name)) {
    return fail("\"" + name + "\" cannot be a runtime package's name; give one: quillon --install-rtp SOURCE NAME");
  }
  const fs::path destination = engine::installedRuntimeFolder(name);

  // What to copy: everything not already there in the same version, and nothing that is newer there.
  std::set<std::string> copies;
  std::vector<std::string> keptNewer;
  std::uint64_t totalBytes = 0;
  std::size_t unchanged = 0;
  for (const PackageFile& file : files) {
    if (file.name.compare(0, root->size(), *root) != 0) {
      continue;
    }
    const std::string inside = file.name.substr(root->size());
    struct stat there {};
    if (::stat((destination / inside).c_str(), &there) == 0) {
      if (there.st_mtim.tv_sec > file.modified) {
        keptNewer.push_back(inside);
        continue;
      }
      if (there.st_mtim.tv_sec == file.modified && static_cast<std::uint64_t>(there.st_size) == file.size) {
        ++unchanged;
        continue;
      }
    }
    copies.insert(file.name);
    totalBytes += file.size;
  }

  bool copied = true;
  {
    Progress progress(name, totalBytes);
    auto target = [&](const PackageFile& file) { return destination / file.name.substr(root->size()); };
    if (folder) {
      for (const PackageFile& file : files) {
        if (copies.count(file.name) == 0) {
          continue;
        }
        int fd = ::open((fs::path(source) / file.name).c_str(), O_RDONLY | O_CLOEXEC);
        copied =
            fd >= 0 && writeFile(
                           target(file), file.modified,
                           [fd](char* buffer, std::size_t size) { return static_cast<long>(::read(fd, buffer, size)); },
                           progress, &error);
        if (fd < 0) {
          error = (fs::path(source) / file.name).string() + ": " + std::strerror(errno);
        } else {
          ::close(fd);
        }
        if (!copied) {
          break;
        }
      }
    } else {
      copied = walkArchive(source, &error, [&](archive* handle, const PackageFile& file) {
        if (copies.count(file.name) == 0) {
          return libarchive().archive_read_data_skip(handle) == ARCHIVE_OK;
        }
        return writeFile(
            target(file), file.modified,
            [handle](char* buffer, std::size_t size) {
              return static_cast<long>(libarchive().archive_read_data(handle, buffer, size));
            },
            progress, &error);
      });
    }
  }
  if (!copied) {
    return fail("installing " + name + " failed: " + error);
  }

  std::printf("Installed the runtime package %s in %s: %zu files copied, %zu already there.\n", name.c_str(),
              destination.c_str(), copies.size(), unchanged);
  if (!keptNewer.empty()) {
    std::printf("Kept, not overwritten, as newer there than in %s:\n", realPath(source).c_str());
    for (std::size_t i = 0; i < keptNewer.size() && i < kListedKeptFiles; ++i) {
      std::printf("  %s\n", keptNewer[i].c_str());
    }
    if (keptNewer.size() > kListedKeptFiles) {
      std::printf("  and %zu more\n", keptNewer.size() - kListedKeptFiles);
    }
    std::printf("Delete them first to install the package's copies.\n");
  }
  std::printf("Games whose Game.ini says RTP=%s now find it.\n", name.c_str());
  return true;
}

}  // namespace host
