// Writes a small movie of known pictures and an optional tone, for the demo and for trying the player by hand.
//
//   quillon_make_movie --demo PATH                 the demo's movie: colour bands sweeping, with a tone
//   quillon_make_movie PATH WIDTH HEIGHT FRAMES    colour bars cycling, 30 frames per second, silent

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <numbers>
#include <string>

#include "video/writer/MovieWriter.h"

namespace {

constexpr std::uint32_t kBars[] = {0xFFFFFF, 0xFFFF00, 0x00FFFF, 0x00FF00, 0xFF00FF, 0xFF0000, 0x0000FF, 0x202020};

video::writer::MovieSpec barsMovie(int width, int height, int frames) {
  video::writer::MovieSpec spec;
  spec.width = width;
  spec.height = height;
  spec.frameCount = frames;
  spec.pixel = [width](int frame, int x, int) {
    const int bar = (x * 8 / width + frame / 15) % 8;
    return kBars[bar];
  };
  return spec;
}

video::writer::MovieSpec demoMovie() {
  video::writer::MovieSpec spec;
  spec.width = 320;
  spec.height = 180;
  spec.frameCount = 90;
  // A band of each colour sweeps down the picture; the top-left corner stays white so a mirrored or upside-down
  // picture shows at a glance.
  spec.pixel = [](int frame, int x, int y) -> std::uint32_t {
    if (x < 16 && y < 16) return 0xFFFFFF;
    const int band = ((y + frame * 2) / 30) % 7;
    const int shade = 128 + x * 127 / 320;
    const std::uint32_t colour = kBars[band + 1];
    const auto scale = [shade](std::uint32_t c) { return static_cast<std::uint32_t>(c * shade / 255); };
    return scale(colour >> 16 & 0xFF) << 16 | scale(colour >> 8 & 0xFF) << 8 | scale(colour & 0xFF);
  };
  spec.sampleRate = 22050;
  spec.channels = 1;
  spec.sampleFrames = 22050 * 3;
  spec.sample = [](int index, int) {
    const double t = index / 22050.0;
    const double fade = std::min(1.0, std::min(t * 10.0, (3.0 - t) * 10.0));
    return static_cast<std::int16_t>(6000.0 * fade * std::sin(2.0 * std::numbers::pi * 440.0 * t));
  };
  return spec;
}

}  // namespace

int main(int argc, char** argv) {
  video::writer::MovieSpec spec;
  std::string path;
  if (argc == 3 && std::string(argv[1]) == "--demo") {
    path = argv[2];
    spec = demoMovie();
  } else if (argc == 5) {
    path = argv[1];
    const int width = std::atoi(argv[2]);
    const int height = std::atoi(argv[3]);
    const int frames = std::atoi(argv[4]);
    if (width <= 0 || height <= 0 || frames <= 0 || width > 8192 || height > 8192) {
      std::fprintf(stderr, "quillon_make_movie: width, height and frames must be positive\n");
      return 2;
    }
    spec = barsMovie(width, height, frames);
  } else {
    std::fprintf(stderr, "usage: quillon_make_movie --demo PATH | PATH WIDTH HEIGHT FRAMES\n");
    return 2;
  }
  std::error_code ignored;
  const std::filesystem::path folder = std::filesystem::path(path).parent_path();
  if (!folder.empty()) std::filesystem::create_directories(folder, ignored);
  std::string error;
  if (!video::writer::writeMovie(path, spec, &error)) {
    std::fprintf(stderr, "quillon_make_movie: %s: %s\n", path.c_str(), error.c_str());
    return 1;
  }
  return 0;
}
