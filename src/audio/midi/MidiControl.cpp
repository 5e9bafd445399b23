#include "audio/midi/MidiControl.h"

#include <algorithm>
#include <cmath>

namespace audio::midi {
namespace {

std::uint8_t clampData(double value) { return static_cast<std::uint8_t>(std::clamp(std::trunc(value), 0.0, 127.0)); }

}  // namespace

std::uint8_t volumeControllerValue(int volume) { return clampData(volume * 127.0 / 100.0); }

std::uint8_t coarseTuningValue(int pitch) { return clampData((pitch - 100) / 50.0 * 7.0 + 64.0); }

std::uint8_t panControllerValue(int pan) { return clampData((pan + 100) / 200.0 * 127.0); }

std::uint32_t controlChange(unsigned channel, unsigned controller, unsigned value) {
  return (0xB0u | (channel & 0x0f)) | (controller & 0x7f) << 8 | (value & 0x7f) << 16;
}

std::vector<std::uint32_t> playerControlMessages(int volume, int pitch, int pan) {
  std::vector<std::uint32_t> messages;
  messages.reserve(16 * 8);
  for (unsigned channel = 0; channel < 16; ++channel) {
    messages.push_back(controlChange(channel, 7, volumeControllerValue(volume)));
    messages.push_back(controlChange(channel, 100, 2));
    messages.push_back(controlChange(channel, 101, 0));
    messages.push_back(controlChange(channel, 6, coarseTuningValue(pitch)));
    messages.push_back(controlChange(channel, 38, 0));
    messages.push_back(controlChange(channel, 100, 127));
    messages.push_back(controlChange(channel, 101, 127));
    messages.push_back(controlChange(channel, 10, panControllerValue(pan)));
  }
  return messages;
}

}  // namespace audio::midi
