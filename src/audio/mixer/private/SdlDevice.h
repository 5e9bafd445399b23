#pragma once

// The SDL2 output behind `Mixer`: float stereo, pulled by SDL's audio thread.

#include <memory>
#include <string>

namespace audio::mixer {

class Mixer;

class SdlDevice {
 public:
  // Opens the default device, else SDL's dummy driver; null only when even that fails. The device starts
  // paused: `start` once the mixer is ready to be called.
  static std::unique_ptr<SdlDevice> open(Mixer& mixer, unsigned preferredRate);
  ~SdlDevice();
  SdlDevice(const SdlDevice&) = delete;
  SdlDevice& operator=(const SdlDevice&) = delete;

  void start();
  unsigned sampleRate() const { return m_sampleRate; }
  const std::string& driverName() const { return m_driverName; }

 private:
  SdlDevice() = default;
  static void callback(void* userData, unsigned char* stream, int length);

  Mixer* m_mixer = nullptr;
  unsigned m_device = 0;
  unsigned m_sampleRate = 44100;
  std::string m_driverName;
  bool m_ownsSubsystem = false;
  bool m_ownsDummyDriver = false;
};

}  // namespace audio::mixer
