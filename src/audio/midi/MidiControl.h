#pragma once

// The controller values that carry a MIDI player's volume, pitch and pan to the synthesiser, as pure
// functions. Values are kept within MIDI's 0 … 127 data range: the default script volume (160 internally)
// would otherwise ask for 203.

#include <cstdint>
#include <vector>

namespace audio::midi {

// Control change 7: trunc(volume × 127 / 100), clamped.
std::uint8_t volumeControllerValue(int volume);
// Coarse tuning (registered parameter 2) data entry: trunc((pitch − 100) / 50 × 7 + 64), clamped; each 50 of
// pitch is 7 semitones, 100 is the centre 64.
std::uint8_t coarseTuningValue(int pitch);
// Control change 10: trunc((pan + 100) / 200 × 127), clamped; −100 → 0, 0 → 63, 100 → 127.
std::uint8_t panControllerValue(int pan);

std::uint32_t controlChange(unsigned channel, unsigned controller, unsigned value);

// For each of the 16 channels: volume, then coarse tuning through registered parameter 2 (selected with
// controllers 100/101, set with data entry 6 and 38, then deselected with the null parameter 127/127), then pan.
std::vector<std::uint32_t> playerControlMessages(int volume, int pitch, int pan);

}  // namespace audio::midi
