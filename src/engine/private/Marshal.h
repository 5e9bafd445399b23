#pragma once

// Little-endian byte packing for the _dump/_load forms of the engine's classes. Both sides work on Ruby
// strings directly, so nothing here owns a destructor that a raised error could skip.

#include <ruby.h>

#include <cstdint>
#include <cstring>

namespace engine {

class ByteWriter {
 public:
  explicit ByteWriter(long capacity = 32) : m_string(rb_str_buf_new(capacity)) {}

  void putI32(std::int32_t value) {
    unsigned char bytes[4];
    auto bits = static_cast<std::uint32_t>(value);
    for (int i = 0; i < 4; ++i) {
      bytes[i] = static_cast<unsigned char>(bits >> (8 * i));
    }
    rb_str_cat(m_string, reinterpret_cast<const char*>(bytes), 4);
  }

  void putI16(std::int16_t value) {
    auto bits = static_cast<std::uint16_t>(value);
    unsigned char bytes[2] = {static_cast<unsigned char>(bits), static_cast<unsigned char>(bits >> 8)};
    rb_str_cat(m_string, reinterpret_cast<const char*>(bytes), 2);
  }

  VALUE toString() const { return m_string; }

 private:
  VALUE m_string;
};

// Reads a _load payload; running past its end raises ArgumentError instead of reading foreign memory. Each read
// takes the string's bytes afresh and copies them out before anything can allocate, and the reader refers to the
// string while it is in use, so the collector running between reads (a _load allocating its object) is harmless.
class ByteReader {
 public:
  explicit ByteReader(VALUE string) : m_string(StringValue(string)) {}

  long remaining() const { return RSTRING_LEN(m_string) - m_offset; }

  std::int32_t i32() {
    require(4);
    const auto* p = reinterpret_cast<const unsigned char*>(RSTRING_PTR(m_string)) + m_offset;
    m_offset += 4;
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
                                     static_cast<std::uint32_t>(p[2]) << 16 |
                                     static_cast<std::uint32_t>(p[3]) << 24);
  }

  // Copies `count` little-endian int16 values into `out`.
  void i16Array(std::int16_t* out, long count) {
    require(count * 2);
    const auto* p = reinterpret_cast<const unsigned char*>(RSTRING_PTR(m_string)) + m_offset;
    for (long i = 0; i < count; ++i) {
      out[i] = static_cast<std::int16_t>(static_cast<std::uint16_t>(p[2 * i] | p[2 * i + 1] << 8));
    }
    m_offset += count * 2;
  }

 private:
  void require(long bytes) {
    if (bytes < 0 || remaining() < bytes) {
      rb_raise(rb_eArgError, "marshal data too short");
    }
  }

  VALUE m_string;
  long m_offset = 0;
};

}  // namespace engine
