#pragma once

// Movies of pictures and sounds given as functions, encoded with FFmpeg's encoders into any container FFmpeg
// writes (chosen by the file's extension): the material the video tests, benchmarks and demo play.

#include <cstdint>
#include <functional>
#include <string>

namespace video::writer {

enum class VideoCodec {
  Ffv1,   // lossless, RGB: the colours come back exactly
  Mpeg4,  // MPEG-4 part 2 in 4:2:0: lossy, like the movies games ship
};

struct MovieSpec {
  // No picture when either is 0.
  int width = 0;
  int height = 0;
  int frameCount = 0;
  int frameRateNumerator = 30;
  int frameRateDenominator = 1;
  VideoCodec codec = VideoCodec::Ffv1;
  // 0xRRGGBB of pixel (x, y) of frame n.
  std::function<std::uint32_t(int frame, int x, int y)> pixel;

  // No sound when either is 0; 16-bit PCM otherwise.
  int sampleRate = 0;
  int channels = 0;
  int sampleFrames = 0;  // samples per channel
  std::function<std::int16_t(int index, int channel)> sample;
};

// False (with `error`) when FFmpeg cannot write the file.
[[nodiscard]] bool writeMovie(const std::string& path, const MovieSpec& spec, std::string* error);

}  // namespace video::writer
