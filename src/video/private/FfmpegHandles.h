#pragma once

// Owning handles for FFmpeg's objects, for the subsystem's sources that talk to FFmpeg. Format, codec and packet
// objects exist only once the libraries are loaded, so their deleters may use the table.

#include <memory>

#include "platform/codecs/FfmpegLibraries.h"

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/error.h>
#include <libavutil/imgutils.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

namespace video {

using codecs::av;

struct FormatCloser {
  void operator()(AVFormatContext* context) const { av().avformat_close_input(&context); }
};
struct CodecFreer {
  void operator()(AVCodecContext* context) const { av().avcodec_free_context(&context); }
};
struct FrameFreer {
  void operator()(AVFrame* frame) const { av_frame_free(&frame); }
};
struct PacketFreer {
  void operator()(AVPacket* packet) const { av().av_packet_free(&packet); }
};
struct ScaleFreer {
  void operator()(SwsContext* context) const { sws_freeContext(context); }
};
struct ResampleFreer {
  void operator()(SwrContext* context) const { swr_free(&context); }
};

using FormatHandle = std::unique_ptr<AVFormatContext, FormatCloser>;
using CodecHandle = std::unique_ptr<AVCodecContext, CodecFreer>;
using FrameHandle = std::unique_ptr<AVFrame, FrameFreer>;
using PacketHandle = std::unique_ptr<AVPacket, PacketFreer>;
using ScaleHandle = std::unique_ptr<SwsContext, ScaleFreer>;
using ResampleHandle = std::unique_ptr<SwrContext, ResampleFreer>;

// FFmpeg's warnings about the files it reads say nothing a player's user can act on.
inline void quietLogging() { av_log_set_level(AV_LOG_ERROR); }

}  // namespace video
