#pragma once

// Owning handles for FFmpeg's objects: the one set that the sound decoder, the video reader and the movie writer
// hold FFmpeg's contexts, frames and packets with. FFmpeg's objects exist only once its libraries are loaded
// (`ffmpeg()`), so their deleters use the table.

#include <memory>

#include "platform/codecs/FfmpegLibraries.h"

namespace codecs {

struct FormatCloser {
  void operator()(AVFormatContext* context) const { av().avformat_close_input(&context); }
};
// A custom reader's context and its buffer, which FFmpeg may have replaced by one of its own.
struct IoFreer {
  void operator()(AVIOContext* context) const {
    av().av_freep(&context->buffer);
    av().avio_context_free(&context);
  }
};
struct CodecFreer {
  void operator()(AVCodecContext* context) const { av().avcodec_free_context(&context); }
};
struct FrameFreer {
  void operator()(AVFrame* frame) const { av().av_frame_free(&frame); }
};
struct PacketFreer {
  void operator()(AVPacket* packet) const { av().av_packet_free(&packet); }
};
struct ScaleFreer {
  void operator()(SwsContext* context) const { av().sws_freeContext(context); }
};
struct ResampleFreer {
  void operator()(SwrContext* context) const { av().swr_free(&context); }
};

using FormatHandle = std::unique_ptr<AVFormatContext, FormatCloser>;
using IoHandle = std::unique_ptr<AVIOContext, IoFreer>;
using CodecHandle = std::unique_ptr<AVCodecContext, CodecFreer>;
using FrameHandle = std::unique_ptr<AVFrame, FrameFreer>;
using PacketHandle = std::unique_ptr<AVPacket, PacketFreer>;
using ScaleHandle = std::unique_ptr<SwsContext, ScaleFreer>;
using ResampleHandle = std::unique_ptr<SwrContext, ResampleFreer>;

}  // namespace codecs
