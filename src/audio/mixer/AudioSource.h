#pragma once

// Sound sources a voice plays: `MemorySource` decodes the whole file once and plays from memory; `StreamSource`
// decodes while playing, ahead of the audio thread, on a reader thread of each voice.

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "audio/mixer/SoundData.h"

namespace audio::mixer {

class SourceCursor;

class AudioSource {
 public:
  virtual ~AudioSource();
  AudioSource(const AudioSource&) = delete;
  AudioSource& operator=(const AudioSource&) = delete;

  unsigned sampleRate() const { return m_sampleRate; }
  // 1 or 2: files with more channels are mixed down to stereo.
  unsigned channels() const { return m_channels; }
  // Volume a voice starts with when played without one of its own.
  float volume() const { return m_volume.load(std::memory_order_relaxed); }
  void setVolume(float volume) { m_volume.store(volume, std::memory_order_relaxed); }
  // Where a looping voice restarts, in source frames: the LOOPSTART tag, else 0.
  std::int64_t loopPointFrames() const { return m_loopStart; }
  // Where a looping voice wraps: LOOPSTART + LOOPLENGTH when both tags are present, else -1 (the end).
  std::int64_t loopEndFrames() const { return m_loopEnd; }
  // Exact length for decoded sources; -1 where it is known only after decoding to the end.
  virtual std::int64_t lengthFrames() const = 0;

  // Audio-thread reader over this source; made on the thread that starts the voice.
  virtual std::unique_ptr<SourceCursor> createCursor(bool offline) const = 0;

 protected:
  AudioSource() = default;
  unsigned m_sampleRate = 44100;
  unsigned m_channels = 2;
  std::int64_t m_loopStart = 0;
  std::int64_t m_loopEnd = -1;

 private:
  std::atomic<float> m_volume = 1.0f;
};

// The whole sound decoded to interleaved floats at its own rate.
class MemorySource final : public AudioSource {
 public:
  // Null (with `error`) when the data is not a sound FFmpeg can decode.
  static std::shared_ptr<MemorySource> load(const SoundData& data, std::string* error = nullptr);
  // A sound made in memory (tests, generated effects); `samples` interleaved, `channels` 1 or 2.
  static std::shared_ptr<MemorySource> fromSamples(std::vector<float> samples, unsigned channels, unsigned sampleRate);

  std::int64_t lengthFrames() const override;
  const std::vector<float>& samples() const { return m_samples; }
  std::unique_ptr<SourceCursor> createCursor(bool offline) const override;
  // Sets the loop range a voice picks up when it starts (negative end: the end of the sound).
  void setLoopRange(std::int64_t startFrames, std::int64_t endFrames);

 private:
  MemorySource() = default;
  std::vector<float> m_samples;
};

// Decoded while it plays; opening only checks the data and reads its format and tags.
class StreamSource final : public AudioSource {
 public:
  static std::shared_ptr<StreamSource> open(SoundData data, std::string* error = nullptr);

  std::int64_t lengthFrames() const override { return -1; }
  std::unique_ptr<SourceCursor> createCursor(bool offline) const override;
  const SoundData& data() const { return m_data; }

 private:
  StreamSource() = default;
  SoundData m_data;
};

}  // namespace audio::mixer
