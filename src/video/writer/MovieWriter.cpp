#include "video/writer/MovieWriter.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "platform/codecs/FfmpegHandles.h"

namespace video::writer {

namespace {

using codecs::CodecHandle;
using codecs::FrameHandle;
using codecs::PacketHandle;
using codecs::ScaleHandle;

// Only the writer makes output contexts; it opened the file itself unless the format writes none.
struct OutputCloser {
  void operator()(AVFormatContext* context) const {
    if (context->pb != nullptr && !(context->oformat->flags & AVFMT_NOFILE)) avio_closep(&context->pb);
    avformat_free_context(context);
  }
};
using OutputHandle = std::unique_ptr<AVFormatContext, OutputCloser>;

constexpr int kSamplesPerFrame = 1024;

bool fail(std::string* error, const std::string& what, int code = 0) {
  if (error == nullptr) return false;
  *error = what;
  if (code < 0) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof(text));
    *error += std::string(": ") + text;
  }
  return false;
}

AVPixelFormat pictureFormat(const AVCodec* codec, VideoCodec kind) {
  if (kind == VideoCodec::Mpeg4) return AV_PIX_FMT_YUV420P;
  // Lossless RGB keeps every colour exact; the first one the encoder offers of these will do.
  for (const AVPixelFormat wanted : {AV_PIX_FMT_0RGB32, AV_PIX_FMT_RGB32, AV_PIX_FMT_GBRP}) {
    for (const AVPixelFormat* offered = codec->pix_fmts; offered != nullptr && *offered != AV_PIX_FMT_NONE; ++offered) {
      if (*offered == wanted) return wanted;
    }
  }
  return codec->pix_fmts != nullptr ? codec->pix_fmts[0] : AV_PIX_FMT_NONE;
}

struct Track {
  CodecHandle codec;
  AVStream* stream = nullptr;
};

// Hands `frame` (null: the end) to the encoder and writes every packet it gives back.
bool encode(AVFormatContext* output, Track& track, AVFrame* frame, std::string* error) {
  int result = avcodec_send_frame(track.codec.get(), frame);
  if (result < 0) return fail(error, "encoding", result);
  PacketHandle packet(av_packet_alloc());
  for (;;) {
    result = avcodec_receive_packet(track.codec.get(), packet.get());
    if (result == AVERROR(EAGAIN) || result == AVERROR_EOF) return true;
    if (result < 0) return fail(error, "encoding", result);
    av_packet_rescale_ts(packet.get(), track.codec->time_base, track.stream->time_base);
    packet->stream_index = track.stream->index;
    result = av_interleaved_write_frame(output, packet.get());
    if (result < 0) return fail(error, "writing", result);
  }
}

bool openTrack(AVFormatContext* output, const AVCodec* codec, Track& track, std::string* error) {
  if (output->oformat->flags & AVFMT_GLOBALHEADER) track.codec->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  int result = avcodec_open2(track.codec.get(), codec, nullptr);
  if (result < 0) return fail(error, std::string("opening encoder ") + codec->name, result);
  track.stream = avformat_new_stream(output, nullptr);
  if (track.stream == nullptr) return fail(error, "adding a stream");
  track.stream->time_base = track.codec->time_base;
  result = avcodec_parameters_from_context(track.stream->codecpar, track.codec.get());
  return result >= 0 || fail(error, "stream parameters", result);
}

bool writePictures(AVFormatContext* output, Track& track, const MovieSpec& spec, std::string* error) {
  AVCodecContext* codec = track.codec.get();
  FrameHandle frame(av_frame_alloc());
  frame->format = codec->pix_fmt;
  frame->width = spec.width;
  frame->height = spec.height;
  if (av_frame_get_buffer(frame.get(), 0) < 0) return fail(error, "frame buffer");
  ScaleHandle scaler(sws_getContext(spec.width, spec.height, AV_PIX_FMT_BGRA, spec.width, spec.height, codec->pix_fmt,
                                    SWS_POINT, nullptr, nullptr, nullptr));
  if (!scaler) return fail(error, "no conversion to the encoder's pixel format");
  std::vector<std::uint8_t> picture(static_cast<std::size_t>(spec.width) * spec.height * 4);
  for (int n = 0; n < spec.frameCount; ++n) {
    for (int y = 0; y < spec.height; ++y) {
      for (int x = 0; x < spec.width; ++x) {
        const std::uint32_t rgb = spec.pixel ? spec.pixel(n, x, y) : 0;
        std::uint8_t* at = &picture[(static_cast<std::size_t>(y) * spec.width + x) * 4];
        at[0] = static_cast<std::uint8_t>(rgb);
        at[1] = static_cast<std::uint8_t>(rgb >> 8);
        at[2] = static_cast<std::uint8_t>(rgb >> 16);
        at[3] = 0xFF;
      }
    }
    if (av_frame_make_writable(frame.get()) < 0) return fail(error, "frame buffer");
    const std::uint8_t* source[1] = {picture.data()};
    const int sourceStride[1] = {spec.width * 4};
    sws_scale(scaler.get(), source, sourceStride, 0, spec.height, frame->data, frame->linesize);
    frame->pts = n;
    if (!encode(output, track, frame.get(), error)) return false;
  }
  return encode(output, track, nullptr, error);
}

