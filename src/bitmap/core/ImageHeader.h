#pragma once

// What an image file declares about itself, read from its header alone, so that a file claiming a picture too
// large to hold is refused before any decoder allocates for it.

#include <cstdint>
#include <limits>
#include <optional>
#include <span>

namespace bitmap {

enum class ImageFormat { Png, Jpeg, Bmp, Gif, Webp, Tga };

struct ImageHeader {
  ImageFormat format = ImageFormat::Png;
  // As declared; for GIF the larger of the screen and the first frame, which is what gets allocated.
  long long width = 0;
  long long height = 0;
  // The fewest bytes a file of that size can be, at the format's best compression (0 where it has no useful
  // bound): a few bytes claiming a picture of a gigabyte are refused before the decoder allocates for them.
  long long minimumBytes = 0;

  // width × height, or the largest value when a damaged header makes it overflow.
  long long pixels() const {
    long long product = 0;
    return __builtin_mul_overflow(width, height, &product) ? std::numeric_limits<long long>::max() : product;
  }
};

// Nothing when the data is none of the formats we read, or is cut short before it states its size.
// TGA has no signature, so data is taken for TGA only when nothing else matches and its header is plausible.
std::optional<ImageHeader> readImageHeader(std::span<const std::uint8_t> data);

}  // namespace bitmap
