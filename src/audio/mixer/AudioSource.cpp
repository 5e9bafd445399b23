#include "audio/mixer/AudioSource.h"

#include <algorithm>

#include "audio/mixer/private/Decoder.h"
#include "audio/mixer/private/MemoryCursor.h"
#include "audio/mixer/private/StreamCursor.h"

namespace audio::mixer {
namespace {

// A whole-file decode is for short sounds; a tiny file that claims hours of audio (or never ends) is refused
// rather than allowed to fill memory.
constexpr std::int64_t kMaxDecodedFrames = 48000LL * 60 * 20;
constexpr std::size_t kDecodeChunkFrames = 8192;

}  // namespace

AudioSource::~AudioSource() = default;

std::shared_ptr<MemorySource> MemorySource::load(const SoundData& data, std::string* error) {
  std::unique_ptr<Decoder> decoder = Decoder::open(data, error);
  if (!decoder) return nullptr;
  std::shared_ptr<MemorySource> source(new MemorySource);
  const SoundFormat& format = decoder->format();
  source->m_sampleRate = format.sampleRate;
  source->m_channels = format.channels;
  std::vector<float>& samples = source->m_samples;
  std::int64_t frames = 0;
  for (;;) {
    if (frames >= kMaxDecodedFrames) {
      if (error) *error = data.name + ": too long to decode into memory";
      return nullptr;
    }
    samples.resize(static_cast<std::size_t>(frames + kDecodeChunkFrames) * format.channels);
    const std::size_t got = decoder->read(samples.data() + frames * format.channels, kDecodeChunkFrames);
    frames += static_cast<std::int64_t>(got);
    if (got < kDecodeChunkFrames) break;
  }
  samples.resize(static_cast<std::size_t>(frames) * format.channels);
  samples.shrink_to_fit();
  if (frames == 0) {
    if (error) *error = data.name + ": no audio data";
    return nullptr;
  }
  source->setLoopRange(format.loopStart, format.loopEnd);
  return source;
}

std::shared_ptr<MemorySource> MemorySource::fromSamples(std::vector<float> samples, unsigned channels,
                                                        unsigned sampleRate) {
  std::shared_ptr<MemorySource> source(new MemorySource);
  source->m_channels = channels == 1 ? 1 : 2;
  source->m_sampleRate = sampleRate == 0 ? 44100 : sampleRate;
  samples.resize(samples.size() - samples.size() % source->m_channels);
  source->m_samples = std::move(samples);
  return source;
}

std::int64_t MemorySource::lengthFrames() const { return static_cast<std::int64_t>(m_samples.size() / m_channels); }

void MemorySource::setLoopRange(std::int64_t startFrames, std::int64_t endFrames) {
  const std::int64_t length = lengthFrames();
  // Tags pointing outside the sound are ignored rather than trusted.
  m_loopStart = startFrames >= 0 && startFrames < length ? startFrames : 0;
  m_loopEnd = endFrames > m_loopStart && endFrames <= length ? endFrames : -1;
}

std::unique_ptr<SourceCursor> MemorySource::createCursor(bool) const {
  return std::make_unique<MemoryCursor>(m_samples, m_channels);
}

std::shared_ptr<StreamSource> StreamSource::open(SoundData data, std::string* error) {
  std::unique_ptr<Decoder> decoder = Decoder::open(data, error);
  if (!decoder) return nullptr;
  std::shared_ptr<StreamSource> source(new StreamSource);
  const SoundFormat& format = decoder->format();
  source->m_sampleRate = format.sampleRate;
  source->m_channels = format.channels;
  source->m_loopStart = format.loopStart;
  source->m_loopEnd = format.loopEnd > format.loopStart ? format.loopEnd : -1;
  source->m_data = std::move(data);
  return source;
}

std::unique_ptr<SourceCursor> StreamSource::createCursor(bool offline) const {
  return std::make_unique<StreamCursor>(m_data, m_channels, offline);
}

}  // namespace audio::mixer
