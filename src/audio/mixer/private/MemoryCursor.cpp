#include "audio/mixer/private/MemoryCursor.h"

#include <algorithm>
#include <cstring>

namespace audio::mixer {

MemoryCursor::MemoryCursor(const std::vector<float>& samples, unsigned channels)
    : m_samples(samples), m_channels(channels), m_length(static_cast<std::int64_t>(samples.size() / channels)) {}

std::int64_t MemoryCursor::wrapEnd() const {
  if (m_looping && m_loopEnd > m_loopStart && m_loopEnd < m_length) return m_loopEnd;
  return m_length;
}

bool MemoryCursor::ended() const {
  if (m_position < wrapEnd()) return false;
  // A loop whose start lies past the end would replay nothing: the sound ends instead of spinning.
  return !(m_looping && m_loopStart < m_length);
}

std::size_t MemoryCursor::pull(float* out, std::int64_t* positions, std::size_t maxFrames) {
  std::size_t done = 0;
  while (done < maxFrames) {
    const std::int64_t end = wrapEnd();
    if (m_position >= end) {
      if (!m_looping || m_loopStart >= m_length) break;
      m_position = m_loopStart;
      continue;
    }
    const auto count = static_cast<std::size_t>(std::min<std::int64_t>(end - m_position, maxFrames - done));
    std::memcpy(out + done * m_channels, m_samples.data() + m_position * m_channels,
                count * m_channels * sizeof(float));
    for (std::size_t i = 0; i < count; ++i) positions[done + i] = m_position + static_cast<std::int64_t>(i);
    m_position += static_cast<std::int64_t>(count);
    done += count;
  }
  return done;
}

void MemoryCursor::seek(std::int64_t frame) { m_position = std::clamp<std::int64_t>(frame, 0, m_length); }

void MemoryCursor::setLoop(bool looping, std::int64_t start, std::int64_t end) {
  m_looping = looping;
  m_loopStart = std::max<std::int64_t>(start, 0);
  m_loopEnd = end;
}

}  // namespace audio::mixer
