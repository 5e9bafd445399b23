#pragma once

// A sub-mixer: the "engine object" of one player. It mixes its voices, runs its eight global filter slots
// over the result, clips, and adds it to the device output of its `Mixer`. Control calls may come from any
// thread (the main thread, fade tasks); they never wait for the audio thread except to free something the
// audio thread might still be reading, and the audio thread never waits for them.

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>

#include "audio/mixer/AudioSource.h"
#include "audio/mixer/Filter.h"

namespace audio::mixer {

class Mixer;
class Voice;

// 0 is never a valid handle.
using VoiceHandle = std::uint32_t;

enum class Clipping {
  None,
  // Linear up to half scale, then bends smoothly towards full scale instead of cutting the wave off.
  RoundOff,
};

class SubMixer {
 public:
  static constexpr unsigned kFilterSlots = 8;
  static constexpr unsigned kMaxVoices = 16;

  // `mixer` must outlive the engine.
  explicit SubMixer(Mixer& mixer, Clipping clipping = Clipping::RoundOff);
  ~SubMixer();
  SubMixer(const SubMixer&) = delete;
  SubMixer& operator=(const SubMixer&) = delete;

  // Starts `source`; `volume` < 0 takes the source's own volume; pan -1 (left) … 1 (right). When every voice
  // slot is busy the oldest voice is stopped. 0 when the source cannot be read.
  VoiceHandle play(const std::shared_ptr<AudioSource>& source, float volume = -1.0f, float pan = 0.0f,
                   bool paused = false);
  void stop(VoiceHandle handle);
  void stopAll();
  // False once the voice was stopped or reached its end.
  bool isValidVoiceHandle(VoiceHandle handle) const;

  void setPause(VoiceHandle handle, bool paused);
  bool pause(VoiceHandle handle) const;
  void setVolume(VoiceHandle handle, float volume);
  float volume(VoiceHandle handle) const;
  // Balance: the far side keeps full gain, the near side falls linearly to 0, so 0 is unity on both sides.
  void setPan(VoiceHandle handle, float pan);
  float pan(VoiceHandle handle) const;
  // Play speed relative to the source's own rate (pitch and tempo together); 0 or less holds the voice
  // silent where it is.
  void setRelativePlaySpeed(VoiceHandle handle, float speed);
  float relativePlaySpeed(VoiceHandle handle) const;
  void setLooping(VoiceHandle handle, bool looping);
  bool looping(VoiceHandle handle) const;
  // Where a looping voice restarts (source frames); its wrap point stays the source's loop end.
  void setLoopPoint(VoiceHandle handle, std::int64_t frames);
  std::int64_t loopPoint(VoiceHandle handle) const;
  // Position in source frames (stream time × the source's rate); 0 for an invalid handle.
  std::int64_t positionFrames(VoiceHandle handle) const;
  // Sample-exact: the next frame the voice plays is source frame `frames` (clamped at 0).
  void seekFrames(VoiceHandle handle, std::int64_t frames);
  unsigned voiceSampleRate(VoiceHandle handle) const;

  // Installs a new instance of `filter` in slot `index` (< kFilterSlots); null removes the slot's filter.
  void setGlobalFilter(unsigned index, const std::shared_ptr<Filter>& filter);
  bool hasGlobalFilter(unsigned index) const;
  // 0 for an empty slot or an index past the slots.
  float filterParameter(unsigned index, unsigned parameter) const;
  void setFilterParameter(unsigned index, unsigned parameter, float value);

  // Audio thread, from `Mixer`: adds one block (planar stereo, `frames` <= the mixer's block) to `left`/`right`.
  void renderAdd(float* left, float* right, unsigned frames);

 private:
  Voice* find(VoiceHandle handle) const;
  void releaseSlot(unsigned slot);
  void reclaimFinished();

  Mixer& m_mixer;
  Clipping m_clipping = Clipping::RoundOff;
  // Serialises control calls among themselves; never taken by the audio thread.
  mutable std::mutex m_controlMutex;
  std::array<std::atomic<Voice*>, kMaxVoices> m_liveVoices{};
  std::array<std::unique_ptr<Voice>, kMaxVoices> m_ownedVoices;
  std::array<std::uint64_t, kMaxVoices> m_startOrder{};
  std::uint64_t m_playCounter = 0;
  std::uint32_t m_generation = 0;
  std::array<std::atomic<FilterInstance*>, kFilterSlots> m_liveFilters{};
  std::array<std::unique_ptr<FilterInstance>, kFilterSlots> m_ownedFilters;
  std::array<std::shared_ptr<Filter>, kFilterSlots> m_filters;
  std::unique_ptr<float[]> m_scratch;
};

}  // namespace audio::mixer
