#include "engine/FileLayer.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <mutex>
#include <system_error>
#include <unordered_map>

#include "engine/private/Archive.h"

namespace engine {
namespace {

// Whole-file reads beyond this are refused rather than risking an allocation the size of a disk image;
// large media go through findOnDisk.
constexpr std::uint64_t kMaxLooseFileSize = std::uint64_t{1} << 30;
// Directory listings kept for case-insensitive lookups before the cache starts over.
constexpr std::size_t kMaxCachedDirectories = 512;

constexpr std::array<std::string_view, 4> kImageExtensions = {".png", ".jpg", ".jpeg", ".bmp"};
constexpr std::array<std::string_view, 8> kAudioExtensions = {".ogg", ".wav", ".mp3", ".mid",
                                                              ".midi", ".wma", ".flac", ".m4a"};

// A requested name split into components, "." dropped and ".." applied lexically.
struct SplitName {
  std::vector<std::string> parts;
  bool absolute = false;
  // Climbs above the folder it is relative to ("../x"): only the game folder's neighbours can hold it.
  bool escapes = false;
};

std::optional<SplitName> splitName(std::string_view name) {
  if (name.empty() || name.find('\0') != std::string_view::npos) return std::nullopt;
  SplitName split;
  split.absolute = name.front() == '/' || name.front() == '\\';
  std::size_t start = 0;
  while (start <= name.size()) {
    std::size_t end = name.find_first_of("/\\", start);
    if (end == std::string_view::npos) end = name.size();
    const std::string_view part = name.substr(start, end - start);
    if (part == "..") {
      if (!split.parts.empty() && split.parts.back() != "..") {
        split.parts.pop_back();
      } else if (!split.absolute) {
        split.parts.emplace_back("..");
        split.escapes = true;
      }
    } else if (!part.empty() && part != ".") {
      split.parts.emplace_back(part);
    }
    start = end + 1;
  }
  // A name that ends in a separator or resolves to its root names a folder, not a file.
  const char last = name.back();
  if (split.parts.empty() || last == '/' || last == '\\' || split.parts.back() == "..") return std::nullopt;
  return split;
}

std::string joinParts(const std::vector<std::string>& parts, std::size_t count) {
  std::string joined;
  for (std::size_t i = 0; i < count; ++i) {
    if (i) joined += '/';
    joined += parts[i];
  }
  return joined;
}

// The names to try, in order: the name itself, then the name with each extension of its kind.
std::vector<std::string> candidateNames(const std::string& leaf, FileKind kind) {
  std::vector<std::string> names{leaf};
  if (kind != FileKind::Audio) {
    for (auto ext : kImageExtensions) names.push_back(leaf + std::string(ext));
  }
  if (kind != FileKind::Image) {
    for (auto ext : kAudioExtensions) names.push_back(leaf + std::string(ext));
  }
  return names;
}

enum class EntryType { Missing, File, Directory };

EntryType entryType(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return EntryType::Missing;
  if (S_ISREG(info.st_mode)) return EntryType::File;
  if (S_ISDIR(info.st_mode)) return EntryType::Directory;
  return EntryType::Missing;
}

std::string childPath(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  return folder.back() == '/' ? folder + name : folder + '/' + name;
}

void setError(std::string* error, std::string text) {
  if (error) *error = std::move(text);
}

std::optional<std::vector<std::uint8_t>> readLooseFile(const std::string& path, std::string* error) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    setError(error, path + ": " + std::strerror(errno));
    return std::nullopt;
  }
  struct Closer {
    int fd;
    ~Closer() { ::close(fd); }
  } closer{fd};
  struct stat info {};
  if (::fstat(fd, &info) != 0) {
    setError(error, path + ": " + std::strerror(errno));
    return std::nullopt;
  }
  if (!S_ISREG(info.st_mode)) {
    setError(error, path + ": not a regular file");
    return std::nullopt;
  }
  if (static_cast<std::uint64_t>(info.st_size) > kMaxLooseFileSize) {
    setError(error, path + ": too large to read whole (" + std::to_string(info.st_size) + " bytes)");
    return std::nullopt;
  }
  // Read what the file holds now, up to the size seen above: a file that shrinks meanwhile gives fewer bytes.
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(info.st_size));
  std::size_t filled = 0;
  while (filled < bytes.size()) {
    const ssize_t got = ::read(fd, bytes.data() + filled, bytes.size() - filled);
    if (got < 0) {
      if (errno == EINTR) continue;
      setError(error, path + ": " + std::strerror(errno));
      return std::nullopt;
    }
    if (got == 0) break;
    filled += static_cast<std::size_t>(got);
  }
  bytes.resize(filled);
  return bytes;
}

// Listings of directories by path, each valid while the directory's modification time is unchanged, so
// that files the game writes (saves) are seen at once.
struct ListingCache {
  struct Listing {
    timespec modified{};
    ino_t inode = 0;
    dev_t device = 0;
    // Taken well after the last change, so no file can be missing from it.
    bool settled = false;
    std::unordered_map<std::string, std::string> byFoldedName;
  };

