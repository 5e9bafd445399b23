#include "audio/mixer/private/Decoder.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <vector>

#include "platform/codecs/FfmpegHandles.h"

namespace audio::mixer {
namespace {

using codecs::av;

constexpr int kIoBufferBytes = 32 * 1024;
constexpr unsigned kMaxSampleRate = 768000;
// A stream that keeps failing packet after packet is garbage, not a damaged spot worth waiting out.
constexpr int kMaxConsecutiveErrors = 64;

struct MemoryReader {
  const std::vector<std::uint8_t>* bytes = nullptr;
  std::int64_t position = 0;
};

int readMemory(void* opaque, std::uint8_t* buffer, int size) {
  auto* reader = static_cast<MemoryReader*>(opaque);
  const auto total = static_cast<std::int64_t>(reader->bytes->size());
  const std::int64_t remaining = total - reader->position;
  if (remaining <= 0 || size <= 0) return AVERROR_EOF;
  const auto count = static_cast<int>(std::min<std::int64_t>(size, remaining));
  std::memcpy(buffer, reader->bytes->data() + reader->position, static_cast<std::size_t>(count));
  reader->position += count;
  return count;
}

std::int64_t seekMemory(void* opaque, std::int64_t offset, int whence) {
  auto* reader = static_cast<MemoryReader*>(opaque);
  const auto total = static_cast<std::int64_t>(reader->bytes->size());
  if (whence & AVSEEK_SIZE) return total;
  std::int64_t base = 0;
  switch (whence & ~AVSEEK_FORCE) {
    case SEEK_SET: base = 0; break;
    case SEEK_CUR: base = reader->position; break;
    case SEEK_END: base = total; break;
    default: return AVERROR(EINVAL);
  }
  if (offset > total || offset < -total) return AVERROR(EINVAL);
  const std::int64_t target = base + offset;
  if (target < 0 || target > total) return AVERROR(EINVAL);
  reader->position = target;
  return target;
}

std::string errorText(int code) {
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  av().av_strerror(code, text, sizeof text);
  return text;
}

// A whole non-negative decimal number, as the loop tags are written; anything else is ignored.
std::int64_t parseTag(const AVDictionary* metadata, const char* key) {
  const AVDictionaryEntry* entry = av().av_dict_get(metadata, key, nullptr, 0);
  if (!entry || !entry->value) return -1;
  const char* begin = entry->value;
  const char* end = begin + std::strlen(begin);
  while (begin < end && *begin == ' ') ++begin;
  std::int64_t value = -1;
  auto [rest, code] = std::from_chars(begin, end, value);
  if (code != std::errc() || value < 0) return -1;
  while (rest < end && (*rest == ' ' || *rest == '\r' || *rest == '\n')) ++rest;
  return rest == end ? value : -1;
}

}  // namespace

struct Decoder::State {
  MemoryReader memory;
  // Declared in the order they are made, so they go in reverse: the format context before the reader under it.
  codecs::IoHandle io;
  codecs::FormatHandle format;
  codecs::CodecHandle codec;
  codecs::ResampleHandle resampler;
  AVChannelLayout resamplerInput{};
  int resamplerInputFormat = -1;
  codecs::PacketHandle packet;
  codecs::FrameHandle frame;
  int streamIndex = -1;
  bool exactTimestamps = false;
  bool inputEnded = false;
  bool drained = false;
  std::int64_t lastFramePts = AV_NOPTS_VALUE;
  std::vector<float> pending;
  std::size_t pendingOffset = 0;

