#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "skeleton/runtime/Atlas.h"
#include "skeleton/runtime/AtlasAttachmentLoader.h"
#include "skeleton/runtime/SkeletonBinary.h"
#include "skeleton/runtime/SkeletonData.h"
#include "skeleton/runtime/SkeletonJson.h"

namespace spine::test {

inline std::filesystem::path sampleDir() { return std::filesystem::path(QUILLON_TESTDATA_DIR) / "spine38"; }

#define SKIP_WITHOUT_SAMPLES()                                                        \
  do {                                                                                \
    if (!std::filesystem::is_directory(::spine::test::sampleDir()))                   \
      GTEST_SKIP() << "skeleton samples not found in " << ::spine::test::sampleDir(); \
  } while (0)

inline std::string readText(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

inline std::vector<uint8_t> readBytes(const std::filesystem::path& path) {
  std::string text = readText(path);
  return std::vector<uint8_t>(text.begin(), text.end());
}

// A sample export: its atlas and the two skeleton files of the same skeleton.
struct Sample {
  std::string folder, atlas, stem;
  std::filesystem::path atlasPath() const { return sampleDir() / folder / atlas; }
  std::filesystem::path jsonPath() const { return sampleDir() / folder / (stem + ".json"); }
  std::filesystem::path skelPath() const { return sampleDir() / folder / (stem + ".skel"); }
};

inline std::vector<Sample> allSamples() {
  return {{"goblins", "goblins.atlas", "goblins-ess"},
          {"goblins", "goblins.atlas", "goblins-pro"},
          {"raptor", "raptor.atlas", "raptor-pro"},
          {"spineboy", "spineboy.atlas", "spineboy-ess"},
          {"spineboy", "spineboy.atlas", "spineboy-pro"}};
}

// The atlas (without textures), loader and skeleton data of one sample, kept alive together.
struct LoadedSample {
  std::unique_ptr<Atlas> atlas;
  std::unique_ptr<AtlasAttachmentLoader> loader;
  std::unique_ptr<SkeletonData> data;
  std::string error;
};

inline LoadedSample loadSample(const Sample& sample, bool binary) {
  LoadedSample loaded;
  loaded.atlas = Atlas::parse(readText(sample.atlasPath()), "", nullptr, loaded.error);
  if (!loaded.atlas) return loaded;
  loaded.loader = std::make_unique<AtlasAttachmentLoader>(loaded.atlas.get());
  if (binary) {
    SkeletonBinary reader(*loaded.loader);
    std::vector<uint8_t> bytes = readBytes(sample.skelPath());
    loaded.data = reader.readSkeletonData(bytes.data(), bytes.size());
    loaded.error = reader.error();
  } else {
    SkeletonJson reader(*loaded.loader);
    loaded.data = reader.readSkeletonData(readText(sample.jsonPath()));
    loaded.error = reader.error();
  }
  return loaded;
}

// Loads skeleton JSON written in a test, without an atlas.
inline std::unique_ptr<SkeletonData> loadJson(const std::string& json, std::string* error = nullptr) {
  static AtlasAttachmentLoader loader(nullptr);
  SkeletonJson reader(loader);
  auto data = reader.readSkeletonData(json);
  if (error) *error = reader.error();
  return data;
}

}  // namespace spine::test
