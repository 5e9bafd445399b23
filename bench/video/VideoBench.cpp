// Prints milliseconds per frame for movies on a sprite: decoding (with the conversion to 24-bit rows), copying
// the rows into the bitmap and uploading its texture, beside the floor of copying and uploading the same bytes
// with no decoding at all.

#include <stdlib.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>

#include "bitmap/Bitmap.h"
#include "platform/gfx/Context.h"
#include "platform/gfx/Texture.h"
#include "video/SpritePlayback.h"
#include "video/VideoReader.h"
#include "video/writer/MovieWriter.h"

namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Moving colour bars with a gradient, so the encoder has real work and the decoder too.
video::writer::MovieSpec benchMovie(int width, int height, int frames, video::writer::VideoCodec codec) {
  video::writer::MovieSpec spec;
  spec.width = width;
  spec.height = height;
  spec.frameCount = frames;
  spec.codec = codec;
  spec.pixel = [width, height](int frame, int x, int y) -> std::uint32_t {
    const int bar = ((x + frame * 4) * 8 / width) % 8;
    const std::uint32_t shade = static_cast<std::uint32_t>(255 * y / height);
    return (bar & 1 ? 0xFF0000u : 0u) | (bar & 2 ? 0x00FF00u : 0u) | (bar & 4 ? 0x0000FFu : 0u) | shade;
  };
  return spec;
}

void measure(const char* label, const std::string& path, int width, int height) {
  video::VideoReader reader(path);
  if (!reader.ok()) {
    std::printf("%s: cannot read the movie: %s\n", label, reader.error().c_str());
    return;
  }
  std::unique_ptr<bitmap::Bitmap> target = bitmap::createBitmap(width, height);
  if (!target || target->texture() == nullptr) {
    std::printf("%s: no bitmap\n", label);
    return;
  }
  double decodeMs = 0.0;
  double copyMs = 0.0;
  int frames = 0;
  for (;;) {
    const auto start = Clock::now();
    if (!reader.nextFrame()) break;
    decodeMs += msSince(start);
    const auto copied = Clock::now();
    video::copyFrame(reader, *target);
    copyMs += msSince(copied);
    ++frames;
  }
  // The floor: the same rows copied and uploaded from memory, no decoding.
  const std::size_t rowBytes = static_cast<std::size_t>(width) * 3;
  std::string rows(rowBytes * static_cast<std::size_t>(height), '\x40');
  const int floorRounds = 60;
  const auto floorStart = Clock::now();
  for (int n = 0; n < floorRounds; ++n) {
    const bitmap::PixelView pixels = target->lock({0, 0, (width * 3 + 3) / 4, height});
    for (int i = 0; i < height; ++i) {
      std::memcpy(pixels.row(i), rows.data() + rowBytes * static_cast<std::size_t>(i), rowBytes);
    }
    target->unlock();
  }
  const double floorMs = msSince(floorStart) / floorRounds;
  if (frames == 0) return;
  std::printf(
      "%-22s %4d frames  decode %7.3f ms  copy+upload %6.3f ms  total %7.3f ms/frame  (floor copy+upload %6.3f ms)\n",
      label, frames, decodeMs / frames, copyMs / frames, (decodeMs + copyMs) / frames, floorMs);
}

}  // namespace

int main() {
  std::string error;
  std::unique_ptr<gfx::Context> context = gfx::Context::createHeadless(64, 64, &error);
  if (!context) {
    std::printf("no GL context: %s\n", error.c_str());
    return 0;
  }
  char pattern[] = "/tmp/quillon-video-bench-XXXXXX";
  if (::mkdtemp(pattern) == nullptr) {
    std::printf("no temporary folder\n");
    return 1;
  }
  const std::string folder = pattern;
  const struct {
    const char* label;
    int width;
    int height;
    video::writer::VideoCodec codec;
    const char* file;
  } movies[] = {
      {"640x480 MPEG-4", 640, 480, video::writer::VideoCodec::Mpeg4, "sd.avi"},
      {"1280x720 MPEG-4", 1280, 720, video::writer::VideoCodec::Mpeg4, "hd.avi"},
      {"640x480 FFV1", 640, 480, video::writer::VideoCodec::Ffv1, "sd.mkv"},
      {"1280x720 FFV1", 1280, 720, video::writer::VideoCodec::Ffv1, "hd.mkv"},
  };
  for (const auto& movie : movies) {
    const std::string path = folder + "/" + movie.file;
    if (!video::writer::writeMovie(path, benchMovie(movie.width, movie.height, 90, movie.codec), &error)) {
      std::printf("%s: cannot write the movie: %s\n", movie.label, error.c_str());
      continue;
    }
    measure(movie.label, path, movie.width, movie.height);
  }
  std::error_code ignored;
  std::filesystem::remove_all(folder, ignored);
  std::printf("a frame at 30 frames per second has 33.3 ms; at 60 updates per second an update has 16.7 ms\n");
  return 0;
}
