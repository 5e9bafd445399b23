// Movies through our FFmpeg video reader, which also writes the sound track beside the file.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "fuzz/FuzzInput.h"
#include "video/VideoReader.h"

namespace {

// The reader opens a path and writes the ".wav" beside it, so the input goes to a folder of its own.
const std::string& folder() {
  static const std::string path = [] {
    char pattern[] = "/tmp/quillon-fuzz-video-XXXXXX";
    const char* made = mkdtemp(pattern);
    if (made == nullptr) std::abort();
    return std::string(made);
  }();
  return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string movie = folder() + "/movie.bin";
  std::FILE* file = std::fopen(movie.c_str(), "wb");
  if (file == nullptr) std::abort();
  std::fwrite(data, 1, size, file);
  std::fclose(file);
  {
    video::VideoReader reader(movie);
    for (int frame = 0; frame < 8 && reader.ok() && reader.nextFrame(); ++frame) {
      (void)reader.frameRow(0);
    }
  }
  std::remove(video::wavPathFor(movie).c_str());
  std::remove(movie.c_str());
  return 0;
}
