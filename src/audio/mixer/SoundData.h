#pragma once

// Where a sound's encoded bytes come from: a file on disk, or bytes already read (game archives hand out
// members as bytes, never as paths).

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace audio::mixer {

struct SoundData {
  std::string path;
  std::shared_ptr<const std::vector<std::uint8_t>> bytes;
  // Shown in log lines and used as a format hint; may be empty.
  std::string name;

  static SoundData fromFile(std::string filePath) {
    SoundData data;
    data.name = filePath;
    data.path = std::move(filePath);
    return data;
  }
  static SoundData fromMemory(std::vector<std::uint8_t> content, std::string displayName = {}) {
    SoundData data;
    data.bytes = std::make_shared<const std::vector<std::uint8_t>>(std::move(content));
    data.name = std::move(displayName);
    return data;
  }
  bool inMemory() const { return bytes != nullptr; }
};

}  // namespace audio::mixer
