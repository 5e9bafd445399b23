// Prints load times of the sample skeletons (JSON and binary) and the per-frame cost of animating and computing
// world vertices for 100 spineboy instances, beside the floor of transforming the same vertices by one matrix.
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "skeleton/runtime/AnimationState.h"
#include "skeleton/runtime/AnimationStateData.h"
#include "skeleton/runtime/Atlas.h"
#include "skeleton/runtime/AtlasAttachmentLoader.h"
#include "skeleton/runtime/MeshAttachment.h"
#include "skeleton/runtime/RegionAttachment.h"
#include "skeleton/runtime/Skeleton.h"
#include "skeleton/runtime/SkeletonBinary.h"
#include "skeleton/runtime/SkeletonJson.h"

namespace {

using Clock = std::chrono::steady_clock;
const std::filesystem::path kSamples = std::filesystem::path(QUILLON_TESTDATA_DIR) / "spine38";

std::string readFile(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

double millisecondsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

void benchLoad(const char* folder, const char* atlasName, const char* stem) {
  std::string error;
  auto atlas = spine::Atlas::parse(readFile(kSamples / folder / atlasName), "", nullptr, error);
  if (!atlas) {
    std::printf("%s: %s\n", atlasName, error.c_str());
    return;
  }
  spine::AtlasAttachmentLoader loader(atlas.get());
  const std::string json = readFile(kSamples / folder / (std::string(stem) + ".json"));
  const std::string skel = readFile(kSamples / folder / (std::string(stem) + ".skel"));
  constexpr int kRuns = 20;

  spine::SkeletonJson jsonReader(loader);
  auto start = Clock::now();
  for (int i = 0; i < kRuns; ++i)
    if (!jsonReader.readSkeletonData(json)) std::printf("%s.json: %s\n", stem, jsonReader.error().c_str());
  double jsonMs = millisecondsSince(start) / kRuns;

  spine::SkeletonBinary binaryReader(loader);
  start = Clock::now();
  for (int i = 0; i < kRuns; ++i)
    if (!binaryReader.readSkeletonData(reinterpret_cast<const uint8_t*>(skel.data()), skel.size()))
      std::printf("%s.skel: %s\n", stem, binaryReader.error().c_str());
  double binaryMs = millisecondsSince(start) / kRuns;
  std::printf("load %-14s json %7.3f ms (%6zu bytes)   binary %7.3f ms (%6zu bytes)\n", stem, jsonMs, json.size(),
              binaryMs, skel.size());
}

// World vertices of every drawn attachment, as a renderer would fetch them; returns the float count.
size_t worldVertices(const spine::Skeleton& skeleton, std::vector<float>& out) {
  size_t used = 0;
  for (const spine::Slot* slot : skeleton.drawOrder) {
    if (!slot->attachment || !slot->bone.active) continue;
    if (slot->attachment->type() == spine::AttachmentType::Region) {
      if (out.size() < used + 8) out.resize(used + 8);
      static_cast<const spine::RegionAttachment*>(slot->attachment)
          ->computeWorldVertices(slot->bone, out.data() + used, 0, 2);
      used += 8;
    } else if (slot->attachment->type() == spine::AttachmentType::Mesh) {
      const auto* mesh = static_cast<const spine::MeshAttachment*>(slot->attachment);
      size_t count = static_cast<size_t>(mesh->worldVerticesLength);
      if (out.size() < used + count) out.resize(used + count);
      mesh->computeWorldVertices(*slot, 0, count, out.data(), used, 2);
      used += count;
    }
  }
  return used;
}

void benchInstances(const char* stem, const char* animation, int instances) {
  std::string error;
  auto atlas = spine::Atlas::parse(readFile(kSamples / "spineboy" / "spineboy.atlas"), "", nullptr, error);
  if (!atlas) return;
  spine::AtlasAttachmentLoader loader(atlas.get());
  spine::SkeletonBinary reader(loader);
  const std::string skel = readFile(kSamples / "spineboy" / (std::string(stem) + ".skel"));
  auto data = reader.readSkeletonData(reinterpret_cast<const uint8_t*>(skel.data()), skel.size());
  if (!data) {
    std::printf("%s: %s\n", stem, reader.error().c_str());
    return;
  }
  spine::AnimationStateData stateData(*data);
  stateData.setDefaultMix(0.1f);
  std::vector<std::unique_ptr<spine::Skeleton>> skeletons;
  std::vector<std::unique_ptr<spine::AnimationState>> states;
  for (int i = 0; i < instances; ++i) {
    skeletons.push_back(std::make_unique<spine::Skeleton>(*data));
    states.push_back(std::make_unique<spine::AnimationState>(stateData));
    states.back()->setAnimation(0, animation, true);
    states.back()->update(0.01f * static_cast<float>(i));  // spread the instances over the loop
  }
  std::vector<float> vertices;
  constexpr int kFrames = 300;
  size_t floats = 0;
  auto start = Clock::now();
  for (int frame = 0; frame < kFrames; ++frame) {
    floats = 0;
    for (int i = 0; i < instances; ++i) {
      states[i]->update(1 / 60.0f);
      states[i]->apply(*skeletons[i]);
      skeletons[i]->updateWorldTransform();
      floats += worldVertices(*skeletons[i], vertices);
    }
  }
  double frameMs = millisecondsSince(start) / kFrames;

  // Floor: transform the same number of vertices by one matrix, as the cheapest possible posing would.
  std::vector<float> local(floats), world(floats);
  for (size_t i = 0; i < floats; ++i) local[i] = static_cast<float>(i % 97);
  float a = 0.9f, b = -0.1f, c = 0.1f, d = 0.9f, tx = 3, ty = 4;
  start = Clock::now();
  float sink = 0;
  for (int frame = 0; frame < kFrames; ++frame) {
    for (size_t i = 0; i + 1 < floats; i += 2) {
      world[i] = local[i] * a + local[i + 1] * b + tx;
      world[i + 1] = local[i] * c + local[i + 1] * d + ty;
    }
    sink += world[static_cast<size_t>(frame) % floats];
    tx += 0.001f;
  }
  double floorMs = millisecondsSince(start) / kFrames;
  std::printf("%d x %s '%s': update+apply+world vertices %7.3f ms/frame (%zu vertices)   floor %7.3f ms/frame%s\n",
              instances, stem, animation, frameMs, floats / 2, floorMs, sink == 12345 ? " " : "");
}

}  // namespace

int main() {
  if (!std::filesystem::is_directory(kSamples)) {
    std::printf("skeleton samples not found in %s\n", kSamples.c_str());
    return 0;
  }
  benchLoad("spineboy", "spineboy.atlas", "spineboy-pro");
  benchLoad("raptor", "raptor.atlas", "raptor-pro");
  benchLoad("goblins", "goblins.atlas", "goblins-pro");
  benchInstances("spineboy-pro", "run", 100);
  benchInstances("spineboy-ess", "walk", 100);
  return 0;
}
