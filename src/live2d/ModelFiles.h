#pragma once

// Reading the files of a model folder: through the engine's file layer first (the game archive, the game folder,
// runtime packages), then from disk, with the glue's log lines around each read.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace live2d {

// The whole file; nothing (and "file open error" in the log) when neither source has it.
std::optional<std::vector<std::uint8_t>> createBuffer(const std::string& path);
// Logs the release of a buffer that createBuffer made; the bytes go with their vector.
void deleteBuffer(const std::string& path);

}  // namespace live2d