  State() = default;
  State(const State&) = delete;
  State& operator=(const State&) = delete;
  ~State() { av().av_channel_layout_uninit(&resamplerInput); }
};

Decoder::~Decoder() = default;

std::unique_ptr<Decoder> Decoder::open(const SoundData& data, std::string* error) {
  std::unique_ptr<Decoder> decoder(new Decoder);
  decoder->m_data = data;
  if (!decoder->start(error)) return nullptr;
  return decoder;
}

bool Decoder::start(std::string* error) {
  auto fail = [&](std::string why) {
    if (error) *error = (m_data.name.empty() ? std::string("sound") : m_data.name) + ": " + why;
    m_state.reset();
    return false;
  };
  m_state = std::make_unique<State>();
  m_position = 0;
  State& s = *m_state;
  std::string missing;
  if (!codecs::ffmpeg(&missing)) return fail("cannot load the decoders (" + missing + ")");
  s.format.reset(av().avformat_alloc_context());
  if (!s.format) return fail("out of memory");
  if (m_data.inMemory()) {
    s.memory.bytes = m_data.bytes.get();
    auto* buffer = static_cast<unsigned char*>(av().av_malloc(kIoBufferBytes));
    if (!buffer) return fail("out of memory");
    s.io.reset(av().avio_alloc_context(buffer, kIoBufferBytes, 0, &s.memory, readMemory, nullptr, seekMemory));
    if (!s.io) {
      av().av_free(buffer);
      return fail("out of memory");
    }
    s.format->pb = s.io.get();
    s.format->flags |= AVFMT_FLAG_CUSTOM_IO;
  }
  // On failure avformat_open_input frees the context itself.
  AVFormatContext* opened = s.format.release();
  int code = av().avformat_open_input(&opened, m_data.inMemory() ? nullptr : m_data.path.c_str(), nullptr, nullptr);
  s.format.reset(opened);
  if (code < 0) return fail("cannot open (" + errorText(code) + ")");
  code = av().avformat_find_stream_info(s.format.get(), nullptr);
  if (code < 0) return fail("cannot read the stream (" + errorText(code) + ")");
  const AVCodec* codecInfo = nullptr;
  s.streamIndex = av().av_find_best_stream(s.format.get(), AVMEDIA_TYPE_AUDIO, -1, -1, &codecInfo, 0);
  if (s.streamIndex < 0 || !codecInfo) return fail("no audio stream");
  const AVStream* stream = s.format->streams[s.streamIndex];
  s.codec.reset(av().avcodec_alloc_context3(codecInfo));
  if (!s.codec) return fail("out of memory");
  if (av().avcodec_parameters_to_context(s.codec.get(), stream->codecpar) < 0) return fail("bad codec parameters");
  code = av().avcodec_open2(s.codec.get(), codecInfo, nullptr);
  if (code < 0) return fail("cannot open the decoder (" + errorText(code) + ")");
  const int channels = s.codec->ch_layout.nb_channels;
  if (s.codec->sample_rate <= 0 || static_cast<unsigned>(s.codec->sample_rate) > kMaxSampleRate || channels <= 0)
    return fail("unsupported sample rate or channel count");
  s.packet.reset(av().av_packet_alloc());
  s.frame.reset(av().av_frame_alloc());
  if (!s.packet || !s.frame) return fail("out of memory");
  s.exactTimestamps = s.codec->codec_id >= AV_CODEC_ID_PCM_S16LE && s.codec->codec_id < AV_CODEC_ID_ADPCM_IMA_QT;

  m_format.sampleRate = static_cast<unsigned>(s.codec->sample_rate);
  m_format.channels = channels == 1 ? 1 : 2;
  std::int64_t loopStart = parseTag(stream->metadata, "LOOPSTART");
  std::int64_t loopLength = parseTag(stream->metadata, "LOOPLENGTH");
  if (loopStart < 0) {
    // Some containers (ID3 in MP3, RIFF INFO) keep tags at file level only.
    loopStart = parseTag(s.format->metadata, "LOOPSTART");
    loopLength = parseTag(s.format->metadata, "LOOPLENGTH");
  }
  m_format.loopStart = loopStart < 0 ? 0 : loopStart;
  m_format.loopEnd = loopStart >= 0 && loopLength > 0 ? loopStart + loopLength : -1;
  return true;
}

bool Decoder::decodeMore() {
  State& s = *m_state;
  int errors = 0;
  while (!s.drained) {
    int code = av().avcodec_receive_frame(s.codec.get(), s.frame.get());
    if (code == 0) {
      errors = 0;
      const AVFrame* f = s.frame.get();
      if (s.resamplerInputFormat != f->format ||
          av().av_channel_layout_compare(&s.resamplerInput, &f->ch_layout) != 0 || !s.resampler) {
        s.resampler.reset();
        av().av_channel_layout_uninit(&s.resamplerInput);
        AVChannelLayout input{};
        if (f->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC || av().av_channel_layout_check(&f->ch_layout) == 0)
          av().av_channel_layout_default(&input, std::max(1, f->ch_layout.nb_channels));
        else
          av().av_channel_layout_copy(&input, &f->ch_layout);
        AVChannelLayout output{};
        av().av_channel_layout_default(&output, static_cast<int>(m_format.channels));
        const int rate = static_cast<int>(m_format.sampleRate);
        SwrContext* made = nullptr;
        code = av().swr_alloc_set_opts2(&made, &output, AV_SAMPLE_FMT_FLT, rate, &input,
                                   static_cast<AVSampleFormat>(f->format), rate, 0, nullptr);
        s.resampler.reset(made);
        av().av_channel_layout_uninit(&output);
        if (code < 0 || av().swr_init(s.resampler.get()) < 0) {
          av().av_channel_layout_uninit(&input);
          s.resampler.reset();
          s.drained = true;
          return false;
        }
        s.resamplerInput = input;
        s.resamplerInputFormat = f->format;
      }
      const int capacity = av().swr_get_out_samples(s.resampler.get(), f->nb_samples);
      if (capacity > 0) {
        if (s.pendingOffset == s.pending.size()) {
          s.pending.clear();
          s.pendingOffset = 0;
        }
        const std::size_t old = s.pending.size();
        s.pending.resize(old + static_cast<std::size_t>(capacity) * m_format.channels);
        auto* out = reinterpret_cast<std::uint8_t*>(s.pending.data() + old);
        const int converted =
            av().swr_convert(s.resampler.get(), &out, capacity, const_cast<const std::uint8_t**>(f->extended_data),
                             f->nb_samples);
        s.pending.resize(old + static_cast<std::size_t>(std::max(converted, 0)) * m_format.channels);
      }
      s.lastFramePts = f->pts;
      av().av_frame_unref(s.frame.get());
      if (s.pending.size() > s.pendingOffset) return true;
      continue;
    }
    if (code == AVERROR_EOF) {
      s.drained = true;
      break;
    }
    if (code != AVERROR(EAGAIN)) {
      if (++errors > kMaxConsecutiveErrors) {
        s.drained = true;
        break;
      }
    }
    if (s.inputEnded) {
      // The flush packet was sent already; a decoder that still wants input has nothing more to give.
      if (code == AVERROR(EAGAIN)) s.drained = true;
      continue;
    }
    code = av().av_read_frame(s.format.get(), s.packet.get());
    if (code < 0) {
      s.inputEnded = true;
      av().avcodec_send_packet(s.codec.get(), nullptr);
      continue;
    }
    if (s.packet->stream_index == s.streamIndex) {
      if (av().avcodec_send_packet(s.codec.get(), s.packet.get()) < 0 && ++errors > kMaxConsecutiveErrors) s.drained = true;
    }
    av().av_packet_unref(s.packet.get());
  }
  return false;
}

std::size_t Decoder::read(float* out, std::size_t maxFrames) {
  if (!m_state) return 0;
  State& s = *m_state;
  const unsigned channels = m_format.channels;
  std::size_t done = 0;
  while (done < maxFrames) {
    const std::size_t available = (s.pending.size() - s.pendingOffset) / channels;
    if (available == 0) {
      if (!decodeMore()) break;
      continue;
    }
    const std::size_t count = std::min(available, maxFrames - done);
    std::memcpy(out + done * channels, s.pending.data() + s.pendingOffset, count * channels * sizeof(float));
    s.pendingOffset += count * channels;
    done += count;
  }
  m_position += static_cast<std::int64_t>(done);
  return done;
}

bool Decoder::atEnd() const {
  return !m_state || (m_state->drained && m_state->pendingOffset == m_state->pending.size());
}

bool Decoder::skip(std::int64_t frames) {
  State& s = *m_state;
  const unsigned channels = m_format.channels;
  while (frames > 0) {
    if (m_cancel && m_cancel->load(std::memory_order_relaxed)) return false;
    const auto available = static_cast<std::int64_t>((s.pending.size() - s.pendingOffset) / channels);
    if (available == 0) {
      if (!decodeMore()) return false;
      continue;
    }
    const std::int64_t count = std::min(available, frames);
    s.pendingOffset += static_cast<std::size_t>(count) * channels;
    m_position += count;
    frames -= count;
  }
  return true;
}

bool Decoder::seek(std::int64_t frame) {
  if (!m_state) return false;
  frame = std::max<std::int64_t>(frame, 0);
  if (frame >= m_position) return skip(frame - m_position);
  State& s = *m_state;
  if (s.exactTimestamps) {
    // Uncompressed data seeks by byte offset and reports exact sample timestamps.
    const AVStream* stream = s.format->streams[s.streamIndex];
    const std::int64_t startTime = stream->start_time == AV_NOPTS_VALUE ? 0 : stream->start_time;
    const AVRational perSample{1, static_cast<int>(m_format.sampleRate)};
    const std::int64_t timestamp = av().av_rescale_q(frame, perSample, stream->time_base) + startTime;
    if (av().av_seek_frame(s.format.get(), s.streamIndex, timestamp, AVSEEK_FLAG_BACKWARD) >= 0) {
      av().avcodec_flush_buffers(s.codec.get());
      s.pending.clear();
      s.pendingOffset = 0;
      s.inputEnded = false;
      s.drained = false;
      s.lastFramePts = AV_NOPTS_VALUE;
      if (decodeMore() && s.lastFramePts != AV_NOPTS_VALUE) {
        const std::int64_t at = av().av_rescale_q(s.lastFramePts - startTime, stream->time_base, perSample);
        if (at >= 0 && at <= frame) {
          m_position = at;
          return skip(frame - at);
        }
      }
    }
  }
  // Compressed streams: timestamps after a seek are estimates, so count decoded frames from the start.
  std::string ignored;
  if (!start(&ignored)) return false;
  return skip(frame);
}

}  // namespace audio::mixer