bool writeSound(AVFormatContext* output, Track& track, const MovieSpec& spec, std::string* error) {
  AVCodecContext* codec = track.codec.get();
  FrameHandle frame(av_frame_alloc());
  for (int start = 0; start < spec.sampleFrames; start += kSamplesPerFrame) {
    const int count = std::min(kSamplesPerFrame, spec.sampleFrames - start);
    av_frame_unref(frame.get());
    frame->format = codec->sample_fmt;
    frame->nb_samples = count;
    frame->sample_rate = spec.sampleRate;
    if (av_channel_layout_copy(&frame->ch_layout, &codec->ch_layout) < 0 || av_frame_get_buffer(frame.get(), 0) < 0) {
      return fail(error, "sound frame buffer");
    }
    auto* samples = reinterpret_cast<std::int16_t*>(frame->data[0]);
    for (int i = 0; i < count; ++i) {
      for (int c = 0; c < spec.channels; ++c) {
        samples[i * spec.channels + c] = spec.sample ? spec.sample(start + i, c) : 0;
      }
    }
    frame->pts = start;
    if (!encode(output, track, frame.get(), error)) return false;
  }
  return encode(output, track, nullptr, error);
}

}  // namespace

bool writeMovie(const std::string& path, const MovieSpec& spec, std::string* error) {
  // The shared handles free codec contexts and packets through the loaded table.
  std::string missing;
  if (!codecs::ffmpeg(&missing)) return fail(error, "cannot load FFmpeg (" + missing + ")");
  const bool picture = spec.width > 0 && spec.height > 0;
  const bool sound = spec.sampleRate > 0 && spec.channels > 0;
  AVFormatContext* raw = nullptr;
  int result = avformat_alloc_output_context2(&raw, nullptr, nullptr, path.c_str());
  if (result < 0 || raw == nullptr) return fail(error, "no container for " + path, result);
  OutputHandle output(raw);

  Track video;
  if (picture) {
    const AVCodec* codec = avcodec_find_encoder(spec.codec == VideoCodec::Ffv1 ? AV_CODEC_ID_FFV1 : AV_CODEC_ID_MPEG4);
    if (codec == nullptr) return fail(error, "no picture encoder");
    video.codec.reset(avcodec_alloc_context3(codec));
    if (!video.codec) return fail(error, "no picture encoder context");
    video.codec->width = spec.width;
    video.codec->height = spec.height;
    video.codec->time_base = AVRational{spec.frameRateDenominator, spec.frameRateNumerator};
    video.codec->framerate = AVRational{spec.frameRateNumerator, spec.frameRateDenominator};
    video.codec->pix_fmt = pictureFormat(codec, spec.codec);
    video.codec->gop_size = 12;
    if (spec.codec == VideoCodec::Mpeg4) video.codec->bit_rate = 4'000'000;
    if (!openTrack(output.get(), codec, video, error)) return false;
    video.stream->avg_frame_rate = video.codec->framerate;
  }
  Track audio;
  if (sound) {
    const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_PCM_S16LE);
    if (codec == nullptr) return fail(error, "no sound encoder");
    audio.codec.reset(avcodec_alloc_context3(codec));
    if (!audio.codec) return fail(error, "no sound encoder context");
    audio.codec->sample_fmt = AV_SAMPLE_FMT_S16;
    audio.codec->sample_rate = spec.sampleRate;
    av_channel_layout_default(&audio.codec->ch_layout, spec.channels);
    audio.codec->time_base = AVRational{1, spec.sampleRate};
    if (!openTrack(output.get(), codec, audio, error)) return false;
  }

  if (!(output->oformat->flags & AVFMT_NOFILE)) {
    result = avio_open(&output->pb, path.c_str(), AVIO_FLAG_WRITE);
    if (result < 0) return fail(error, "creating " + path, result);
  }
  result = avformat_write_header(output.get(), nullptr);
  if (result < 0) return fail(error, "writing the header", result);
  if (picture && !writePictures(output.get(), video, spec, error)) return false;
  if (sound && !writeSound(output.get(), audio, spec, error)) return false;
  result = av_write_trailer(output.get());
  return result >= 0 || fail(error, "writing the trailer", result);
}

}  // namespace video::writer
