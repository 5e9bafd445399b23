#pragma once

// One playing sound. Control threads write its settings as atomics; the audio thread reads them once per
// block, pulls frames from the cursor, resamples, applies gains (ramped across the block so volume steps and
// fades do not click) and adds the result to the engine's mix.

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

#include "audio/mixer/AudioSource.h"
#include "audio/mixer/private/Resampler.h"
#include "audio/mixer/SourceCursor.h"

namespace audio::mixer {

class Voice {
 public:
  Voice(std::shared_ptr<AudioSource> source, unsigned outputRate, bool offline, std::uint32_t handle);

  std::uint32_t handle() const { return m_handle; }
  const AudioSource& source() const { return *m_source; }

  std::atomic<float> volume = 1.0f;
  std::atomic<float> pan = 0.0f;
  std::atomic<bool> paused = false;
  std::atomic<bool> finished = false;

  // Also picks the resampling kernel for the new step (made here, on the control thread, when new).
  void setSpeed(float speed);
  float speed() const { return m_speed.load(std::memory_order_relaxed); }
  void setLooping(bool looping);
  bool looping() const { return m_looping.load(std::memory_order_relaxed); }
  void setLoopPoint(std::int64_t frames);
  std::int64_t loopPoint() const { return m_loopStart.load(std::memory_order_relaxed); }
  void requestSeek(std::int64_t frames);
  std::int64_t position() const;

  // Audio thread.
  void renderAdd(float* left, float* right, unsigned frames);

 private:
  void restartAt(std::int64_t frame);
  // False on an underrun (realtime streams only).
  bool refill(std::size_t lookAhead);
  void applyLoopSettings();

  std::shared_ptr<AudioSource> m_source;
  std::unique_ptr<SourceCursor> m_cursor;
  unsigned m_outputRate = 44100;
  unsigned m_channels = 2;
  std::uint32_t m_handle = 0;

  std::atomic<float> m_speed = 1.0f;
  std::atomic<const KernelBank*> m_kernel = nullptr;
  std::atomic<bool> m_looping = false;
  std::atomic<std::int64_t> m_loopStart = 0;
  std::atomic<std::uint32_t> m_loopSerial = 0;
  std::atomic<std::int64_t> m_pendingSeek = -1;
  std::atomic<std::int64_t> m_position = 0;

  // Audio thread only.
  std::vector<float> m_buffer;
  std::vector<std::int64_t> m_positions;
  std::size_t m_filled = 0;
  std::size_t m_readIndex = 0;
  double m_frac = 0.0;
  std::int64_t m_endIndex = -1;
  std::uint32_t m_appliedLoopSerial = 0;
  float m_gainLeft = 0.0f;
  float m_gainRight = 0.0f;
  bool m_started = false;
};

}  // namespace audio::mixer
