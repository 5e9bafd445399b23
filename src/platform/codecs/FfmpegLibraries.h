#pragma once

// FFmpeg's libraries, opened on first use rather than when the player starts: with all they pull in (hardware
// decoding interfaces, X11, OpenCL), loading them cost a large share of the player's start. The player's calls
// into them go through this table (`av().avcodec_open2(...)` once `ffmpeg()` has returned it).

#include <string>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/error.h>
#include <libavutil/mathematics.h>
#include <libavutil/mem.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

// Every function of the libraries that the player calls.
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
#define QUILLON_FFMPEG_UTILITY_FUNCTIONS(X) \
  X(av_channel_layout_check)                \
  X(av_channel_layout_compare)              \
  X(av_channel_layout_copy)                 \
  X(av_channel_layout_default)              \
  X(av_channel_layout_uninit)               \
  X(av_dict_get)                            \
  X(av_frame_alloc)                         \
  X(av_frame_free)                          \
  X(av_frame_unref)                         \
  X(av_free)                                \
  X(av_freep)                               \
  X(av_log_set_level)                       \
  X(av_malloc)                              \
  X(av_rescale)                             \
  X(av_rescale_q)                           \
  X(av_strerror)
#define QUILLON_FFMPEG_SCALE_FUNCTIONS(X) \
  X(sws_freeContext)                      \
  X(sws_getCachedContext)                 \
  X(sws_scale)
#define QUILLON_FFMPEG_RESAMPLE_FUNCTIONS(X) \
  X(swr_alloc_set_opts2)                     \
  X(swr_convert)                             \
  X(swr_free)                                \
  X(swr_get_out_samples)                     \
  X(swr_init)

namespace codecs {

struct FfmpegLibraries {
#define QUILLON_FFMPEG_MEMBER(name) decltype(&::name) name = nullptr;
  QUILLON_FFMPEG_FORMAT_FUNCTIONS(QUILLON_FFMPEG_MEMBER)
  QUILLON_FFMPEG_CODEC_FUNCTIONS(QUILLON_FFMPEG_MEMBER)
  QUILLON_FFMPEG_UTILITY_FUNCTIONS(QUILLON_FFMPEG_MEMBER)
  QUILLON_FFMPEG_SCALE_FUNCTIONS(QUILLON_FFMPEG_MEMBER)
  QUILLON_FFMPEG_RESAMPLE_FUNCTIONS(QUILLON_FFMPEG_MEMBER)
#undef QUILLON_FFMPEG_MEMBER
};

// The table, the libraries opened by the first call (from any thread) with FFmpeg's logging cut to errors (its
// warnings about the files it reads say nothing a player's user can act on); null when they cannot be opened or
// lack a function, and then `error`, if given, says why.
const FfmpegLibraries* ffmpeg(std::string* error = nullptr);

// The table, for code that runs only after `ffmpeg()` has returned it.
inline const FfmpegLibraries& av() { return *ffmpeg(); }

}  // namespace codecs
