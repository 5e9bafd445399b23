#pragma once

// Game files by name: the game archive first, then the game's per-user data (below), then loose files under
// the game folder, then the runtime package folders. Names take "\" or "/" and match case-insensitively; a
// name without extension is probed with the usual extensions of its kind.
//
// A game folder that cannot be written (a game installed for every user, a read-only mount) gets a per-user
// data folder: whatever the game writes under its folder goes there instead, and is read from there before
// the game folder. Every writer of game files asks pathForWriting where to write.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/ScriptApi.h"

namespace engine {

class Archive;

class FileLayer {
 public:
  FileLayer();
  ~FileLayer();
  FileLayer(const FileLayer&) = delete;
  FileLayer& operator=(const FileLayer&) = delete;

  // The layer the engine's scripts and the player share.
  static FileLayer& instance();

  // The setters configure the layer before anything reads through it; they do not race with readers.
  // Loose files are looked up under `folder` (default: the current directory).
  void setGameFolder(std::string folder);
  // Opens the game archive; an empty path uses none. False (with `error`) when it cannot be read, and
  // the layer then uses no archive.
  [[nodiscard]] bool setArchive(const std::string& path, std::string* error = nullptr);
  void setRuntimeFolders(std::vector<std::string> folders);
  // Sends the game's writes to `folder` (made at the first write) and reads them back from there first; the
  // game folder is left as it is. Empty: writes go to the game folder.
  void setUserDataFolder(std::string folder);
  const std::string& userDataFolder() const { return m_userData; }

  // Where a file the game writes as `name` goes: for a name inside the game folder while a user data folder
  // is set, its place there (spelled as an existing copy is, its parent folders made); else `name` itself.
  std::string pathForWriting(std::string_view name) const;
  // Where to read or examine a file or folder the game may have written: its user data copy when that
  // exists, else `name` itself.
  std::string pathForReading(std::string_view name) const;
  // The absolute path, with "/" separators, that `name` stands for under the game folder: where it was
  // found, or where it was looked for. For messages.
  std::string describePath(std::string_view name) const;

  struct Found {
    // Where it was found: the member name for an archive member, else the path on disk.
    std::string path;
    std::vector<std::uint8_t> bytes;
  };
  // Like read, also telling where the file was found.
  std::optional<Found> open(std::string_view name, FileKind kind = FileKind::Any, std::string* error = nullptr) const;

  // The whole file. Absent: ENOENT-like, `error` empty. Found but unreadable: `error` says why.
  std::optional<std::vector<std::uint8_t>> read(std::string_view name, FileKind kind = FileKind::Any,
                                                std::string* error = nullptr) const;
  // A path on disk for a loose or runtime-package file (for readers that need a real file); archive
  // members have none.
  std::optional<std::string> findOnDisk(std::string_view name, FileKind kind = FileKind::Any) const;
  bool exists(std::string_view name, FileKind kind = FileKind::Any) const;

 private:
  std::string m_gameFolder = ".";
  std::unique_ptr<Archive> m_archive;
  std::vector<std::string> m_runtimeFolders;
  std::string m_userData;
  // The game folder made absolute when the user data folder was set, to recognise absolute names in it.
  std::string m_absoluteGameFolder;
  // Directory listings for case-insensitive lookups, shared by concurrent readers.
  struct DirectoryCache;
  std::unique_ptr<DirectoryCache> m_directories;

  struct Location;
  std::optional<Location> locate(std::string_view name, FileKind kind) const;
  // The components of `name` relative to the game folder, when it names something inside it.
  std::optional<std::vector<std::string>> insideGameFolder(std::string_view name) const;
};

}  // namespace engine
