#include "engine/private/Archive.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <stdexcept>

#include "engine/Utf.h"

namespace engine {
namespace {

constexpr std::array<std::uint8_t, 7> kMagic = {'R', 'G', 'S', 'S', 'A', 'D', 0};
constexpr std::uint8_t kVersion = 3;

std::uint32_t loadLe32(const std::uint8_t* p) {
  if constexpr (std::endian::native == std::endian::little) {
    std::uint32_t value;
    std::memcpy(&value, p, 4);
    return value;
  } else {
    return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 | std::uint32_t{p[3]} << 24;
  }
}

void storeLe32(std::uint8_t* p, std::uint32_t value) {
  if constexpr (std::endian::native == std::endian::little) {
    std::memcpy(p, &value, 4);
  } else {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(value >> (8 * i));
  }
}

// Four cipher keys side by side (a GCC and Clang vector extension).
typedef std::uint32_t CipherVector __attribute__((vector_size(16)));
constexpr std::size_t kCipherLanes = 16;

struct CipherJump {
  std::uint32_t multiplier = 1;
  std::uint32_t addend = 0;
};

// key*7+3 applied kCipherLanes times, as one multiply and add.
constexpr CipherJump cipherJump() {
  CipherJump jump;
  for (std::size_t i = 0; i < kCipherLanes; ++i) {
    jump.multiplier *= 7u;
    jump.addend = jump.addend * 7u + 3u;
  }
  return jump;
}
constexpr CipherJump kCipherJump = cipherJump();

void appendLe32(std::vector<std::uint8_t>& out, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

void setError(std::string* error, std::string text) {
  if (error) *error = std::move(text);
}

std::string errnoText(int code) { return std::strerror(code); }

// Reads exactly `size` bytes at `offset`; false at end of file or on error (errno kept, 0 for end of file).
bool readAt(int fd, std::uint8_t* data, std::size_t size, std::uint64_t offset) {
  while (size > 0) {
    const ssize_t got = ::pread(fd, data, size, static_cast<off_t>(offset));
    if (got < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (got == 0) {
      errno = 0;
      return false;
    }
    data += got;
    size -= static_cast<std::size_t>(got);
    offset += static_cast<std::uint64_t>(got);
  }
  return true;
}

// The index is read front to back in chunks, never past the size the file had at open.
class IndexReader {
 public:
  IndexReader(int fd, std::uint64_t fileSize, std::uint64_t start) : m_fd(fd), m_fileSize(fileSize), m_pos(start) {}

  std::uint64_t position() const { return m_pos; }
  std::uint64_t remaining() const { return m_fileSize - m_pos; }

  // False when fewer than `size` bytes are left or the read fails.
  bool take(std::uint8_t* out, std::size_t size) {
    if (size > remaining()) return false;
    while (size > 0) {
      if (m_bufferPos == m_buffer.size()) {
        const std::size_t chunk = static_cast<std::size_t>(std::min<std::uint64_t>(kChunk, remaining()));
        m_buffer.resize(chunk);
        m_bufferPos = 0;
        if (!readAt(m_fd, m_buffer.data(), chunk, m_pos)) {
          m_buffer.clear();
          return false;
        }
      }
      const std::size_t n = std::min(size, m_buffer.size() - m_bufferPos);
      std::memcpy(out, m_buffer.data() + m_bufferPos, n);
      m_bufferPos += n;
      m_pos += n;
      out += n;
      size -= n;
    }
    return true;
  }

 private:
  static constexpr std::size_t kChunk = 64 * 1024;
  int m_fd;
  std::uint64_t m_fileSize;
  std::uint64_t m_pos;
  std::vector<std::uint8_t> m_buffer;
  std::size_t m_bufferPos = 0;
};

char32_t lowerCodePoint(char32_t c) {
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 0x20;
  // U+0130 (capital I with dot) lowers to two code points; it is left alone.
  if ((c >= 0x100 && c <= 0x12F) || (c >= 0x132 && c <= 0x137) || (c >= 0x14A && c <= 0x177)) return c | 1;
  if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E)) return (c & 1) ? c + 1 : c;
  if (c == 0x178) return 0xFF;
  if (c >= 0x391 && c <= 0x3A9 && c != 0x3A2) return c + 0x20;
  if (c >= 0x400 && c <= 0x40F) return c + 0x50;
  if (c >= 0x410 && c <= 0x42F) return c + 0x20;
  if (c >= 0xFF21 && c <= 0xFF3A) return c + 0x20;
  return c;
}

void appendUtf8(std::string& out, char32_t c) {
  if (c < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (c >> 6)));
  } else {
    out.push_back(static_cast<char>(0xE0 | (c >> 12)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
  }
  out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
}

}  // namespace

std::string foldFileName(std::string_view name) {
  std::string out;
  out.reserve(name.size());
  std::size_t i = 0;
  while (i < name.size()) {
    const auto byte = static_cast<unsigned char>(name[i]);
    if (byte < 0x80) {
      char ch = static_cast<char>(byte);
      if (ch == '\\') ch = '/';
      if (ch >= 'A' && ch <= 'Z') ch = static_cast<char>(ch - 'A' + 'a');
      out.push_back(ch);
      ++i;
      continue;
    }
    const Utf8Char next = nextUtf8Char(name.substr(i));
    const char32_t lower = next.valid ? lowerCodePoint(next.code) : next.code;
    if (!next.valid || lower == next.code) {
      out.append(name.substr(i, next.length));
    } else {
      // Every folded letter keeps the length of its encoding (two or three bytes).
      appendUtf8(out, lower);
    }
    i += next.length;
  }
  return out;
}

Archive::~Archive() {
  if (m_fd >= 0) ::close(m_fd);
}

std::unique_ptr<Archive> Archive::open(const std::string& path, std::string* error) {
  std::unique_ptr<Archive> archive(new Archive());
  archive->m_path = path;
  const std::string where = "archive " + path + ": ";

  archive->m_fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (archive->m_fd < 0) {
    setError(error, where + errnoText(errno));
    return nullptr;
  }
  struct stat info {};
  if (::fstat(archive->m_fd, &info) != 0) {
    setError(error, where + errnoText(errno));
    return nullptr;
  }
  if (!S_ISREG(info.st_mode)) {
    setError(error, where + "not a regular file");
    return nullptr;
  }
  archive->m_fileSize = static_cast<std::uint64_t>(info.st_size);

  std::array<std::uint8_t, kHeaderSize> header{};
  if (archive->m_fileSize < kHeaderSize || !readAt(archive->m_fd, header.data(), header.size(), 0)) {
    setError(error, where + "too short for an archive header");
    return nullptr;
  }
  if (!std::equal(kMagic.begin(), kMagic.end(), header.begin())) {
    setError(error, where + "not a game archive (bad signature)");
    return nullptr;
  }
  if (header[7] != kVersion) {
    setError(error, where + "archive version " + std::to_string(header[7]) + " is not supported (expected 3)");
    return nullptr;
  }
  const std::uint32_t tableKey = loadLe32(header.data() + 8) * 9u + 3u;
  std::array<std::uint8_t, 4> keyBytes{};
  storeLe32(keyBytes.data(), tableKey);

  IndexReader reader(archive->m_fd, archive->m_fileSize, kHeaderSize);
  for (;;) {
    const std::string entryWhere = where + "index entry " + std::to_string(archive->m_entries.size()) + ": ";
    std::array<std::uint8_t, 16> fields{};
    if (!reader.take(fields.data(), 4)) {
      setError(error, where + "index is truncated (no end marker)");
      return nullptr;
    }
    Entry entry;
    entry.offset = loadLe32(fields.data()) ^ tableKey;
    if (entry.offset == 0) break;
    if (!reader.take(fields.data() + 4, 12)) {
      setError(error, entryWhere + "truncated");
      return nullptr;
    }
    entry.size = loadLe32(fields.data() + 4) ^ tableKey;
    entry.key = loadLe32(fields.data() + 8) ^ tableKey;
    const std::uint32_t nameLength = loadLe32(fields.data() + 12) ^ tableKey;
    if (nameLength == 0 || nameLength > kMaxNameLength) {
      setError(error, entryWhere + "name length " + std::to_string(nameLength) + " is not plausible");
      return nullptr;
    }
    entry.name.resize(nameLength);
    if (!reader.take(reinterpret_cast<std::uint8_t*>(entry.name.data()), nameLength)) {
      setError(error, entryWhere + "name is truncated");
      return nullptr;
    }
    for (std::uint32_t i = 0; i < nameLength; ++i) {
      char ch = static_cast<char>(static_cast<std::uint8_t>(entry.name[i]) ^ keyBytes[i % 4]);
      entry.name[i] = ch == '\\' ? '/' : ch;
    }
    if (entry.offset > archive->m_fileSize || entry.size > archive->m_fileSize - entry.offset) {
      entry.fault = "data (offset " + std::to_string(entry.offset) + ", " + std::to_string(entry.size) +
                    " bytes) lies past the end of the archive (" + std::to_string(archive->m_fileSize) +
                    " bytes)";
    }
    archive->m_index.emplace(foldFileName(entry.name), archive->m_entries.size());
    archive->m_entries.push_back(std::move(entry));
  }
  return archive;
}

const Archive::Entry* Archive::find(std::string_view folded) const {
  const auto it = m_index.find(std::string(folded));
  return it == m_index.end() ? nullptr : &m_entries[it->second];
}

std::optional<std::vector<std::uint8_t>> Archive::read(const Entry& entry, std::string* error) const {
  const std::string where = "archive " + m_path + ": " + entry.name + ": ";
  if (!entry.fault.empty()) {
    setError(error, where + entry.fault);
    return std::nullopt;
  }
  std::vector<std::uint8_t> data(entry.size);
  if (!readAt(m_fd, data.data(), data.size(), entry.offset)) {
    setError(error, where + (errno ? errnoText(errno) : std::string("the archive was truncated after it was opened")));
    return std::nullopt;
  }
  applyCipher(data.data(), data.size(), entry.key);
  return data;
}

void Archive::applyCipher(std::uint8_t* data, std::size_t size, std::uint32_t key) {
  const std::size_t blocks = size / 4;
  std::size_t block = 0;
  // The key advances as key*7+3 per block, a serial chain. Sixteen lanes each jump sixteen blocks at a time
  // (key*7^16 + 3*(7^16-1)/6), which makes the blocks independent and lets vector units do four at once.
  if constexpr (std::endian::native == std::endian::little) {
    if (blocks >= kCipherLanes) {
      std::uint32_t lanes[kCipherLanes];
      lanes[0] = key;
      for (std::size_t i = 1; i < kCipherLanes; ++i) lanes[i] = lanes[i - 1] * 7u + 3u;
      CipherVector keys[4];
      std::memcpy(keys, lanes, sizeof keys);
      const CipherVector jumpMul = CipherVector{} + kCipherJump.multiplier;
      const CipherVector jumpAdd = CipherVector{} + kCipherJump.addend;
      for (; block + kCipherLanes <= blocks; block += kCipherLanes) {
        CipherVector words[4];
        std::memcpy(words, data + block * 4, sizeof words);
        for (int i = 0; i < 4; ++i) {
          words[i] ^= keys[i];
          keys[i] = keys[i] * jumpMul + jumpAdd;
        }
        std::memcpy(data + block * 4, words, sizeof words);
      }
      key = keys[0][0];
    }
  }
  for (; block < blocks; ++block) {
    std::uint8_t* p = data + block * 4;
    storeLe32(p, loadLe32(p) ^ key);
    key = key * 7u + 3u;
  }
  for (std::size_t i = blocks * 4; i < size; ++i) data[i] ^= static_cast<std::uint8_t>(key >> (8 * (i % 4)));
}

std::vector<std::uint8_t> buildArchive(const std::vector<ArchiveMember>& members, std::uint32_t seed) {
  const std::uint32_t tableKey = seed * 9u + 3u;
  std::uint64_t tableSize = 16;
  for (const auto& member : members) tableSize += 16 + member.name.size();
  std::uint64_t offset = Archive::kHeaderSize + tableSize;

  std::vector<std::uint8_t> out(kMagic.begin(), kMagic.end());
  out.push_back(kVersion);
  appendLe32(out, seed);
  std::vector<std::uint32_t> keys;
  for (std::size_t i = 0; i < members.size(); ++i) {
    const auto& member = members[i];
    if (offset + member.data.size() > UINT32_MAX || member.name.empty() ||
        member.name.size() > Archive::kMaxNameLength) {
      throw std::length_error("archive member cannot be stored: " + member.name);
    }
    keys.push_back(seed * 0x9E3779B1u + static_cast<std::uint32_t>(i) * 0x85EBCA6Bu + 1u);
    appendLe32(out, static_cast<std::uint32_t>(offset) ^ tableKey);
    appendLe32(out, static_cast<std::uint32_t>(member.data.size()) ^ tableKey);
    appendLe32(out, keys.back() ^ tableKey);
    appendLe32(out, static_cast<std::uint32_t>(member.name.size()) ^ tableKey);
    for (std::size_t c = 0; c < member.name.size(); ++c) {
      const char ch = member.name[c] == '/' ? '\\' : member.name[c];
      out.push_back(static_cast<std::uint8_t>(static_cast<std::uint8_t>(ch) ^ (tableKey >> (8 * (c % 4)))));
    }
    offset += member.data.size();
  }
  for (int i = 0; i < 4; ++i) appendLe32(out, tableKey);
  for (std::size_t i = 0; i < members.size(); ++i) {
    const std::size_t start = out.size();
    out.insert(out.end(), members[i].data.begin(), members[i].data.end());
    Archive::applyCipher(out.data() + start, members[i].data.size(), keys[i]);
  }
  return out;
}

bool writeArchive(const std::string& path, const std::vector<ArchiveMember>& members, std::uint32_t seed,
                  std::string* error) {
  std::vector<std::uint8_t> bytes;
  try {
    bytes = buildArchive(members, seed);
  } catch (const std::length_error& e) {
    setError(error, e.what());
    return false;
  }
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) {
    setError(error, path + ": " + errnoText(errno));
    return false;
  }
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  const int writeErrno = errno;
  if (std::fclose(file) != 0 || !written) {
    setError(error, path + ": " + errnoText(written ? errno : writeErrno));
    return false;
  }
  return true;
}

}  // namespace engine
