#pragma once

// The one sound output: an SDL2 audio device (or SDL's dummy driver when no device opens, so a game runs
// silently rather than failing), or an offline target that tests render into a buffer. Every `SubMixer` adds
// its block to the device's stereo output. The audio thread takes no lock: engines, voices and filters are
// published through atomics, and a writer that removes one waits until no render still uses it.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace audio::mixer {

class SubMixer;
class SdlDevice;

class Mixer {
 public:
  static constexpr unsigned kBlockFrames = 512;
  static constexpr unsigned kChannels = 2;

  enum class Output { Device, Offline };

  // Device: opens the default device (falling back to the dummy driver); offline: renders only when asked.
  explicit Mixer(Output output, unsigned offlineSampleRate = 44100);
  // Every engine must be gone by now.
  ~Mixer();
  Mixer(const Mixer&) = delete;
  Mixer& operator=(const Mixer&) = delete;

  unsigned sampleRate() const { return m_sampleRate; }
  bool offline() const { return m_offline; }
  // "offline", or the SDL driver that plays ("dummy" when the fallback was taken).
  const std::string& driverName() const { return m_driverName; }

  // Offline only: `frames` interleaved stereo frames, clipped to [-1, 1]. Streaming voices wait for their
  // decoder here, so renders are deterministic.
  void render(float* interleaved, std::size_t frames);

  // From `SubMixer`.
  void attach(SubMixer* engine);
  void detach(SubMixer* engine);
  // Returns once no render that began before the call is still running.
  void synchronize() const;

 private:
  friend class SdlDevice;
  // Audio thread: fills `frames` interleaved stereo frames.
  void mixInterleaved(float* out, std::size_t frames);
  void renderBlock();

  bool m_offline = true;
  unsigned m_sampleRate = 44100;
  std::string m_driverName = "offline";
  std::unique_ptr<SdlDevice> m_device;

  std::mutex m_engineMutex;
  std::vector<std::unique_ptr<std::vector<SubMixer*>>> m_engineLists;
  std::atomic<const std::vector<SubMixer*>*> m_engines = nullptr;
  std::atomic<bool> m_rendering = false;
  std::atomic<std::uint64_t> m_renderCount = 0;

  // Audio thread only.
  std::vector<float> m_block;
  unsigned m_blockOffset = kBlockFrames;
};

}  // namespace audio::mixer
