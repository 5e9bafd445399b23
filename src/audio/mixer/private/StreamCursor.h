#pragma once

// A streaming voice's cursor: a reader thread decodes into a ring of blocks ahead of the audio thread, which
// only copies out of the ring. Requests (seek, loop changes, stop) travel as atomics; a seek bumps a
// generation number, and blocks of an older generation are dropped unread.

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <thread>
#include <vector>

#include "audio/mixer/SoundData.h"
#include "audio/mixer/SourceCursor.h"

namespace audio::mixer {

class StreamCursor final : public SourceCursor {
 public:
  static constexpr unsigned kBlockFrames = 2048;
  static constexpr unsigned kBlocks = 16;

  // Starts the reader thread; `offline` makes `pull` wait for the decoder instead of reporting an underrun.
  StreamCursor(SoundData data, unsigned channels, bool offline);
  ~StreamCursor() override;

  std::size_t pull(float* out, std::int64_t* positions, std::size_t maxFrames) override;
  bool ended() const override { return m_ended; }
  std::int64_t nextPosition() const override { return m_nextPosition; }
  void seek(std::int64_t frame) override;
  void setLoop(bool looping, std::int64_t start, std::int64_t end) override;

 private:
  struct Block {
    std::vector<float> samples;
    std::int64_t start = 0;
    std::uint32_t frames = 0;
    std::uint32_t generation = 0;
    bool endOfStream = false;
  };

  void readerMain();
  void wake();
  // Drops blocks of old generations; the current one or null.
  Block* front();

  SoundData m_data;
  unsigned m_channels = 2;
  bool m_offline = false;
  std::array<Block, kBlocks> m_ring;
  std::atomic<std::uint64_t> m_written = 0;
  std::atomic<std::uint64_t> m_read = 0;
  std::atomic<std::uint32_t> m_generation = 0;
  std::atomic<std::int64_t> m_seekTarget = 0;
  std::atomic<bool> m_looping = false;
  std::atomic<std::int64_t> m_loopStart = 0;
  std::atomic<std::int64_t> m_loopEnd = -1;
  std::atomic<bool> m_stop = false;
  // Bumped by every request and every consumed block; the reader sleeps on it.
  std::atomic<std::uint32_t> m_wake = 0;
  std::thread m_reader;

  // Audio thread only.
  std::uint32_t m_frontOffset = 0;
  std::int64_t m_nextPosition = 0;
  bool m_ended = false;
};

}  // namespace audio::mixer