  // The actual name in `folder` that matches `name` ignoring case, if any.
  std::optional<std::string> match(const std::string& folder, const std::string& name) {
    struct stat info {};
    if (::stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) return std::nullopt;
    const std::string folded = foldFileName(name);
    std::lock_guard lock(mutex);
    auto it = listings.find(folder);
    const bool changed = it == listings.end() || it->second.inode != info.st_ino ||
                         it->second.device != info.st_dev || it->second.modified.tv_sec != info.st_mtim.tv_sec ||
                         it->second.modified.tv_nsec != info.st_mtim.tv_nsec;
    if (!changed) {
      const auto found = it->second.byFoldedName.find(folded);
      if (found != it->second.byFoldedName.end()) return found->second;
      if (it->second.settled) return std::nullopt;
    }
    // Modification times tick coarsely: a listing taken soon after the last change may have missed a
    // file created in the same tick, so a miss in it is checked against a fresh listing.
    if (listings.size() >= kMaxCachedDirectories) listings.clear();
    Listing listing;
    listing.modified = info.st_mtim;
    listing.inode = info.st_ino;
    listing.device = info.st_dev;
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    listing.settled = now.tv_sec > info.st_mtim.tv_sec + 1;
    load(folder, listing);
    it = listings.insert_or_assign(folder, std::move(listing)).first;
    const auto found = it->second.byFoldedName.find(folded);
    if (found == it->second.byFoldedName.end()) return std::nullopt;
    return found->second;
  }

  static void load(const std::string& folder, Listing& listing) {
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return;
    while (const dirent* entry = ::readdir(dir)) {
      const std::string name = entry->d_name;
      if (name == "." || name == "..") continue;
      // Names differing only in case: the smallest byte order wins, so the choice does not depend on
      // the order the file system lists them in.
      auto [it, inserted] = listing.byFoldedName.emplace(foldFileName(name), name);
      if (!inserted && name < it->second) it->second = name;
    }
    ::closedir(dir);
  }

  void clear() {
    std::lock_guard lock(mutex);
    listings.clear();
  }

  std::mutex mutex;
  std::unordered_map<std::string, Listing> listings;
};

// The entry of `folder` named `name` ignoring case, exact spelling first.
std::optional<std::string> findChild(ListingCache& cache, const std::string& folder,
                                     const std::string& name, EntryType wanted) {
  std::string path = childPath(folder, name);
  if (entryType(path) == wanted) return path;
  if (name == "..") return std::nullopt;
  const auto actual = cache.match(folder, name);
  if (!actual || *actual == name) return std::nullopt;
  path = childPath(folder, *actual);
  if (entryType(path) == wanted) return path;
  return std::nullopt;
}

// A file under `root` named by `split`, probing `candidates` for its last component.
std::optional<std::string> findUnder(ListingCache& cache, const std::string& root,
                                     const SplitName& split, const std::vector<std::string>& candidates) {
  std::string folder = root;
  for (std::size_t i = 0; i + 1 < split.parts.size(); ++i) {
    auto next = findChild(cache, folder, split.parts[i], EntryType::Directory);
    if (!next) return std::nullopt;
    folder = std::move(*next);
  }
  for (const auto& candidate : candidates) {
    if (auto path = findChild(cache, folder, candidate, EntryType::File)) return path;
  }
  return std::nullopt;
}

}  // namespace

struct FileLayer::DirectoryCache : ListingCache {};

struct FileLayer::Location {
  const Archive::Entry* entry = nullptr;  // set for an archive member
  std::string diskPath;
};

FileLayer::FileLayer() : m_directories(std::make_unique<DirectoryCache>()) {}
FileLayer::~FileLayer() = default;

FileLayer& FileLayer::instance() {
  static FileLayer layer;
  return layer;
}

void FileLayer::setGameFolder(std::string folder) {
  m_gameFolder = folder.empty() ? "." : std::move(folder);
  m_directories->clear();
}

bool FileLayer::setArchive(const std::string& path, std::string* error) {
  m_archive.reset();
  if (path.empty()) return true;
  m_archive = Archive::open(path, error);
  return m_archive != nullptr;
}

void FileLayer::setRuntimeFolders(std::vector<std::string> folders) {
  m_runtimeFolders = std::move(folders);
  m_directories->clear();
}

void FileLayer::setUserDataFolder(std::string folder) {
  m_userData = std::move(folder);
  std::error_code error;
  const std::filesystem::path absolute = std::filesystem::absolute(m_gameFolder, error);
  m_absoluteGameFolder = error ? std::string() : absolute.lexically_normal().string();
  m_directories->clear();
}

std::optional<std::vector<std::string>> FileLayer::insideGameFolder(std::string_view name) const {
  auto split = splitName(name);
  if (!split) return std::nullopt;
  if (!split->absolute) {
    if (split->escapes) return std::nullopt;
    return std::move(split->parts);
  }
  const auto folder = splitName(m_absoluteGameFolder);
  if (!folder || split->parts.size() <= folder->parts.size() ||
      !std::equal(folder->parts.begin(), folder->parts.end(), split->parts.begin())) {
    return std::nullopt;
  }
  return std::vector<std::string>(split->parts.begin() + static_cast<std::ptrdiff_t>(folder->parts.size()),
                                  split->parts.end());
}

