#include "video/VideoReader.h"

#include <sys/stat.h>

#include <cstdio>
#include <vector>

#include "engine/FileLayer.h"
#include "platform/codecs/FfmpegHandles.h"

namespace video {

using codecs::av;
using codecs::CodecHandle;
using codecs::FormatHandle;
using codecs::FrameHandle;
using codecs::PacketHandle;
using codecs::ResampleHandle;
using codecs::ScaleHandle;

namespace {

// The stored frame rows start on this boundary so the converter can use its vector paths.
constexpr int kRowAlignment = 32;

bool fileExists(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

std::string ffmpegError(int code) {
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  av().av_strerror(code, text, sizeof(text));
  return text;
}

std::int64_t frameDurationOf(AVFormatContext* format, AVStream* stream) {
  const AVRational rate = av().av_guess_frame_rate(format, stream, nullptr);
  if (rate.num <= 0 || rate.den <= 0) return 0;
  return av().av_rescale(10'000'000, rate.den, rate.num);
}

// Opens `path` and reads its stream information; null (with `error`) when FFmpeg cannot.
FormatHandle openFormat(const std::string& path, std::string* error) {
  if (!codecs::ffmpeg(error)) return nullptr;
  AVFormatContext* raw = nullptr;
  int result = av().avformat_open_input(&raw, path.c_str(), nullptr, nullptr);
  if (result < 0) {
    *error = ffmpegError(result);
    return nullptr;
  }
  FormatHandle format(raw);
  result = av().avformat_find_stream_info(format.get(), nullptr);
  if (result < 0) {
    *error = ffmpegError(result);
    return nullptr;
  }
  return format;
}

CodecHandle openDecoder(const AVStream* stream, std::string* error) {
  const AVCodec* codec = av().avcodec_find_decoder(stream->codecpar->codec_id);
  if (codec == nullptr) {
    *error = "no decoder for this stream";
    return nullptr;
  }
  CodecHandle context(av().avcodec_alloc_context3(codec));
  if (!context || av().avcodec_parameters_to_context(context.get(), stream->codecpar) < 0) {
    *error = "cannot set up the decoder";
    return nullptr;
  }
  context->pkt_timebase = stream->time_base;
  const int result = av().avcodec_open2(context.get(), codec, nullptr);
  if (result < 0) {
    *error = ffmpegError(result);
    return nullptr;
  }
  return context;
}

// Pulls decoded frames of one stream: reads packets of that stream as the decoder asks for them, skips packets
// it refuses (a damaged packet costs a frame, not the movie) and drains the decoder at the end of the file.
class FrameSource {
 public:
  FrameSource(AVFormatContext* format, AVCodecContext* codec, int streamIndex)
      : m_format(format), m_codec(codec), m_streamIndex(streamIndex) {}

  bool next(AVFrame* frame) {
    for (;;) {
      const int received = av().avcodec_receive_frame(m_codec, frame);
      if (received == 0) return true;
      if (received != AVERROR(EAGAIN) || m_draining) return false;
      feed();
    }
  }

 private:
  void feed() {
    for (;;) {
      const int read = av().av_read_frame(m_format, m_packet.get());
      if (read < 0) {
        av().avcodec_send_packet(m_codec, nullptr);
        m_draining = true;
        return;
      }
      const bool ours = m_packet->stream_index == m_streamIndex;
      const int sent = ours ? av().avcodec_send_packet(m_codec, m_packet.get()) : -1;
      av().av_packet_unref(m_packet.get());
      if (sent == 0) return;
    }
  }

  AVFormatContext* m_format;
  AVCodecContext* m_codec;
  int m_streamIndex;
  PacketHandle m_packet{av().av_packet_alloc()};
  bool m_draining = false;
};

}  // namespace

struct VideoReader::Decoder {
  FormatHandle format;
  CodecHandle codec;
  FrameHandle frame{av().av_frame_alloc()};
  ScaleHandle scaler;
  std::unique_ptr<FrameSource> source;
  std::vector<std::uint8_t> rows;  // top-down, `stride` bytes apart
  int stride = 0;
};

std::string wavPathFor(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  const std::size_t dot = path.find_last_of('.');
  const bool hasExtension = dot != std::string::npos && (slash == std::string::npos || dot > slash);
  return (hasExtension ? path.substr(0, dot) : path) + ".wav";
}

// A game that cannot write its folder finds the sound track in its user data folder, where it was written.
VideoReader::VideoReader(std::string path)
    : m_path(std::move(path)), m_wavPath(engine::FileLayer::instance().pathForReading(wavPathFor(m_path))) {
  openVideo();
  if (m_ok) openAudio();
}

VideoReader::~VideoReader() = default;

void VideoReader::openVideo() {
  auto decoder = std::make_unique<Decoder>();
  decoder->format = openFormat(m_path, &m_error);
  if (!decoder->format) {
    m_ok = false;
    return;
  }
  AVFormatContext* format = decoder->format.get();
  const int index = av().av_find_best_stream(format, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
  const bool anyAudio = av().av_find_best_stream(format, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0) >= 0;
  if (index < 0) {
    // A sound-only file plays silently on the screen and ends at the first frame time.
    if (!anyAudio) {
      m_ok = false;
      m_error = "neither a picture nor a sound stream";
    }
    return;
  }
  AVStream* stream = format->streams[index];
  for (unsigned i = 0; i < format->nb_streams; ++i) {
    if (static_cast<int>(i) != index) format->streams[i]->discard = AVDISCARD_ALL;
  }
  decoder->codec = openDecoder(stream, &m_error);
  const AVCodecParameters* parameters = stream->codecpar;
  if (!decoder->codec || parameters->width <= 0 || parameters->height <= 0 || !decoder->frame) {
    if (m_error.empty()) m_error = "the picture stream has no size";
    m_ok = false;
    return;
  }
  m_width = parameters->width;
  m_height = parameters->height;
  m_frameDuration = frameDurationOf(format, stream);
  decoder->stride = (m_width * 3 + kRowAlignment - 1) / kRowAlignment * kRowAlignment;
  decoder->rows.resize(static_cast<std::size_t>(decoder->stride) * m_height + kRowAlignment);
  decoder->source = std::make_unique<FrameSource>(format, decoder->codec.get(), index);
  m_decoder = std::move(decoder);
  if (!nextFrame()) {
    m_ok = false;
    m_error = "no picture could be decoded";
    m_width = m_height = 0;
    m_decoder.reset();
    return;
  }
  m_firstFramePending = true;
}

bool VideoReader::nextFrame() {
  if (m_firstFramePending) {
    m_firstFramePending = false;
    return true;
  }
  if (!m_decoder) return false;
  Decoder& d = *m_decoder;
  AVFrame* frame = d.frame.get();
  for (;;) {
    av().av_frame_unref(frame);
    if (!d.source->next(frame)) return false;
    if (frame->width <= 0 || frame->height <= 0 || frame->format < 0) continue;
    // A stream that changes size mid-way is scaled to the size the bitmap was made with.
    d.scaler.reset(av().sws_getCachedContext(d.scaler.release(), frame->width, frame->height,
                                        static_cast<AVPixelFormat>(frame->format), m_width, m_height, AV_PIX_FMT_BGR24,
                                        SWS_BILINEAR, nullptr, nullptr, nullptr));
    if (!d.scaler) return false;
    std::uint8_t* destination[4] = {d.rows.data(), nullptr, nullptr, nullptr};
    const int strides[4] = {d.stride, 0, 0, 0};
    return av().sws_scale(d.scaler.get(), frame->data, frame->linesize, 0, frame->height, destination, strides) > 0;
  }
}

const std::uint8_t* VideoReader::frameRow(int i) const {
  if (!m_decoder || i < 0 || i >= m_height) return nullptr;
  return m_decoder->rows.data() + static_cast<std::size_t>(m_height - 1 - i) * m_decoder->stride;
}

void VideoReader::openAudio() {
  // A second demuxer reads the sound track from the start without disturbing the picture's position.
  std::string error;
  FormatHandle format = openFormat(m_path, &error);
  if (!format) return;
  const int index = av().av_find_best_stream(format.get(), AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
  if (index < 0) return;
  AVStream* stream = format->streams[index];
  const int channels = stream->codecpar->ch_layout.nb_channels;
  const int rate = stream->codecpar->sample_rate;
  if (channels <= 0 || channels > 0xFFFF / 2 || rate <= 0) return;
  m_audioFormat = pcm16Format(channels, rate);
  if (fileExists(m_wavPath)) {
    m_hasAudio = true;
    return;
  }
  for (unsigned i = 0; i < format->nb_streams; ++i) {
    if (static_cast<int>(i) != index) format->streams[i]->discard = AVDISCARD_ALL;
  }
  CodecHandle codec = openDecoder(stream, &error);
  FrameHandle frame(av().av_frame_alloc());
  if (!codec || !frame) {
    std::fprintf(stderr, "[video] %s: sound track not decodable: %s\n", m_path.c_str(), error.c_str());
    return;
  }
  m_wavPath = engine::FileLayer::instance().pathForWriting(wavPathFor(m_path));
  WaveWriter writer(m_wavPath, m_audioFormat);
  ResampleHandle resampler;
  AVChannelLayout layout{};
  std::vector<std::uint8_t> samples;
  FrameSource source(format.get(), codec.get(), index);
  bool failed = false;
  auto convert = [&](const AVFrame* input) {
    const int inputCount = input != nullptr ? input->nb_samples : 0;
    const int capacity = av().swr_get_out_samples(resampler.get(), inputCount);
    if (capacity <= 0) return;
    samples.resize(static_cast<std::size_t>(capacity) * m_audioFormat.blockAlign);
    std::uint8_t* out[1] = {samples.data()};
    const int produced =
        av().swr_convert(resampler.get(), out, capacity,
                    input != nullptr ? const_cast<const std::uint8_t**>(input->extended_data) : nullptr, inputCount);
    if (produced > 0) writer.append(samples.data(), static_cast<std::size_t>(produced) * m_audioFormat.blockAlign);
  };
  while (writer.good() && source.next(frame.get())) {
    if (!resampler) {
      // The decoder's own layout may only be known from its first frame; the file keeps the track's channel
      // count and rate, as 16-bit samples.
      failed = frame->ch_layout.nb_channels != channels || frame->sample_rate != rate;
      SwrContext* raw = nullptr;
      if (!failed) {
        av().av_channel_layout_copy(&layout, &frame->ch_layout);
        failed = av().swr_alloc_set_opts2(&raw, &layout, AV_SAMPLE_FMT_S16, rate, &frame->ch_layout,
                                     static_cast<AVSampleFormat>(frame->format), rate, 0, nullptr) < 0;
      }
      resampler.reset(raw);
      if (failed || av().swr_init(resampler.get()) < 0) {
        failed = true;
        break;
      }
    } else if (frame->ch_layout.nb_channels != channels || frame->sample_rate != rate) {
      continue;  // a mid-stream format change cannot go into the same file
    }
    convert(frame.get());
    av().av_frame_unref(frame.get());
  }
  if (resampler) convert(nullptr);
  av().av_channel_layout_uninit(&layout);
  if (failed) {
    std::fprintf(stderr, "[video] %s: sound track not convertible\n", m_path.c_str());
    return;
  }
  if (!writer.finish()) {
    std::fprintf(stderr, "[video] %s: cannot write the sound track to %s\n", m_path.c_str(), m_wavPath.c_str());
    return;
  }
  m_hasAudio = true;
  m_wroteWav = true;
}

}  // namespace video
