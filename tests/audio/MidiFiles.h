#pragma once

// Standard MIDI Files written by the tests, event by event.

#include <cstdint>
#include <initializer_list>
#include <vector>

namespace audio::test {

class MidiTrackWriter {
 public:
  // An event `deltaTicks` after the previous one, with its raw bytes (status included unless running).
  MidiTrackWriter& event(std::uint32_t deltaTicks, std::initializer_list<std::uint8_t> bytes);
  MidiTrackWriter& raw(std::uint32_t deltaTicks, const std::vector<std::uint8_t>& bytes);
  // Meta event with a length written as a variable-length quantity.
  MidiTrackWriter& meta(std::uint32_t deltaTicks, std::uint8_t type, const std::vector<std::uint8_t>& data);
  MidiTrackWriter& tempo(std::uint32_t deltaTicks, std::uint32_t microsecondsPerQuarter);
  MidiTrackWriter& end(std::uint32_t deltaTicks = 0);
  const std::vector<std::uint8_t>& bytes() const { return m_bytes; }

 private:
  std::vector<std::uint8_t> m_bytes;
};

void appendVarLen(std::vector<std::uint8_t>& out, std::uint32_t value);
std::vector<std::uint8_t> makeMidi(const std::vector<MidiTrackWriter>& tracks, std::uint16_t division = 480);

}  // namespace audio::test