std::string FileLayer::pathForWriting(std::string_view name) const {
  if (m_userData.empty()) return std::string(name);
  const auto parts = insideGameFolder(name);
  if (!parts) return std::string(name);
  std::error_code ignored;
  std::filesystem::create_directories(m_userData, ignored);
  // Folders and files keep the spelling of a copy already there, as they would on the game's own file system.
  std::string folder = m_userData;
  for (std::size_t i = 0; i + 1 < parts->size(); ++i) {
    if (auto existing = findChild(*m_directories, folder, (*parts)[i], EntryType::Directory)) {
      folder = std::move(*existing);
    } else {
      folder = childPath(folder, (*parts)[i]);
      ::mkdir(folder.c_str(), 0777);
    }
  }
  if (auto existing = findChild(*m_directories, folder, parts->back(), EntryType::File)) return *existing;
  return childPath(folder, parts->back());
}

std::string FileLayer::pathForReading(std::string_view name) const {
  if (m_userData.empty()) return std::string(name);
  const auto parts = insideGameFolder(name);
  if (!parts) return std::string(name);
  std::string folder = m_userData;
  for (std::size_t i = 0; i + 1 < parts->size(); ++i) {
    auto next = findChild(*m_directories, folder, (*parts)[i], EntryType::Directory);
    if (!next) return std::string(name);
    folder = std::move(*next);
  }
  for (EntryType type : {EntryType::File, EntryType::Directory}) {
    if (auto found = findChild(*m_directories, folder, parts->back(), type)) return *found;
  }
  return std::string(name);
}

std::string FileLayer::describePath(std::string_view name) const {
  std::string path;
  if (const auto location = locate(name, FileKind::Any); location && !location->entry) {
    path = location->diskPath;
  } else if (const auto split = splitName(name)) {
    path = split->absolute ? "/" + joinParts(split->parts, split->parts.size())
                           : childPath(m_gameFolder, joinParts(split->parts, split->parts.size()));
  } else {
    path = std::string(name);
  }
  std::error_code error;
  const std::filesystem::path absolute = std::filesystem::absolute(path, error);
  return error ? path : absolute.lexically_normal().string();
}

std::optional<FileLayer::Location> FileLayer::locate(std::string_view name, FileKind kind) const {
  const auto split = splitName(name);
  if (!split) return std::nullopt;
  const auto candidates = candidateNames(split->parts.back(), kind);

  // The archive and the runtime packages hold only names inside themselves; absolute names and names that
  // climb out of the game folder are looked up on disk only, as the game's own file calls would.
  const bool contained = !split->absolute && !split->escapes;
  if (m_archive && contained) {
    const std::string folder = foldFileName(joinParts(split->parts, split->parts.size() - 1));
    for (const auto& candidate : candidates) {
      const std::string folded = folder.empty() ? foldFileName(candidate) : folder + '/' + foldFileName(candidate);
      if (const auto* entry = m_archive->find(folded)) return Location{entry, {}};
    }
  }
  if (!m_userData.empty()) {
    if (auto parts = insideGameFolder(name)) {
      SplitName written{std::move(*parts)};
      if (auto path = findUnder(*m_directories, m_userData, written, candidates))
        return Location{nullptr, std::move(*path)};
    }
  }
  if (auto path = findUnder(*m_directories, split->absolute ? "/" : m_gameFolder, *split, candidates)) {
    return Location{nullptr, std::move(*path)};
  }
  if (contained) {
    for (const auto& folder : m_runtimeFolders) {
      if (auto path = findUnder(*m_directories, folder, *split, candidates)) return Location{nullptr, std::move(*path)};
    }
  }
  return std::nullopt;
}

std::optional<FileLayer::Found> FileLayer::open(std::string_view name, FileKind kind, std::string* error) const {
  if (error) error->clear();
  const auto location = locate(name, kind);
  if (!location) return std::nullopt;
  if (location->entry) {
    auto bytes = m_archive->read(*location->entry, error);
    if (!bytes) return std::nullopt;
    return Found{location->entry->name, std::move(*bytes)};
  }
  auto bytes = readLooseFile(location->diskPath, error);
  if (!bytes) return std::nullopt;
  return Found{location->diskPath, std::move(*bytes)};
}

std::optional<std::vector<std::uint8_t>> FileLayer::read(std::string_view name, FileKind kind,
                                                         std::string* error) const {
  auto found = open(name, kind, error);
  if (!found) return std::nullopt;
  return std::move(found->bytes);
}

std::optional<std::string> FileLayer::findOnDisk(std::string_view name, FileKind kind) const {
  auto location = locate(name, kind);
  if (!location || location->entry) return std::nullopt;
  return std::move(location->diskPath);
}

bool FileLayer::exists(std::string_view name, FileKind kind) const { return locate(name, kind).has_value(); }

}  // namespace engine
