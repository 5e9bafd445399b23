#pragma once

// Owning handles for FFmpeg's objects, for the subsystem's sources that talk to FFmpeg.

#include <memory>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/error.h>
#include <libavutil/imgutils.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

namespace video {

struct FormatCloser {
  void operator()(AVFormatContext* context) const { avformat_close_input(&context); }
};
struct CodecFreer {
  void operator()(AVCodecContext* context) const { avcodec_free_context(&context); }
};
struct FrameFreer {
  void operator()(AVFrame* frame) const { av_frame_free(&frame); }
};
struct PacketFreer {
  void operator()(AVPacket* packet) const { av_packet_free(&packet); }
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
