#pragma once

// The audio thread's view of a source, and what a new kind of source implements: frames in play order (loops
// already unrolled), each with the source position it came from. Every call is made by the audio thread and
// returns without waiting (no locks, no I/O), except that an offline stream cursor waits for its decoder so
// offline renders are deterministic.

#include <cstddef>
#include <cstdint>

namespace audio::mixer {

class SourceCursor {
 public:
  virtual ~SourceCursor() = default;

  // Copies up to `maxFrames` interleaved frames; `positions` receives the source frame of each. Returns 0 when
  // nothing is available now (see `ended`).
  virtual std::size_t pull(float* out, std::int64_t* positions, std::size_t maxFrames) = 0;
  // True when the sound is over (no loop): no frame will ever follow.
  virtual bool ended() const = 0;
  // The frame the next `pull` starts with.
  virtual std::int64_t nextPosition() const = 0;
  virtual void seek(std::int64_t frame) = 0;
  // `end` < 0: the end of the sound.
  virtual void setLoop(bool looping, std::int64_t start, std::int64_t end) = 0;
};

}  // namespace audio::mixer
