#pragma once

// PNG files to and from CubismImage, for the headless render tool, tests and benchmarks.

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "live2d/cubism/CubismSoftwareRenderer.h"

namespace live2d::cubism {

std::optional<CubismImage> decodePng(std::span<const std::uint8_t> bytes, std::string* error);
std::optional<CubismImage> readPng(const std::string& path, std::string* error);
[[nodiscard]] bool writePng(const std::string& path, const CubismImage& image, std::string* error);

}  // namespace live2d::cubism
