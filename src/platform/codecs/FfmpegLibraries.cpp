#include "platform/codecs/FfmpegLibraries.h"

extern "C" {
#include <libavutil/log.h>
#include <libavutil/macros.h>
}

#include "platform/LateLibrary.h"

namespace codecs {
namespace {

// The libraries of the major versions whose headers the player was built with.
constexpr const char* kFormatLibrary = "libavformat.so." AV_STRINGIFY(LIBAVFORMAT_VERSION_MAJOR);
constexpr const char* kCodecLibrary = "libavcodec.so." AV_STRINGIFY(LIBAVCODEC_VERSION_MAJOR);
constexpr const char* kUtilityLibrary = "libavutil.so." AV_STRINGIFY(LIBAVUTIL_VERSION_MAJOR);
constexpr const char* kScaleLibrary = "libswscale.so." AV_STRINGIFY(LIBSWSCALE_VERSION_MAJOR);
constexpr const char* kResampleLibrary = "libswresample.so." AV_STRINGIFY(LIBSWRESAMPLE_VERSION_MAJOR);

struct Loaded {
  FfmpegLibraries table;
  std::string error;  // empty when the table is whole
};

Loaded load() {
  Loaded loaded;
  FfmpegLibraries& table = loaded.table;
  platform::LateLibrary utility(kUtilityLibrary), codec(kCodecLibrary), format(kFormatLibrary), scale(kScaleLibrary),
      resample(kResampleLibrary);
#define QUILLON_FFMPEG_FIND_UTILITY(name) utility.find(#name, &table.name);
#define QUILLON_FFMPEG_FIND_CODEC(name) codec.find(#name, &table.name);
#define QUILLON_FFMPEG_FIND_FORMAT(name) format.find(#name, &table.name);
#define QUILLON_FFMPEG_FIND_SCALE(name) scale.find(#name, &table.name);
#define QUILLON_FFMPEG_FIND_RESAMPLE(name) resample.find(#name, &table.name);
  QUILLON_FFMPEG_UTILITY_FUNCTIONS(QUILLON_FFMPEG_FIND_UTILITY)
  QUILLON_FFMPEG_CODEC_FUNCTIONS(QUILLON_FFMPEG_FIND_CODEC)
  QUILLON_FFMPEG_FORMAT_FUNCTIONS(QUILLON_FFMPEG_FIND_FORMAT)
  QUILLON_FFMPEG_SCALE_FUNCTIONS(QUILLON_FFMPEG_FIND_SCALE)
  QUILLON_FFMPEG_RESAMPLE_FUNCTIONS(QUILLON_FFMPEG_FIND_RESAMPLE)
#undef QUILLON_FFMPEG_FIND_UTILITY
#undef QUILLON_FFMPEG_FIND_CODEC
#undef QUILLON_FFMPEG_FIND_FORMAT
#undef QUILLON_FFMPEG_FIND_SCALE
#undef QUILLON_FFMPEG_FIND_RESAMPLE
  for (const platform::LateLibrary* library : {&utility, &codec, &format, &scale, &resample}) {
    if (loaded.error.empty()) loaded.error = library->error();
  }
  if (loaded.error.empty()) table.av_log_set_level(AV_LOG_ERROR);
  return loaded;
}

}  // namespace

const FfmpegLibraries* ffmpeg(std::string* error) {
  const Loaded* loaded = platform::loadedTable<Loaded, load>(error);
  return loaded != nullptr ? &loaded->table : nullptr;
}

}  // namespace codecs
