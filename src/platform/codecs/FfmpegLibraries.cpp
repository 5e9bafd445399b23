#include "platform/codecs/FfmpegLibraries.h"

#include <dlfcn.h>

extern "C" {
#include <libavutil/macros.h>
}

namespace codecs {
namespace {

// The libraries of the major versions whose headers the player was built with.
constexpr const char* kFormatLibrary = "libavformat.so." AV_STRINGIFY(LIBAVFORMAT_VERSION_MAJOR);
constexpr const char* kCodecLibrary = "libavcodec.so." AV_STRINGIFY(LIBAVCODEC_VERSION_MAJOR);

struct Loaded {
  FfmpegLibraries table;
  std::string error;  // empty when the table is whole
};

template <typename Function>
bool find(void* library, const char* libraryName, const char* name, Function* out, std::string* error) {
  *out = reinterpret_cast<Function>(dlsym(library, name));
  if (*out == nullptr && error->empty()) *error = std::string(libraryName) + " has no " + name;
  return *out != nullptr;
}

Loaded load() {
  Loaded loaded;
  // Never closed: decoders made from the libraries may live until the process ends.
  void* codec = dlopen(kCodecLibrary, RTLD_NOW | RTLD_LOCAL);
  void* format = codec != nullptr ? dlopen(kFormatLibrary, RTLD_NOW | RTLD_LOCAL) : nullptr;
  if (codec == nullptr || format == nullptr) {
    const char* why = dlerror();
    loaded.error = why != nullptr ? why : "cannot open FFmpeg's libraries";
    return loaded;
  }
  FfmpegLibraries& table = loaded.table;
#define QUILLON_FFMPEG_FIND_FORMAT(name) find(format, kFormatLibrary, #name, &table.name, &loaded.error);
#define QUILLON_FFMPEG_FIND_CODEC(name) find(codec, kCodecLibrary, #name, &table.name, &loaded.error);
  QUILLON_FFMPEG_FORMAT_FUNCTIONS(QUILLON_FFMPEG_FIND_FORMAT)
  QUILLON_FFMPEG_CODEC_FUNCTIONS(QUILLON_FFMPEG_FIND_CODEC)
#undef QUILLON_FFMPEG_FIND_FORMAT
#undef QUILLON_FFMPEG_FIND_CODEC
  return loaded;
}

}  // namespace

const FfmpegLibraries* ffmpeg(std::string* error) {
  static const Loaded loaded = load();
  if (!loaded.error.empty()) {
    if (error != nullptr) *error = loaded.error;
    return nullptr;
  }
  return &loaded.table;
}

}  // namespace codecs
