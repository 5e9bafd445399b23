#include "tests/platform/text/SfntTables.h"

#include <cstdint>
#include <fstream>
#include <iterator>
#include <vector>

namespace {

struct Reader {
  std::vector<unsigned char> bytes;
  bool ok(std::size_t at, std::size_t n) const { return at + n <= bytes.size(); }
  std::uint32_t u16(std::size_t at) const { return ok(at, 2) ? (bytes[at] << 8 | bytes[at + 1]) : 0; }
  std::uint32_t u32(std::size_t at) const { return ok(at, 4) ? (u16(at) << 16 | u16(at + 2)) : 0; }
};

}  // namespace

std::optional<WinMetrics> readWinMetrics(const std::string& path, int faceIndex) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return std::nullopt;
  Reader r{std::vector<unsigned char>(std::istreambuf_iterator<char>(file), {})};
  std::size_t directory = 0;
  if (r.u32(0) == 0x74746366) {  // 'ttcf': a collection, one offset table per face
    if (static_cast<std::uint32_t>(faceIndex) >= r.u32(8)) return std::nullopt;
    directory = r.u32(12 + 4 * static_cast<std::size_t>(faceIndex));
  }
  const std::uint32_t tables = r.u16(directory + 4);
  WinMetrics metrics;
  bool head = false, os2 = false;
  for (std::uint32_t i = 0; i < tables; ++i) {
    const std::size_t record = directory + 12 + 16 * static_cast<std::size_t>(i);
    if (!r.ok(record, 16)) return std::nullopt;
    const std::uint32_t tag = r.u32(record);
    const std::size_t offset = r.u32(record + 8);
    if (tag == 0x68656164 && r.ok(offset, 20)) {  // 'head'
      metrics.unitsPerEm = static_cast<int>(r.u16(offset + 18));
      head = true;
    } else if (tag == 0x4F532F32 && r.ok(offset, 78)) {  // 'OS/2'
      metrics.winAscent = static_cast<int>(r.u16(offset + 74));
      metrics.winDescent = static_cast<int>(r.u16(offset + 76));
      os2 = true;
    }
  }
  if (!head || !os2) return std::nullopt;
  return metrics;
}
