#include "audio/mixer/private/StreamCursor.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "audio/mixer/private/Decoder.h"

namespace audio::mixer {

StreamCursor::StreamCursor(SoundData data, unsigned channels, bool offline)
    : m_data(std::move(data)), m_channels(channels), m_offline(offline) {
  for (Block& block : m_ring) block.samples.resize(static_cast<std::size_t>(kBlockFrames) * channels);
  m_reader = std::thread([this] { readerMain(); });
}

StreamCursor::~StreamCursor() {
  m_stop.store(true);
  wake();
  m_reader.join();
}

void StreamCursor::wake() {
  m_wake.fetch_add(1, std::memory_order_release);
  m_wake.notify_all();
}

void StreamCursor::seek(std::int64_t frame) {
  m_seekTarget.store(std::max<std::int64_t>(frame, 0), std::memory_order_relaxed);
  m_generation.fetch_add(1, std::memory_order_release);
  m_nextPosition = std::max<std::int64_t>(frame, 0);
  m_frontOffset = 0;
  m_ended = false;
  wake();
}

void StreamCursor::setLoop(bool looping, std::int64_t start, std::int64_t end) {
  m_loopStart.store(std::max<std::int64_t>(start, 0), std::memory_order_relaxed);
  m_loopEnd.store(end, std::memory_order_relaxed);
  m_looping.store(looping, std::memory_order_release);
  wake();
}

StreamCursor::Block* StreamCursor::front() {
  const std::uint32_t generation = m_generation.load(std::memory_order_relaxed);
  for (;;) {
    const std::uint64_t read = m_read.load(std::memory_order_relaxed);
    if (read == m_written.load(std::memory_order_acquire)) return nullptr;
    Block& block = m_ring[read % kBlocks];
    if (block.generation == generation) return &block;
    m_frontOffset = 0;
    m_read.store(read + 1, std::memory_order_release);
    wake();
  }
}

std::size_t StreamCursor::pull(float* out, std::int64_t* positions, std::size_t maxFrames) {
  std::size_t done = 0;
  while (done < maxFrames && !m_ended) {
    Block* block = front();
    if (!block) {
      if (!m_offline) break;
      // Offline renders stand in for real time: wait for the decoder rather than play a gap.
      const std::uint32_t seen = m_wake.load(std::memory_order_acquire);
      if (front()) continue;
      m_wake.wait(seen);
      continue;
    }
    if (block->endOfStream) {
      m_ended = true;
      break;
    }
    const std::uint32_t available = block->frames - m_frontOffset;
    const auto count = static_cast<std::uint32_t>(std::min<std::size_t>(available, maxFrames - done));
    std::memcpy(out + done * m_channels, block->samples.data() + static_cast<std::size_t>(m_frontOffset) * m_channels,
                count * m_channels * sizeof(float));
    const std::int64_t first = block->start + m_frontOffset;
    for (std::uint32_t i = 0; i < count; ++i) positions[done + i] = first + i;
    done += count;
    m_frontOffset += count;
    m_nextPosition = first + count;
    if (m_frontOffset == block->frames) {
      m_frontOffset = 0;
      m_read.store(m_read.load(std::memory_order_relaxed) + 1, std::memory_order_release);
      wake();
    }
  }
  return done;
}

void StreamCursor::readerMain() {
  std::string error;
  std::unique_ptr<Decoder> decoder = Decoder::open(m_data, &error);
  if (!decoder) std::fprintf(stderr, "[audio] %s\n", error.c_str());
  if (decoder) decoder->setCancelFlag(&m_stop);
  std::uint32_t generation = 0;
  // The end marker of this generation is in the ring: only a seek brings more.
  bool endSent = false;
  bool wrapped = false;
  while (!m_stop.load(std::memory_order_acquire)) {
    const std::uint32_t seen = m_wake.load(std::memory_order_acquire);
    const std::uint32_t requested = m_generation.load(std::memory_order_acquire);
    if (requested != generation) {
      generation = requested;
      if (decoder) decoder->seek(m_seekTarget.load(std::memory_order_relaxed));
      endSent = false;
      wrapped = false;
    }
    const std::uint64_t written = m_written.load(std::memory_order_relaxed);
    if (endSent || written - m_read.load(std::memory_order_acquire) >= kBlocks) {
      m_wake.wait(seen);
      continue;
    }
    Block& block = m_ring[written % kBlocks];
    block.generation = generation;
    block.endOfStream = false;
    block.start = decoder ? decoder->position() : 0;
    std::size_t frames = 0;
    const bool looping = m_looping.load(std::memory_order_acquire);
    const std::int64_t loopStart = m_loopStart.load(std::memory_order_relaxed);
    const std::int64_t loopEnd = m_loopEnd.load(std::memory_order_relaxed);
    if (decoder) {
      std::size_t wanted = kBlockFrames;
      if (looping && loopEnd > loopStart)
        wanted = static_cast<std::size_t>(std::clamp<std::int64_t>(loopEnd - block.start, 0, wanted));
      frames = decoder->read(block.samples.data(), wanted);
    }
    if (frames == 0 && looping && decoder && !wrapped) {
      // Wrap once; a loop that yields no frame at all (its start past the end) ends instead of spinning.
      wrapped = true;
      decoder->seek(loopStart);
      continue;
    }
    if (frames == 0) {
      block.endOfStream = true;
      endSent = true;
    }
    wrapped = false;
    block.frames = static_cast<std::uint32_t>(frames);
    m_written.store(written + 1, std::memory_order_release);
    wake();
  }
}

}  // namespace audio::mixer
