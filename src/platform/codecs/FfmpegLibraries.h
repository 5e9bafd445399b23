#pragma once

// FFmpeg's format and codec libraries, opened on first use rather than when the player starts: with all they pull
// in, loading them took longer than everything else the player links. The player's calls into them go through
// this table (`av().avcodec_open2(...)` once `ffmpeg()` has returned it); FFmpeg's utility, scaling and
// resampling libraries are light and stay linked as usual.

#include <string>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

// Every function of the two libraries that the player calls.
#define QUILLON_FFMPEG_FORMAT_FUNCTIONS(X) \
  X(avformat_alloc_context)                \
  X(avformat_open_input)                   \
  X(avformat_find_stream_info)             \
  X(avformat_close_input)                  \
  X(av_find_best_stream)                   \
  X(av_read_frame)                         \
  X(av_seek_frame)                         \
  X(av_guess_frame_rate)                   \
  X(avio_alloc_context)                    \
  X(avio_context_free)
#define QUILLON_FFMPEG_CODEC_FUNCTIONS(X) \
  X(avcodec_find_decoder)                 \
  X(avcodec_alloc_context3)               \
  X(avcodec_free_context)                 \
  X(avcodec_parameters_to_context)        \
  X(avcodec_open2)                        \
  X(avcodec_send_packet)                  \
  X(avcodec_receive_frame)                \
  X(avcodec_flush_buffers)                \
  X(av_packet_alloc)                      \
  X(av_packet_free)                       \
  X(av_packet_unref)

namespace codecs {

struct FfmpegLibraries {
#define QUILLON_FFMPEG_MEMBER(name) decltype(&::name) name = nullptr;
  QUILLON_FFMPEG_FORMAT_FUNCTIONS(QUILLON_FFMPEG_MEMBER)
  QUILLON_FFMPEG_CODEC_FUNCTIONS(QUILLON_FFMPEG_MEMBER)
#undef QUILLON_FFMPEG_MEMBER
};

// The table, the libraries opened by the first call (from any thread); null when they cannot be opened or lack a
// function, and then `error`, if given, says why.
const FfmpegLibraries* ffmpeg(std::string* error = nullptr);

// The table, for code that runs only after `ffmpeg()` has returned it.
inline const FfmpegLibraries& av() { return *ffmpeg(); }

}  // namespace codecs
