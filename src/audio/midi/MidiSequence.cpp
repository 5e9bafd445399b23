#include "audio/midi/MidiSequence.h"

#include <cstring>
#include <limits>

namespace audio::midi {
namespace {

constexpr std::uint8_t kLoopController = 111;

std::uint32_t readBe32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) << 24 | static_cast<std::uint32_t>(p[1]) << 16 |
         static_cast<std::uint32_t>(p[2]) << 8 | p[3];
}
std::uint16_t readBe16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] << 8 | p[1]); }
std::uint32_t readLe32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[3]) << 24 | static_cast<std::uint32_t>(p[2]) << 16 |
         static_cast<std::uint32_t>(p[1]) << 8 | p[0];
}

// Data bytes that follow a system common or real-time status byte.
std::size_t systemDataBytes(std::uint8_t status) {
  switch (status) {
    case 0xF1: case 0xF3: return 1;
    case 0xF2: return 2;
    default: return 0;
  }
}

}  // namespace

std::unique_ptr<MidiSequence> MidiSequence::open(std::shared_ptr<const std::vector<std::uint8_t>> bytes,
                                                 std::string* error) {
  auto fail = [&](const char* why) {
    if (error) *error = why;
    return nullptr;
  };
  if (!bytes) return fail("no data");
  const std::vector<std::uint8_t>& data = *bytes;
  std::size_t begin = 0;
  std::size_t size = data.size();
  // RIFF-wrapped files ("RMID") carry the standard file in their "data" chunk.
  if (size >= 12 && std::memcmp(data.data(), "RIFF", 4) == 0 && std::memcmp(data.data() + 8, "RMID", 4) == 0) {
    std::size_t position = 12;
    bool found = false;
    while (position + 8 <= size) {
      const std::uint32_t length = readLe32(data.data() + position + 4);
      if (std::memcmp(data.data() + position, "data", 4) == 0) {
        begin = position + 8;
        size = begin + std::min<std::size_t>(length, size - begin);
        found = true;
        break;
      }
      if (length > size - position - 8) break;
      position += 8 + length + (length & 1);
    }
    if (!found) return fail("RIFF MIDI file without a data chunk");
  }
  if (size - begin < 14 || std::memcmp(data.data() + begin, "MThd", 4) != 0) return fail("not a MIDI file");
  const std::uint32_t headerLength = readBe32(data.data() + begin + 4);
  if (headerLength < 6) return fail("MIDI header too short");
  const std::uint16_t trackCount = readBe16(data.data() + begin + 10);
  std::unique_ptr<MidiSequence> sequence(new MidiSequence);
  sequence->m_division = readBe16(data.data() + begin + 12);
  if (sequence->m_division == 0) return fail("MIDI time division is 0");
  if (headerLength > size - begin - 8) return fail("MIDI header runs past the end");
  std::size_t position = begin + 8 + headerLength;
  while (sequence->m_tracks.size() < trackCount && position + 8 <= size) {
    const std::uint32_t length = readBe32(data.data() + position + 4);
    const std::size_t chunkStart = position + 8;
    const std::size_t chunkEnd = chunkStart + std::min<std::size_t>(length, size - chunkStart);
    // Chunks of other types are skipped, as the file format asks of readers.
    if (std::memcmp(data.data() + position, "MTrk", 4) == 0) {
      Track track;
      track.start = chunkStart;
      track.end = chunkEnd;
      sequence->m_tracks.push_back(track);
    }
    position = chunkEnd;
  }
  if (sequence->m_tracks.empty()) return fail("MIDI file without tracks");
  sequence->m_bytes = std::move(bytes);
  sequence->rewindTracks();
  return sequence;
}

void MidiSequence::rewindTracks() {
  for (Track& track : m_tracks) {
    track.position = track.start;
    track.runningStatus = 0;
    track.time = 0;
    track.finished = false;
  }
}

void MidiSequence::restart() {
  rewindTracks();
  m_ended = false;
  m_loopPoint = 0;
  m_lastTick = 0;
  m_afterRewind = false;
  m_wroteSinceRewind = false;
}

bool MidiSequence::readVarLen(const Track& track, std::size_t& position, std::uint32_t& value) const {
  const std::vector<std::uint8_t>& data = *m_bytes;
  value = 0;
  for (int i = 0; i < 4; ++i) {
    if (position >= track.end) return false;
    const std::uint8_t byte = data[position++];
    value = (value << 7) | (byte & 0x7f);
    if (!(byte & 0x80)) return true;
  }
  return false;
}

