#pragma once

// The binary skeleton reader's internals, shared by the skeleton and animation halves of the reader.

#include <bit>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "skeleton/runtime/AttachmentLoader.h"
#include "skeleton/runtime/SkeletonData.h"
#include "skeleton/runtime/private/ReaderSupport.h"

namespace spine::detail {

// Big-endian primitives over a bounded buffer; running past the end is a ReadError naming the offset.
class Input {
 public:
  Input(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}

  size_t remaining() const { return m_size - m_pos; }

  uint8_t readByte() {
    if (m_pos >= m_size) fail("unexpected end of data");
    return m_data[m_pos++];
  }
  int8_t readSByte() { return static_cast<int8_t>(readByte()); }
  bool readBool() { return readByte() != 0; }
  uint16_t readShort() {
    require(2);
    uint16_t v = static_cast<uint16_t>((m_data[m_pos] << 8) | m_data[m_pos + 1]);
    m_pos += 2;
    return v;
  }
  uint32_t readUInt() {
    require(4);
    uint32_t v = (static_cast<uint32_t>(m_data[m_pos]) << 24) | (static_cast<uint32_t>(m_data[m_pos + 1]) << 16) |
                 (static_cast<uint32_t>(m_data[m_pos + 2]) << 8) | m_data[m_pos + 3];
    m_pos += 4;
    return v;
  }
  float readFloat() { return std::bit_cast<float>(readUInt()); }

  // 7 bits per byte, least significant group first; the fifth byte supplies the top four bits.
  uint32_t readVarintBits() {
    uint32_t result = 0;
    for (int shift = 0; shift < 35; shift += 7) {
      uint8_t b = readByte();
      result |= static_cast<uint32_t>(b & 0x7f) << shift;
      if (!(b & 0x80) || shift == 28) break;
    }
    return result;
  }
  int readVarint() { return static_cast<int>(readVarintBits()); }
  int readZigzag() {
    uint32_t u = readVarintBits();
    return static_cast<int>((u >> 1) ^ (0u - (u & 1)));
  }
  // A count of items that take at least `bytesEach` bytes each, so a corrupt count cannot request memory the
  // data could never fill.
  size_t readCount(size_t bytesEach = 1) {
    uint32_t count = readVarintBits();
    if (static_cast<uint64_t>(count) * bytesEach > remaining()) fail("count exceeds the remaining data");
    return count;
  }
  // An index below `limit`.
  int readIndex(size_t limit, const char* what) {
    uint32_t index = readVarintBits();
    if (index >= limit) fail(std::string(what) + " index out of range");
    return static_cast<int>(index);
  }

  std::optional<std::string> readString() {
    uint32_t length = readVarintBits();
    if (length == 0) return std::nullopt;
    size_t bytes = length - 1;
    require(bytes);
    std::string s(reinterpret_cast<const char*>(m_data + m_pos), bytes);
    m_pos += bytes;
    return s;
  }
  std::string readRequiredString(const char* what) {
    auto s = readString();
    if (!s) fail(std::string("missing ") + what);
    return *s;
  }

  std::vector<float> readFloats(size_t count, float scale) {
    require(count * 4);
    std::vector<float> values(count);
    for (float& v : values) v = readFloat() * scale;
    return values;
  }

  [[noreturn]] void fail(const std::string& message) const {
    throw ReadError("binary skeleton at byte " + std::to_string(m_pos) + ": " + message);
  }

 private:
  void require(size_t bytes) const {
    if (bytes > m_size - m_pos) fail("unexpected end of data");
  }

  const uint8_t* m_data;
  size_t m_size;
  size_t m_pos = 0;
};

// Builds SkeletonData from the bytes; throws ReadError for anything malformed or truncated.
class BinaryReader {
 public:
  BinaryReader(AttachmentLoader& loader, float scale, const uint8_t* data, size_t size)
      : m_loader(loader), m_scale(scale), m_in(data, size) {}

  std::unique_ptr<SkeletonData> read();

 private:
  const std::string* readStringRef() {
    uint32_t index = m_in.readVarintBits();
    if (index == 0) return nullptr;
    if (index > m_strings.size()) m_in.fail("string reference out of range");
    return &m_strings[index - 1];
  }
  std::optional<std::string> readRefOptional() {
    const std::string* s = readStringRef();
    return s ? std::optional<std::string>(*s) : std::nullopt;
  }
  Color readColor() { return Color::fromRgba8888(m_in.readUInt()); }

  void readBones();
  void readSlots();
  void readConstraints();
  std::unique_ptr<Skin> readSkin(bool defaultSkin);
  std::shared_ptr<Attachment> readAttachment(Skin& skin, int slotIndex, const std::string& key);
  void readVertices(VertexAttachment& attachment, size_t vertexCount);
  void readEvents();
  void readCurve(CurveTimeline& timeline, size_t frame);
  void readAnimation(const std::string& name);
  std::vector<BoneData*> readBoneList(size_t minimum, size_t maximum, const char* what);

  AttachmentLoader& m_loader;
  float m_scale;
  Input m_in;
  bool m_nonessential = false;
  std::vector<std::string> m_strings;
  std::unique_ptr<SkeletonData> m_data;
  std::vector<detail::LinkedMesh> m_linkedMeshes;
};

}  // namespace spine::detail
