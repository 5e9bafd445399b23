#include "tests/audio/MidiFiles.h"

namespace audio::test {

void appendVarLen(std::vector<std::uint8_t>& out, std::uint32_t value) {
  std::uint8_t groups[5];
  int count = 0;
  do {
    groups[count++] = static_cast<std::uint8_t>(value & 0x7f);
    value >>= 7;
  } while (value);
  while (count > 1) out.push_back(groups[--count] | 0x80);
  out.push_back(groups[0]);
}

MidiTrackWriter& MidiTrackWriter::event(std::uint32_t deltaTicks, std::initializer_list<std::uint8_t> bytes) {
  return raw(deltaTicks, std::vector<std::uint8_t>(bytes));
}

MidiTrackWriter& MidiTrackWriter::raw(std::uint32_t deltaTicks, const std::vector<std::uint8_t>& bytes) {
  appendVarLen(m_bytes, deltaTicks);
  m_bytes.insert(m_bytes.end(), bytes.begin(), bytes.end());
  return *this;
}

MidiTrackWriter& MidiTrackWriter::meta(std::uint32_t deltaTicks, std::uint8_t type, const std::vector<std::uint8_t>& data) {
  appendVarLen(m_bytes, deltaTicks);
  m_bytes.push_back(0xFF);
  m_bytes.push_back(type);
  appendVarLen(m_bytes, static_cast<std::uint32_t>(data.size()));
  m_bytes.insert(m_bytes.end(), data.begin(), data.end());
  return *this;
}

MidiTrackWriter& MidiTrackWriter::tempo(std::uint32_t deltaTicks, std::uint32_t microsecondsPerQuarter) {
  return meta(deltaTicks, 0x51,
              {static_cast<std::uint8_t>(microsecondsPerQuarter >> 16), static_cast<std::uint8_t>(microsecondsPerQuarter >> 8),
               static_cast<std::uint8_t>(microsecondsPerQuarter)});
}

MidiTrackWriter& MidiTrackWriter::end(std::uint32_t deltaTicks) { return meta(deltaTicks, 0x2F, {}); }

std::vector<std::uint8_t> makeMidi(const std::vector<MidiTrackWriter>& tracks, std::uint16_t division) {
  std::vector<std::uint8_t> out = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1};
  out.push_back(static_cast<std::uint8_t>(tracks.size() >> 8));
  out.push_back(static_cast<std::uint8_t>(tracks.size()));
  out.push_back(static_cast<std::uint8_t>(division >> 8));
  out.push_back(static_cast<std::uint8_t>(division));
  for (const MidiTrackWriter& track : tracks) {
    const auto& bytes = track.bytes();
    out.insert(out.end(), {'M', 'T', 'r', 'k'});
    const auto size = static_cast<std::uint32_t>(bytes.size());
    out.push_back(static_cast<std::uint8_t>(size >> 24));
    out.push_back(static_cast<std::uint8_t>(size >> 16));
    out.push_back(static_cast<std::uint8_t>(size >> 8));
    out.push_back(static_cast<std::uint8_t>(size));
    out.insert(out.end(), bytes.begin(), bytes.end());
  }
  return out;
}

}  // namespace audio::test
