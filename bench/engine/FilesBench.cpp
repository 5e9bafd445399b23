// Prints the time to read and decode every member of a 50 MB archive through the file layer, beside the
// memcpy of the same bytes (the floor) and the cipher alone.

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "engine/FileLayer.h"
#include "engine/private/Archive.h"

namespace {

constexpr std::size_t kMembers = 200;
constexpr std::size_t kMemberSize = 250 * 1024;
constexpr int kRounds = 5;

double bestSeconds(const auto& work) {
  double best = 1e9;
  for (int round = 0; round < kRounds; ++round) {
    const auto start = std::chrono::steady_clock::now();
    work();
    best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
  return best;
}

void print(const char* what, double seconds, double megabytes) {
  std::printf("%-40s %8.2f ms  %8.0f MB/s\n", what, seconds * 1e3, megabytes / seconds);
}

}  // namespace

int main() {
  std::string folder = std::filesystem::temp_directory_path().string() + "/quillon-bench-files-XXXXXX";
  if (!mkdtemp(folder.data())) {
    std::perror("mkdtemp");
    return 1;
  }
  std::mt19937 random(7);
  std::vector<engine::ArchiveMember> members(kMembers);
  for (std::size_t i = 0; i < kMembers; ++i) {
    members[i].name = "Graphics\\Pictures\\Picture" + std::to_string(i) + ".png";
    members[i].data.resize(kMemberSize);
    for (auto& byte : members[i].data) byte = static_cast<std::uint8_t>(random());
  }
  const std::string path = folder + "/Game.rgss3a";
  std::string error;
  if (!engine::writeArchive(path, members, 1, &error)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  const double megabytes = static_cast<double>(kMembers * kMemberSize) / 1e6;

  engine::FileLayer layer;
  layer.setGameFolder(folder);
  if (!layer.setArchive(path, &error)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  std::size_t checksum = 0;
  const double readAll = bestSeconds([&] {
    for (std::size_t i = 0; i < kMembers; ++i) {
      const auto bytes = layer.read("graphics/pictures/picture" + std::to_string(i), engine::FileKind::Image);
      if (!bytes || bytes->size() != kMemberSize) std::abort();
      checksum += (*bytes)[i];
    }
  });

  std::vector<std::uint8_t> source(kMemberSize);
  const double copyAll = bestSeconds([&] {
    for (std::size_t i = 0; i < kMembers; ++i) {
      std::vector<std::uint8_t> copy(kMemberSize);
      std::memcpy(copy.data(), members[i].data.data(), kMemberSize);
      checksum += copy[i];
    }
  });
  const double cipherAll = bestSeconds([&] {
    for (auto& member : members) engine::Archive::applyCipher(member.data.data(), member.data.size(), 99);
  });

  std::printf("%zu members of %zu KiB (%.1f MB)\n", kMembers, kMemberSize / 1024, megabytes);
  print("read every member through the file layer", readAll, megabytes);
  print("cipher alone", cipherAll, megabytes);
  print("floor: memcpy into fresh buffers", copyAll, megabytes);
  std::printf("(checksum %zu)\n", checksum);
  std::filesystem::remove_all(folder);
  return 0;
}