std::optional<MidiSequence::Peek> MidiSequence::peek(Track& track) {
  if (track.finished) return std::nullopt;
  const std::vector<std::uint8_t>& data = *m_bytes;
  std::size_t position = track.position;
  std::uint32_t delta = 0;
  const std::uint64_t limit = std::numeric_limits<std::uint32_t>::max();
  if (!readVarLen(track, position, delta) || position >= track.end || track.time + std::uint64_t{delta} > limit) {
    track.finished = true;
    return std::nullopt;
  }
  const std::uint8_t status = data[position];
  if (status == 0xFF && (position + 1 >= track.end || data[position + 1] == 0x2F)) {
    track.finished = true;
    return std::nullopt;
  }
  Peek result;
  result.time = track.time + delta;
  result.eventStart = position;
  if (status == 0xB0 && position + 1 < track.end && data[position + 1] == kLoopController) m_loopPoint = result.time;
  return result;
}

bool MidiSequence::consume(Track& track, const Peek& peek, MidiEvent& out) {
  const std::vector<std::uint8_t>& data = *m_bytes;
  track.time = peek.time;
  std::size_t position = peek.eventStart;
  const std::uint8_t first = data[position];
  auto skipTo = [&](std::size_t target) {
    if (target > track.end) {
      track.finished = true;
      return false;
    }
    track.position = target;
    return false;
  };
  if (first == 0xFF) {
    std::size_t p = position + 2;
    std::uint32_t length = 0;
    if (p > track.end || !readVarLen(track, p, length) || length > track.end - p) return skipTo(track.end + 1);
    if (data[position + 1] == 0x51 && length >= 3) {
      const std::uint32_t tempo = static_cast<std::uint32_t>(data[p]) << 16 | static_cast<std::uint32_t>(data[p + 1]) << 8 | data[p + 2];
      track.position = p + length;
      // A tempo of 0 would stop time; such an event is ignored.
      if (tempo == 0) return false;
      out.kind = MidiEvent::Kind::Tempo;
      out.data = tempo;
      return true;
    }
    return skipTo(p + length);
  }
  if (first == 0xF0 || first == 0xF7) {
    std::size_t p = position + 1;
    std::uint32_t length = 0;
    if (!readVarLen(track, p, length) || length > track.end - p) return skipTo(track.end + 1);
    return skipTo(p + length);
  }
  if (first > 0xF0) return skipTo(position + 1 + systemDataBytes(first));
  std::uint8_t status = first;
  if (first < 0x80) {
    if (track.runningStatus < 0x80) return skipTo(track.end + 1);
    status = track.runningStatus;
  } else {
    track.runningStatus = first;
    ++position;
  }
  const std::size_t count = (status & 0xF0) == 0xC0 || (status & 0xF0) == 0xD0 ? 1 : 2;
  if (position + count > track.end) return skipTo(track.end + 1);
  const std::uint32_t data1 = data[position] & 0x7f;
  const std::uint32_t data2 = count == 2 ? data[position + 1] & 0x7f : 0;
  track.position = position + count;
  out.kind = MidiEvent::Kind::Short;
  out.data = status | data1 << 8 | data2 << 16;
  return true;
}

std::optional<MidiEvent> MidiSequence::next() {
  while (!m_ended) {
    Track* chosen = nullptr;
    Peek chosenPeek;
    for (Track& track : m_tracks) {
      const std::optional<Peek> candidate = peek(track);
      if (candidate && (!chosen || candidate->time < chosenPeek.time)) {
        chosen = &track;
        chosenPeek = *candidate;
      }
    }
    if (!chosen) {
      // A pass that played nothing, or no time at all, would repeat forever without a sound or a tick.
      const std::uint32_t passStart = m_afterRewind ? m_loopPoint : 0;
      if (m_looping && m_wroteSinceRewind && m_lastTick > passStart) {
        rewindTracks();
        m_afterRewind = true;
        m_wroteSinceRewind = false;
        m_lastTick = m_loopPoint;
        continue;
      }
      m_ended = true;
      break;
    }
    MidiEvent event;
    if (!consume(*chosen, chosenPeek, event)) continue;
    // After a rewind everything before the loop point is consumed silently; the first pass plays it all.
    if (m_afterRewind && chosenPeek.time < m_loopPoint) continue;
    event.tick = chosenPeek.time;
    event.deltaTicks = event.tick >= m_lastTick ? event.tick - m_lastTick : 0;
    m_lastTick = std::max(m_lastTick, event.tick);
    m_wroteSinceRewind = true;
    return event;
  }
  return std::nullopt;
}

}  // namespace audio::midi
