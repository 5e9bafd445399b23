#include "audio/mixer/private/Voice.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "audio/mixer/private/Resampler.h"

namespace audio::mixer {
namespace {

const int kMaxHalfWidth = KernelBank::maxHalfWidth();
constexpr std::size_t kReadFrames = 4096;

}  // namespace

Voice::Voice(std::shared_ptr<AudioSource> source, unsigned outputRate, bool offline, std::uint32_t handle)
    : m_source(std::move(source)), m_outputRate(outputRate), m_channels(m_source->channels()), m_handle(handle) {
  m_cursor = m_source->createCursor(offline);
  m_loopStart.store(m_source->loopPointFrames(), std::memory_order_relaxed);
  const std::size_t capacity = kReadFrames + 2 * static_cast<std::size_t>(kMaxHalfWidth) + 2;
  m_buffer.resize(capacity * m_channels);
  m_positions.resize(capacity);
  setSpeed(1.0f);
  restartAt(0);
}

void Voice::setSpeed(float speed) {
  m_speed.store(speed, std::memory_order_relaxed);
  if (speed > 0.0f) {
    const double step = static_cast<double>(speed) * m_source->sampleRate() / static_cast<double>(m_outputRate);
    m_kernel.store(&KernelBank::forStep(step), std::memory_order_release);
  }
}

void Voice::setLooping(bool looping) {
  m_looping.store(looping, std::memory_order_relaxed);
  m_loopSerial.fetch_add(1, std::memory_order_release);
}

void Voice::setLoopPoint(std::int64_t frames) {
  m_loopStart.store(std::max<std::int64_t>(frames, 0), std::memory_order_relaxed);
  m_loopSerial.fetch_add(1, std::memory_order_release);
}

void Voice::requestSeek(std::int64_t frames) {
  m_pendingSeek.store(std::max<std::int64_t>(frames, 0), std::memory_order_release);
}

std::int64_t Voice::position() const {
  const std::int64_t pending = m_pendingSeek.load(std::memory_order_acquire);
  return pending >= 0 ? pending : m_position.load(std::memory_order_relaxed);
}

void Voice::restartAt(std::int64_t frame) {
  // The resampler restarts on the target frame with silence behind it, so the first output frame is that
  // source frame exactly.
  const auto history = static_cast<std::size_t>(kMaxHalfWidth);
  std::fill(m_buffer.begin(), m_buffer.begin() + static_cast<std::ptrdiff_t>(history * m_channels), 0.0f);
  std::fill(m_positions.begin(), m_positions.begin() + static_cast<std::ptrdiff_t>(history), frame);
  m_filled = history;
  m_readIndex = history;
  m_frac = 0.0;
  m_endIndex = -1;
  m_position.store(frame, std::memory_order_relaxed);
}

void Voice::applyLoopSettings() {
  const std::uint32_t serial = m_loopSerial.load(std::memory_order_acquire);
  if (serial == m_appliedLoopSerial) return;
  m_appliedLoopSerial = serial;
  m_cursor->setLoop(m_looping.load(std::memory_order_relaxed), m_loopStart.load(std::memory_order_relaxed),
                    m_source->loopEndFrames());
}

bool Voice::refill(std::size_t lookAhead) {
  // Keep the frames the kernel may still look back at, drop the rest.
  const std::size_t keepFrom = m_readIndex > static_cast<std::size_t>(kMaxHalfWidth)
                                   ? m_readIndex - static_cast<std::size_t>(kMaxHalfWidth)
                                   : 0;
  if (keepFrom > 0) {
    const std::size_t kept = m_filled - keepFrom;
    std::memmove(m_buffer.data(), m_buffer.data() + keepFrom * m_channels, kept * m_channels * sizeof(float));
    std::memmove(m_positions.data(), m_positions.data() + keepFrom, kept * sizeof(std::int64_t));
    m_filled = kept;
    m_readIndex -= keepFrom;
    if (m_endIndex >= 0) m_endIndex -= static_cast<std::int64_t>(keepFrom);
  }
  const std::size_t capacity = m_positions.size();
  while (m_readIndex + lookAhead >= m_filled && m_filled < capacity) {
    if (m_endIndex >= 0) {
      // Past the last frame the kernel reads silence.
      const std::size_t count = capacity - m_filled;
      std::fill_n(m_buffer.begin() + static_cast<std::ptrdiff_t>(m_filled * m_channels), count * m_channels, 0.0f);
      std::fill_n(m_positions.begin() + static_cast<std::ptrdiff_t>(m_filled), count,
                  m_filled > 0 ? m_positions[m_filled - 1] + 1 : 0);
      m_filled = capacity;
      break;
    }
    const std::size_t got = m_cursor->pull(m_buffer.data() + m_filled * m_channels, m_positions.data() + m_filled,
                                           capacity - m_filled);
    m_filled += got;
    if (got > 0) continue;
    if (!m_cursor->ended()) return false;
    if (m_looping.load(std::memory_order_relaxed)) {
      // Looping was switched on after the stream had already reached its end.
      m_cursor->seek(m_loopStart.load(std::memory_order_relaxed));
      const std::size_t again = m_cursor->pull(m_buffer.data() + m_filled * m_channels,
                                               m_positions.data() + m_filled, capacity - m_filled);
      m_filled += again;
      if (again > 0) continue;
      if (!m_cursor->ended()) return false;
    }
    m_endIndex = static_cast<std::int64_t>(m_filled);
  }
  return true;
}

void Voice::renderAdd(float* left, float* right, unsigned frames) {
  std::int64_t seekTo = m_pendingSeek.load(std::memory_order_acquire);
  if (seekTo >= 0 && !finished.load(std::memory_order_relaxed)) {
    applyLoopSettings();
    m_cursor->seek(seekTo);
    restartAt(seekTo);
    // A newer request that arrived meanwhile stays pending for the next block.
    m_pendingSeek.compare_exchange_strong(seekTo, -1, std::memory_order_acq_rel);
  }
  if (finished.load(std::memory_order_relaxed)) return;
  applyLoopSettings();

  const float vol = volume.load(std::memory_order_relaxed);
  const float p = std::clamp(pan.load(std::memory_order_relaxed), -1.0f, 1.0f);
  const float targetLeft = vol * (p > 0.0f ? 1.0f - p : 1.0f);
  const float targetRight = vol * (p < 0.0f ? 1.0f + p : 1.0f);
  if (!m_started) {
    m_gainLeft = targetLeft;
    m_gainRight = targetRight;
    m_started = true;
  }
  const float playSpeed = m_speed.load(std::memory_order_relaxed);
  const KernelBank* kernel = m_kernel.load(std::memory_order_acquire);
  if (paused.load(std::memory_order_relaxed) || !(playSpeed > 0.0f) || !kernel) {
    m_gainLeft = targetLeft;
    m_gainRight = targetRight;
    return;
  }
  const double step = std::min(KernelBank::kMaxStep, static_cast<double>(playSpeed) * m_source->sampleRate() /
                                                         static_cast<double>(m_outputRate));
  const bool exact = step == 1.0;
  const auto lookAhead = static_cast<std::size_t>(kernel->halfWidth());
  const float stepLeft = (targetLeft - m_gainLeft) / static_cast<float>(frames);
  const float stepRight = (targetRight - m_gainRight) / static_cast<float>(frames);

  unsigned i = 0;
  for (; i < frames; ++i) {
    if (m_endIndex >= 0 && static_cast<std::int64_t>(m_readIndex) >= m_endIndex) {
      finished.store(true, std::memory_order_release);
      break;
    }
    if (m_readIndex + lookAhead >= m_filled && !refill(lookAhead)) break;
    if (m_endIndex >= 0 && static_cast<std::int64_t>(m_readIndex) >= m_endIndex) continue;
    if (exact && m_frac == 0.0) {
      // Unresampled: copy the whole run that is buffered, without per-frame checks.
      std::size_t run = std::min<std::size_t>(frames - i, m_filled - lookAhead - m_readIndex);
      if (m_endIndex >= 0) run = std::min<std::size_t>(run, static_cast<std::size_t>(m_endIndex) - m_readIndex);
      const float* in = m_buffer.data() + m_readIndex * m_channels;
      const unsigned right1 = m_channels == 2 ? 1 : 0;
      for (std::size_t k = 0; k < run; ++k, ++i) {
        const float gainLeft = m_gainLeft + stepLeft * static_cast<float>(i);
        const float gainRight = m_gainRight + stepRight * static_cast<float>(i);
        left[i] += in[k * m_channels] * gainLeft;
        right[i] += in[k * m_channels + right1] * gainRight;
      }
      m_readIndex += run;
      --i;
      continue;
    }
    float frame[2];
    if (exact && m_frac == 0.0) {
      const float* in = m_buffer.data() + m_readIndex * m_channels;
      frame[0] = in[0];
      frame[1] = m_channels == 2 ? in[1] : in[0];
    } else {
      kernel->interpolate(m_buffer.data(), m_readIndex, m_frac, m_channels, frame);
    }
    const float gainLeft = m_gainLeft + stepLeft * static_cast<float>(i);
    const float gainRight = m_gainRight + stepRight * static_cast<float>(i);
    left[i] += frame[0] * gainLeft;
    right[i] += frame[1] * gainRight;
    m_frac += step;
    const double whole = std::floor(m_frac);
    m_readIndex += static_cast<std::size_t>(whole);
    m_frac -= whole;
  }
  m_gainLeft = targetLeft;
  m_gainRight = targetRight;
  if (m_readIndex < m_filled)
    m_position.store(m_positions[m_readIndex], std::memory_order_relaxed);
  else
    m_position.store(m_cursor->nextPosition(), std::memory_order_relaxed);
}

}  // namespace audio::mixer
