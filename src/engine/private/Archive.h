#pragma once

// The game archive (".rgss3a", version 3): an XOR-obscured index read once at open, member data read and
// decoded on demand. Every offset and size comes from the file and is checked before it is used.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace engine {

// Folds a file name for case-insensitive matching as the game's authors' file systems did: "\" becomes
// "/", and letters of the common scripts (ASCII, Latin-1, Latin Extended-A, Greek, Cyrillic, full-width
// Latin) become lower case. Bytes that are not valid UTF-8 pass through unchanged.
std::string foldFileName(std::string_view name);

class Archive {
 public:
  struct Entry {
    std::string name;  // as stored, with "/" separators
    std::uint64_t offset = 0;
    std::uint32_t size = 0;
    std::uint32_t key = 0;
    // Why the entry cannot be read (data past the end of the archive); empty when it can.
    std::string fault;
  };

  // Names longer than this are treated as corruption: real names are short paths.
  static constexpr std::uint32_t kMaxNameLength = 4096;
  static constexpr std::size_t kHeaderSize = 12;

  ~Archive();
  Archive(const Archive&) = delete;
  Archive& operator=(const Archive&) = delete;

  // Reads the header and index. Null with `error` set when the file is missing, not an archive of
  // version 3, or its index is truncated or corrupt.
  static std::unique_ptr<Archive> open(const std::string& path, std::string* error = nullptr);

  const std::string& path() const { return m_path; }
  const std::vector<Entry>& entries() const { return m_entries; }
  // `folded` as foldFileName gives it. When names repeat, the first entry wins.
  const Entry* find(std::string_view folded) const;
  // The decoded member. Null with `error` set when its data lies past the end of the archive or the
  // file cannot be read (it may have shrunk since it was opened).
  std::optional<std::vector<std::uint8_t>> read(const Entry& entry, std::string* error = nullptr) const;

  // Applies the member cipher in place; it is its own inverse.
  static void applyCipher(std::uint8_t* data, std::size_t size, std::uint32_t key);

 private:
  Archive() = default;

  std::string m_path;
  int m_fd = -1;
  std::uint64_t m_fileSize = 0;
  std::vector<Entry> m_entries;
  std::unordered_map<std::string, std::size_t> m_index;
};

// Builds archives for tests and tools.
struct ArchiveMember {
  std::string name;  // "/" or "\" separators; stored with "\"
  std::vector<std::uint8_t> data;
};

// The archive bytes for `members` in order; each member's key is derived from `seed`.
std::vector<std::uint8_t> buildArchive(const std::vector<ArchiveMember>& members, std::uint32_t seed = 0x5eed);
[[nodiscard]] bool writeArchive(const std::string& path, const std::vector<ArchiveMember>& members,
                                std::uint32_t seed = 0x5eed, std::string* error = nullptr);

}  // namespace engine
