#pragma once

// Image files: decoding (PNG, JPEG, BMP, GIF, TGA, WEBP) into straight-alpha pixels, and writing PNG files.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "bitmap/core/PixelBuffer.h"

namespace bitmap {

// Null when the data is not an image we can read, or its picture has more than `maxPixels` pixels; `error`, when
// given, says why.
std::optional<PixelBuffer> decodeImage(std::span<const std::uint8_t> data, std::string* error = nullptr,
                                       long long maxPixels = PixelBuffer::kMaxPixels);

// 8-bit RGBA PNG of the pixels; empty on failure.
std::vector<std::uint8_t> encodePng(ConstPixelView pixels);
// Writes encodePng's bytes to `path` (UTF-8). False when encoding or writing fails.
[[nodiscard]] bool savePng(ConstPixelView pixels, const std::string& path);

}  // namespace bitmap
