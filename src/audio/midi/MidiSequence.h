#pragma once

// A Standard MIDI File as one merged event stream: tracks are merged by absolute time (ties go to the lower
// track), running status is honoured, control change 111 on status 0xB0 marks the loop point, and a looping
// sequence rewinds at the end and consumes everything before the loop point silently. Every read is bounded
// by the file; a damaged track simply ends where it stops making sense.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace audio::midi {

struct MidiEvent {
  enum class Kind { Short, Tempo };
  Kind kind = Kind::Short;
  // Ticks since the previous event returned (after a rewind: since the loop point).
  std::uint32_t deltaTicks = 0;
  // Absolute tick within the pass.
  std::uint32_t tick = 0;
  // Short: status | data1 << 8 | data2 << 16. Tempo: microseconds per quarter note.
  std::uint32_t data = 0;

  std::uint8_t status() const { return static_cast<std::uint8_t>(data & 0xff); }
  std::uint8_t data1() const { return static_cast<std::uint8_t>((data >> 8) & 0xff); }
  std::uint8_t data2() const { return static_cast<std::uint8_t>((data >> 16) & 0xff); }
};

class MidiSequence {
 public:
  // Null (with `error`) for data that is not a MIDI file with a usable time division.
  static std::unique_ptr<MidiSequence> open(std::shared_ptr<const std::vector<std::uint8_t>> bytes,
                                            std::string* error = nullptr);

  // Ticks per quarter note; for SMPTE divisions (high bit set) the raw header value.
  std::uint16_t division() const { return m_division; }
  std::size_t trackCount() const { return m_tracks.size(); }
  void setLooping(bool looping) { m_looping = looping; }
  bool looping() const { return m_looping; }
  std::uint32_t loopPoint() const { return m_loopPoint; }
  // True once `next` has returned its last event.
  bool ended() const { return m_ended; }

  // The next event to play; nullopt at the end: not looping, or looping but nothing plays after the rewind.
  std::optional<MidiEvent> next();
  // Back to the very start, loop point forgotten.
  void restart();

 private:
  struct Track {
    std::size_t start = 0;
    std::size_t end = 0;
    std::size_t position = 0;
    std::uint8_t runningStatus = 0;
    std::uint32_t time = 0;
    bool finished = false;
  };
  struct Peek {
    std::uint32_t time = 0;
    std::size_t eventStart = 0;
  };

  MidiSequence() = default;
  void rewindTracks();
  std::optional<Peek> peek(Track& track);
  // Reads the event at the track's position; true and `out` set when it is a channel message or tempo.
  bool consume(Track& track, const Peek& peek, MidiEvent& out);
  bool readVarLen(const Track& track, std::size_t& position, std::uint32_t& value) const;

  std::shared_ptr<const std::vector<std::uint8_t>> m_bytes;
  std::uint16_t m_division = 0;
  std::vector<Track> m_tracks;
  bool m_looping = false;
  bool m_ended = false;
  std::uint32_t m_loopPoint = 0;
  std::uint32_t m_lastTick = 0;
  // After a rewind: events before the loop point are being consumed silently.
  bool m_afterRewind = false;
  bool m_wroteSinceRewind = false;
};

}  // namespace audio::midi
