#include "TestMovies.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace video::test {

TempFolder::TempFolder() {
  char pattern[] = "/tmp/quillon-video-XXXXXX";
  const char* made = ::mkdtemp(pattern);
  if (made != nullptr) m_path = made;
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  if (!m_path.empty()) std::filesystem::remove_all(m_path, ignored);
}

std::uint32_t colourOf(int frame) {
  static constexpr std::uint32_t kColours[] = {0xFF4010, 0x10C030, 0x2040E0, 0xE0D020, 0x30E0E0, 0xA020B0};
  return kColours[frame % 6];
}

writer::MovieSpec solidMovie(int width, int height, int frames, int fps) {
  writer::MovieSpec spec;
  spec.width = width;
  spec.height = height;
  spec.frameCount = frames;
  spec.frameRateNumerator = fps;
  spec.pixel = [](int frame, int, int) { return colourOf(frame); };
  return spec;
}

std::uint32_t quadrantColour(int width, int height, int x, int y) {
  const bool right = x >= width / 2;
  const bool bottom = y >= height / 2;
  if (!bottom) return right ? 0x00FF00 : 0xFF0000;
  return right ? 0xFFFFFF : 0x0000FF;
}

writer::MovieSpec quadrantMovie(int width, int height) {
  writer::MovieSpec spec;
  spec.width = width;
  spec.height = height;
  spec.frameCount = 2;
  spec.pixel = [width, height](int, int x, int y) { return quadrantColour(width, height, x, y); };
  return spec;
}

std::int16_t soundSample(int index, int channel) {
  return static_cast<std::int16_t>((index * 37 + channel * 1000) % 20000 - 10000);
}

void addSound(writer::MovieSpec& spec, int rate, int channels, int sampleFrames) {
  spec.sampleRate = rate;
  spec.channels = channels;
  spec.sampleFrames = sampleFrames;
  spec.sample = soundSample;
}

bool write(const std::string& path, const writer::MovieSpec& spec) {
  std::string error;
  const bool written = writer::writeMovie(path, spec, &error);
  EXPECT_TRUE(written) << path << ": " << error;
  return written;
}

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out << bytes;
}

bool fileExists(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0;
}

}  // namespace video::test
