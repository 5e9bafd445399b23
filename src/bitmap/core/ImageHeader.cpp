#include "bitmap/core/ImageHeader.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace bitmap {
namespace {

using Bytes = std::span<const std::uint8_t>;

bool startsWith(Bytes data, std::size_t at, const char* text) {
  const std::size_t length = std::strlen(text);
  return data.size() >= at + length && std::memcmp(data.data() + at, text, length) == 0;
}

unsigned u16le(Bytes data, std::size_t at) { return data[at] | data[at + 1] << 8; }
unsigned u16be(Bytes data, std::size_t at) { return data[at] << 8 | data[at + 1]; }
unsigned long u24le(Bytes data, std::size_t at) {
  return u16le(data, at) | static_cast<unsigned long>(data[at + 2]) << 16;
}
unsigned long u32le(Bytes data, std::size_t at) {
  return u24le(data, at) | static_cast<unsigned long>(data[at + 3]) << 24;
}
unsigned long u32be(Bytes data, std::size_t at) {
  return static_cast<unsigned long>(u16be(data, at)) << 16 | u16be(data, at + 2);
}

// Damaged headers make sizes multiply past 64 bits; such products only need to read as huge.
long long product(long long a, long long b) {
  long long result = 0;
  return __builtin_mul_overflow(a, b, &result) ? std::numeric_limits<long long>::max() : result;
}

std::optional<ImageHeader> sized(ImageFormat format, long long width, long long height, long long minimumBytes = 0) {
  return ImageHeader{format, width, height, minimumBytes};
}

// Deflate packs at most 1032 bytes into one; each row is a filter byte and its packed pixels.
std::optional<ImageHeader> png(Bytes data) {
  if (data.size() < 26 || !startsWith(data, 12, "IHDR")) return std::nullopt;
  const long long width = u32be(data, 16);
  const long long height = u32be(data, 20);
  constexpr int kChannels[] = {1, 0, 3, 1, 2, 0, 4};
  const int channels = data[25] < 7 && kChannels[data[25]] > 0 ? kChannels[data[25]] : 1;
  const long long rowBytes = 1 + (width * data[24] * channels + 7) / 8;
  return sized(ImageFormat::Png, width, height, product(rowBytes, height) / 1032);
}

// The size is in the first start-of-frame segment; every segment before it states its own length.
std::optional<ImageHeader> jpeg(Bytes data) {
  std::size_t at = 2;
  while (at + 4 <= data.size()) {
    if (data[at] != 0xFF) return std::nullopt;
    const unsigned marker = data[at + 1];
    if (marker == 0xFF) {
      ++at;  // fill byte
      continue;
    }
    if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {
      at += 2;
      continue;
    }
    if (marker == 0xD9 || marker == 0xDA) return std::nullopt;  // image data or the end before any frame
    const bool frame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
    if (frame) {
      if (at + 9 > data.size()) return std::nullopt;
      // Every 8 × 8 block codes at least one bit, its first coefficient.
      const long long width = u16be(data, at + 7);
      const long long height = u16be(data, at + 5);
      return sized(ImageFormat::Jpeg, width, height, width * height / 512);
    }
    at += 2 + u16be(data, at + 2);
  }
  return std::nullopt;
}

std::optional<ImageHeader> bmp(Bytes data) {
  if (data.size() < 18) return std::nullopt;
  if (u32le(data, 14) == 12) {
    if (data.size() < 22) return std::nullopt;
    return sized(ImageFormat::Bmp, u16le(data, 18), u16le(data, 20));
  }
  if (data.size() < 34) return std::nullopt;
  // Signed: a negative height means the rows are stored top-down.
  const long long width = std::llabs(static_cast<std::int32_t>(u32le(data, 18)));
  const long long height = std::llabs(static_cast<std::int32_t>(u32le(data, 22)));
  // Uncompressed rows (plain or with bit fields) are padded to whole 32-bit words; run lengths have no bound.
  const unsigned long compression = u32le(data, 30);
  const long long rowBytes = (width * u16le(data, 28) + 31) / 32 * 4;
  return sized(ImageFormat::Bmp, width, height, compression == 0 || compression == 3 ? product(rowBytes, height) : 0);
}

// Walks the codes of a frame's compressed data (its sub-blocks from `at`, the code size byte) as the image
// library's decoder reads them, without decoding. False where a code makes that decoder take something other
// than a pixel or a string it has made: a code beyond the table, or a clear or end code straight after a clear
// (only at the very start does it skip repeated clears). Table entries made from such codes can form a cycle,
// which its decoding follows until it writes through a wild pointer.
bool gifCodesDefined(Bytes data, std::size_t at) {
  const unsigned minimum = data[at];
  const unsigned clear = 1u << minimum;
  unsigned size = minimum + 1;
  unsigned next = clear + 2;
  enum class Expect { FirstPixel, PixelAfterClear, Code } expect = Expect::FirstPixel;
  std::uint32_t bits = 0;
  unsigned count = 0;
  for (std::size_t block = at + 1; block < data.size() && data[block] != 0; block += 1 + data[block]) {
    for (std::size_t i = block + 1; i <= block + data[block] && i < data.size(); ++i) {
      bits |= static_cast<std::uint32_t>(data[i]) << count;
      count += 8;
      while (count >= size) {
        const unsigned code = bits & ((1u << size) - 1);
        bits >>= size;
        count -= size;
        if (expect == Expect::FirstPixel && code == clear) continue;
        if (expect != Expect::Code) {
          if (code >= clear) return false;
          expect = Expect::Code;
        } else if (code == clear) {
          size = minimum + 1;
          next = clear + 2;
          expect = Expect::PixelAfterClear;
        } else if (code == clear + 1) {
          return true;
        } else if (code > next) {
          return false;
        } else if (next < 4096 && ++next >= 1u << size && size < 12) {
          ++size;
        }
      }
    }
  }
  return true;
}

// Skips extension blocks to the first frame, whose own size is what the decoder allocates.
std::optional<ImageHeader> gif(Bytes data) {
  if (data.size() < 13) return std::nullopt;
  ImageHeader header{ImageFormat::Gif, u16le(data, 6), u16le(data, 8)};
  std::size_t at = 13;
  if (data[10] & 0x80) at += 3u << ((data[10] & 7) + 1);
  while (at < data.size()) {
    if (data[at] == 0x2C) {
      if (at + 10 > data.size()) return std::nullopt;
      // The decoder looks past an empty frame, or one whose compression cannot even start, for another one, so
      // such a file could make it allocate whatever a stray byte pattern further on claims: it is refused here.
      const std::size_t codeSize = at + 10 + ((data[at + 9] & 0x80) ? 3u << ((data[at + 9] & 7) + 1) : 0);
      const bool empty = u16le(data, at + 5) == 0 || u16le(data, at + 7) == 0;
      if (empty || codeSize >= data.size() || data[codeSize] == 0 || data[codeSize] > 12) return std::nullopt;
      if (!gifCodesDefined(data, codeSize)) return std::nullopt;
      header.width = std::max<long long>(header.width, u16le(data, at + 5));
      header.height = std::max<long long>(header.height, u16le(data, at + 7));
      // A code of at most 12 bits stands for at most 4096 pixels.
      header.minimumBytes = static_cast<long long>(u16le(data, at + 5)) * u16le(data, at + 7) / 4096 * 12 / 8;
      return header;
    }
    if (data[at] != 0x21 || at + 2 > data.size()) return std::nullopt;
    const bool graphicControl = data[at + 1] == 0xF9;
    at += 2;
    // The decoder takes a graphic control's first block as its fields even when it is empty, and only then
    // looks for the terminating empty block.
    if (graphicControl && at < data.size()) at += 1 + data[at];
    while (at < data.size() && data[at] != 0) at += 1 + data[at];
    ++at;
  }
  return std::nullopt;
}

std::optional<ImageHeader> webp(Bytes data) {
  if (data.size() < 30) return std::nullopt;
  if (startsWith(data, 12, "VP8 ")) {
    return sized(ImageFormat::Webp, u16le(data, 26) & 0x3FFF, u16le(data, 28) & 0x3FFF);
  }
  if (startsWith(data, 12, "VP8L")) {
    const unsigned long bits = u32le(data, 21);
    return sized(ImageFormat::Webp, (bits & 0x3FFF) + 1, ((bits >> 14) & 0x3FFF) + 1);
  }
  if (startsWith(data, 12, "VP8X")) {
    return sized(ImageFormat::Webp, static_cast<long long>(u24le(data, 24)) + 1,
                 static_cast<long long>(u24le(data, 27)) + 1);
  }
  return std::nullopt;
}

std::optional<ImageHeader> tga(Bytes data) {
  if (data.size() < 18) return std::nullopt;
  const unsigned mapType = data[1];
  const unsigned imageType = data[2];
  const unsigned depth = data[16];
  const bool knownType =
      imageType == 1 || imageType == 2 || imageType == 3 || imageType == 9 || imageType == 10 || imageType == 11;
  const bool knownDepth = depth == 8 || depth == 15 || depth == 16 || depth == 24 || depth == 32;
  if (mapType > 1 || !knownType || !knownDepth) return std::nullopt;
  const long long width = u16le(data, 12);
  const long long height = u16le(data, 14);
  // Raw pixels, or run-length packets of at most 128 pixels, each a count byte and one pixel.
  const long long pixelBytes = (depth + 7) / 8;
  const long long minimum =
      imageType < 9 ? width * height * pixelBytes : (width * height + 127) / 128 * (1 + pixelBytes);
  return sized(ImageFormat::Tga, width, height, 18 + minimum);
}

}  // namespace

std::optional<ImageHeader> readImageHeader(std::span<const std::uint8_t> data) {
  if (startsWith(data, 0, "\x89PNG\r\n\x1A\n")) return png(data);
  if (startsWith(data, 0, "\xFF\xD8")) return jpeg(data);
  if (startsWith(data, 0, "BM")) return bmp(data);
  if (startsWith(data, 0, "GIF87a") || startsWith(data, 0, "GIF89a")) return gif(data);
  if (startsWith(data, 0, "RIFF") && startsWith(data, 8, "WEBP")) return webp(data);
  return tga(data);
}

}  // namespace bitmap
