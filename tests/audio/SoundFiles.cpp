#include "tests/audio/SoundFiles.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include <unistd.h>

#include "audio/mixer/Fft.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
}

namespace audio::test {

std::vector<float> sine(double frequency, double amplitude, unsigned sampleRate, std::size_t frames,
                        unsigned channels) {
  std::vector<float> out(frames * channels);
  for (std::size_t i = 0; i < frames; ++i) {
    const auto value = static_cast<float>(amplitude * std::sin(2.0 * M_PI * frequency * static_cast<double>(i) / sampleRate));
    for (unsigned c = 0; c < channels; ++c) out[i * channels + c] = value;
  }
  return out;
}

std::vector<float> signature(std::size_t frames, unsigned channels) {
  std::vector<float> out(frames * channels);
  for (std::size_t i = 0; i < frames; ++i)
    for (unsigned c = 0; c < channels; ++c)
      out[i * channels + c] = static_cast<float>(0.3 * std::sin(static_cast<double>(i) * (0.0123 + 0.01 * c)) +
                                                 0.1 * std::sin(static_cast<double>(i) * 0.37));
  return out;
}

namespace {

void put16(std::vector<std::uint8_t>& out, unsigned value) {
  out.push_back(static_cast<std::uint8_t>(value & 0xff));
  out.push_back(static_cast<std::uint8_t>((value >> 8) & 0xff));
}
void put32(std::vector<std::uint8_t>& out, std::uint32_t value) {
  put16(out, value & 0xffff);
  put16(out, value >> 16);
}

}  // namespace

std::vector<std::uint8_t> makeWav(const std::vector<float>& samples, unsigned channels, unsigned sampleRate) {
  std::vector<std::uint8_t> out;
  const auto dataBytes = static_cast<std::uint32_t>(samples.size() * 2);
  out.insert(out.end(), {'R', 'I', 'F', 'F'});
  put32(out, 36 + dataBytes);
  out.insert(out.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
  put32(out, 16);
  put16(out, 1);
  put16(out, channels);
  put32(out, sampleRate);
  put32(out, sampleRate * channels * 2);
  put16(out, channels * 2);
  put16(out, 16);
  out.insert(out.end(), {'d', 'a', 't', 'a'});
  put32(out, dataBytes);
  for (float s : samples) {
    const long v = std::lround(std::clamp(s, -1.0f, 1.0f) * 32767.0f);
    put16(out, static_cast<unsigned>(v) & 0xffff);
  }
  return out;
}

bool encodeFile(const std::string& path, const std::string& container, const std::string& codecName,
                const std::vector<float>& samples, unsigned channels, unsigned sampleRate,
                const std::map<std::string, std::string>& tags) {
  const AVCodec* codec = avcodec_find_encoder_by_name(codecName.c_str());
  if (!codec) return false;
  AVFormatContext* format = nullptr;
  if (avformat_alloc_output_context2(&format, nullptr, container.c_str(), path.c_str()) < 0) return false;
  AVStream* stream = avformat_new_stream(format, nullptr);
  AVCodecContext* context = avcodec_alloc_context3(codec);
  context->sample_rate = static_cast<int>(sampleRate);
  av_channel_layout_default(&context->ch_layout, static_cast<int>(channels));
  context->sample_fmt = AV_SAMPLE_FMT_NONE;
  for (const AVSampleFormat* f = codec->sample_fmts; f && *f != AV_SAMPLE_FMT_NONE; ++f) {
    if (*f == AV_SAMPLE_FMT_S16 || *f == AV_SAMPLE_FMT_S16P || *f == AV_SAMPLE_FMT_FLT || *f == AV_SAMPLE_FMT_FLTP) {
      context->sample_fmt = *f;
      break;
    }
  }
  if (context->sample_fmt == AV_SAMPLE_FMT_NONE) {
    avcodec_free_context(&context);
    avformat_free_context(format);
    return false;
  }
  context->time_base = AVRational{1, static_cast<int>(sampleRate)};
  context->bit_rate = 128000;
  if (format->oformat->flags & AVFMT_GLOBALHEADER) context->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  bool ok = avcodec_open2(context, codec, nullptr) >= 0;
  ok = ok && avcodec_parameters_from_context(stream->codecpar, context) >= 0;
  stream->time_base = context->time_base;
  for (const auto& [key, value] : tags) {
    av_dict_set(&stream->metadata, key.c_str(), value.c_str(), 0);
    av_dict_set(&format->metadata, key.c_str(), value.c_str(), 0);
  }
  ok = ok && avio_open(&format->pb, path.c_str(), AVIO_FLAG_WRITE) >= 0;
  ok = ok && avformat_write_header(format, nullptr) >= 0;
  AVPacket* packet = av_packet_alloc();
  AVFrame* frame = av_frame_alloc();
  auto drain = [&] {
    while (avcodec_receive_packet(context, packet) == 0) {
      av_packet_rescale_ts(packet, context->time_base, stream->time_base);
      packet->stream_index = stream->index;
      av_interleaved_write_frame(format, packet);
    }
  };
  const std::size_t total = samples.size() / channels;
  const std::size_t chunk = context->frame_size > 0 ? static_cast<std::size_t>(context->frame_size) : 1024;
  for (std::size_t at = 0; ok && at < total; at += chunk) {
    const std::size_t count = std::min(chunk, total - at);
    frame->nb_samples = static_cast<int>(count);
    frame->format = context->sample_fmt;
    av_channel_layout_copy(&frame->ch_layout, &context->ch_layout);
    frame->sample_rate = context->sample_rate;
    ok = av_frame_get_buffer(frame, 0) >= 0;
    if (!ok) break;
    for (std::size_t i = 0; i < count; ++i) {
      for (unsigned c = 0; c < channels; ++c) {
        const float v = std::clamp(samples[(at + i) * channels + c], -1.0f, 1.0f);
        switch (context->sample_fmt) {
          case AV_SAMPLE_FMT_S16: reinterpret_cast<std::int16_t*>(frame->data[0])[i * channels + c] = static_cast<std::int16_t>(std::lround(v * 32767.0f)); break;
          case AV_SAMPLE_FMT_S16P: reinterpret_cast<std::int16_t*>(frame->data[c])[i] = static_cast<std::int16_t>(std::lround(v * 32767.0f)); break;
          case AV_SAMPLE_FMT_FLTP: reinterpret_cast<float*>(frame->data[c])[i] = v; break;
          case AV_SAMPLE_FMT_FLT: reinterpret_cast<float*>(frame->data[0])[i * channels + c] = v; break;
          default: ok = false;
        }
      }
    }
    frame->pts = static_cast<std::int64_t>(at);
    ok = ok && avcodec_send_frame(context, frame) >= 0;
    av_frame_unref(frame);
    drain();
  }
  if (ok) {
    avcodec_send_frame(context, nullptr);
    drain();
    av_write_trailer(format);
  }
  av_frame_free(&frame);
  av_packet_free(&packet);
  avcodec_free_context(&context);
  avio_closep(&format->pb);
  avformat_free_context(format);
  return ok;
}

std::vector<std::uint8_t> readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::string tempFolder() {
  static const std::string folder = [] {
    auto path = std::filesystem::temp_directory_path() / ("quillon-audio-" + std::to_string(::getpid()));
    std::filesystem::create_directories(path);
    return path.string();
  }();
  return folder;
}

Spectrum analyse(const std::vector<float>& mono, unsigned sampleRate, int guardBins) {
  std::size_t n = 1;
  while (n * 2 <= mono.size()) n *= 2;
  std::vector<float> data(2 * n);
  double sumSquares = 0.0;
  for (std::size_t i = 0; i < n; ++i) {
    // Blackman-Harris: side lobes far below the spurs we look for.
    const double x = 2.0 * M_PI * static_cast<double>(i) / static_cast<double>(n - 1);
    const double window = 0.35875 - 0.48829 * std::cos(x) + 0.14128 * std::cos(2 * x) - 0.01168 * std::cos(3 * x);
    data[2 * i] = static_cast<float>(mono[i] * window);
    sumSquares += static_cast<double>(mono[i]) * mono[i];
  }
  audio::mixer::Fft(n).forward(data.data());
  std::vector<double> power(n / 2);
  for (std::size_t k = 0; k < n / 2; ++k)
    power[k] = static_cast<double>(data[2 * k]) * data[2 * k] + static_cast<double>(data[2 * k + 1]) * data[2 * k + 1];
  const auto peak = static_cast<std::size_t>(std::max_element(power.begin(), power.end()) - power.begin());
  double spur = 0.0;
  for (std::size_t k = 1; k < n / 2; ++k)
    if (k + static_cast<std::size_t>(guardBins) < peak || k > peak + static_cast<std::size_t>(guardBins))
      spur = std::max(spur, power[k]);
  Spectrum result;
  result.peakHz = static_cast<double>(peak) * sampleRate / static_cast<double>(n);
  result.spurDb = 10.0 * std::log10(std::max(spur, 1e-30) / std::max(power[peak], 1e-30));
  result.rms = std::sqrt(sumSquares / static_cast<double>(n));
  return result;
}

}  // namespace audio::test
