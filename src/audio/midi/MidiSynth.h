#pragma once

// The synthesiser behind MIDI playback: FluidSynth with a SoundFont and no audio driver of its own; the
// mixer pulls its output like any other voice.

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace audio::midi {

// $QUILLON_SOUNDFONT when it names a SoundFont, else Debian's TimGM6mb; nullopt when neither is one.
std::optional<std::string> findSoundFont();

class MidiSynth {
 public:
  // Null (with `error`) without a usable SoundFont. `gain` is FluidSynth's master gain.
  static std::unique_ptr<MidiSynth> create(unsigned sampleRate, std::string* error = nullptr,
                                           std::optional<std::string> soundFont = std::nullopt, float gain = 0.5f);
  ~MidiSynth();
  MidiSynth(const MidiSynth&) = delete;
  MidiSynth& operator=(const MidiSynth&) = delete;

  unsigned sampleRate() const { return m_sampleRate; }
  // A channel message: status | data1 << 8 | data2 << 16. Not thread-safe: the thread that renders sends.
  void send(std::uint32_t message);
  // Interleaved stereo frames, overwriting `out`.
  void render(float* out, std::size_t frames);
  // Every sound off at once and controllers back to their defaults.
  void reset();
  // One voice at a time may drive the synthesiser: FluidSynth runs without its own lock. False when taken.
  [[nodiscard]] bool acquire() { return !m_inUse.exchange(true); }
  void release() { m_inUse.store(false); }

 private:
  struct State;
  MidiSynth() = default;
  std::unique_ptr<State> m_state;
  unsigned m_sampleRate = 44100;
  std::atomic<bool> m_inUse = false;
};

}  // namespace audio::midi
