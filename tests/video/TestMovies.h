#pragma once

// Movies of known pictures written for a test into a folder of its own, removed afterwards.

#include <cstdint>
#include <string>

#include "video/writer/MovieWriter.h"

namespace video::test {

class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::string& path() const { return m_path; }
  std::string file(const std::string& name) const { return m_path + "/" + name; }

 private:
  std::string m_path;
};

// `frames` frames of size width × height, frame n a solid colour from colourOf(n), at `fps` frames per second.
writer::MovieSpec solidMovie(int width, int height, int frames, int fps = 30);
// The colour of frame n in solidMovie: distinct, and no two channels alike, so swapped channels show.
std::uint32_t colourOf(int frame);
// One frame split in four: top-left red, top-right green, bottom-left blue, bottom-right white (0xRRGGBB).
writer::MovieSpec quadrantMovie(int width, int height);
std::uint32_t quadrantColour(int width, int height, int x, int y);
// A 16-bit sound track of `channels` channels whose sample values are known (soundSample).
void addSound(writer::MovieSpec& spec, int rate, int channels, int sampleFrames);
std::int16_t soundSample(int index, int channel);

// Writes `spec` to `path`; fails the calling test when FFmpeg cannot.
bool write(const std::string& path, const writer::MovieSpec& spec);

std::string readFile(const std::string& path);
void writeFile(const std::string& path, const std::string& bytes);
bool fileExists(const std::string& path);

}  // namespace video::test
