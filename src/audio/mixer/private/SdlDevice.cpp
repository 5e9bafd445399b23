#include "audio/mixer/private/SdlDevice.h"

// The one adapter over SDL's audio output, kept beside the mixer it feeds rather than under platform/: the mixer
// is the only thing that plays sound, and it opens the device with no window or event loop of SDL's.
#include <SDL.h>

#include <cstdio>

#include "audio/mixer/Mixer.h"

namespace audio::mixer {
namespace {

constexpr Uint16 kDeviceFrames = 1024;

}  // namespace

void SdlDevice::callback(void* userData, unsigned char* stream, int length) {
  auto* device = static_cast<SdlDevice*>(userData);
  const auto frames = static_cast<std::size_t>(length) / (sizeof(float) * Mixer::kChannels);
  device->m_mixer->mixInterleaved(reinterpret_cast<float*>(stream), frames);
}

std::unique_ptr<SdlDevice> SdlDevice::open(Mixer& mixer, unsigned preferredRate) {
  std::unique_ptr<SdlDevice> device(new SdlDevice);
  device->m_mixer = &mixer;
  auto tryOpen = [&] {
    SDL_AudioSpec wanted{};
    wanted.freq = static_cast<int>(preferredRate);
    wanted.format = AUDIO_F32SYS;
    wanted.channels = Mixer::kChannels;
    wanted.samples = kDeviceFrames;
    wanted.callback = &SdlDevice::callback;
    wanted.userdata = device.get();
    SDL_AudioSpec obtained{};
    const SDL_AudioDeviceID id = SDL_OpenAudioDevice(
        nullptr, 0, &wanted, &obtained, SDL_AUDIO_ALLOW_FREQUENCY_CHANGE | SDL_AUDIO_ALLOW_SAMPLES_CHANGE);
    if (id != 0) {
      device->m_device = id;
      device->m_sampleRate = static_cast<unsigned>(obtained.freq);
      const char* driver = SDL_GetCurrentAudioDriver();
      device->m_driverName = driver ? driver : "unknown";
    }
    return id != 0;
  };
  device->m_ownsSubsystem = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
  if (device->m_ownsSubsystem && tryOpen()) return device;
  std::fprintf(stderr, "[audio] no sound device (%s); playing silently\n", SDL_GetError());
  if (device->m_ownsSubsystem) {
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    device->m_ownsSubsystem = false;
  }
  if (SDL_AudioInit("dummy") != 0) return nullptr;
  device->m_ownsDummyDriver = true;
  if (tryOpen()) return device;
  return nullptr;
}

SdlDevice::~SdlDevice() {
  if (m_device != 0) SDL_CloseAudioDevice(m_device);
  if (m_ownsSubsystem) SDL_QuitSubSystem(SDL_INIT_AUDIO);
  if (m_ownsDummyDriver) SDL_AudioQuit();
}

void SdlDevice::start() { SDL_PauseAudioDevice(m_device, 0); }

}  // namespace audio::mixer
