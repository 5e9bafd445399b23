#pragma once

// Reads and checks a .moc3 file (versions 1 to 5). Every offset, count and index in the file is checked
// before use; a malformed or newer file gives no data and a message saying what was wrong.

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "live2d/cubism/private/MocData.h"

namespace live2d::cubism {

inline constexpr int kMocLatestVersion = 5;

std::optional<MocData> readMoc3(std::span<const std::uint8_t> bytes, std::string* error);

// The cross-reference checks alone, for data built by other means (tests build small models by hand).
[[nodiscard]] bool validateMoc(MocData& moc, std::string* error);

}  // namespace live2d::cubism
