#pragma once

// Filters on a sub-mixer's output. A `Filter` describes one and makes an instance per slot it is installed in;
// the instance keeps the processing state and the parameters (parameter 0 is the wet mix, 1 by default).
// Instances are made on the installing thread; `filter` then runs on the audio thread and must not block,
// allocate or do I/O. Parameters are atomics, set from any thread.

#include <array>
#include <atomic>
#include <memory>

namespace audio::mixer {

class FilterInstance {
 public:
  static constexpr unsigned kWet = 0;
  static constexpr unsigned kMaxParameters = 8;

  explicit FilterInstance(unsigned parameterCount = 1);
  virtual ~FilterInstance();
  FilterInstance(const FilterInstance&) = delete;
  FilterInstance& operator=(const FilterInstance&) = delete;

  // Processes `frames` frames in place; channel c is at buffer + c * stride (planar). The mixer calls it with
  // whole blocks of `Mixer::kBlockFrames`.
  virtual void filter(float* buffer, unsigned frames, unsigned stride, unsigned channels, float sampleRate) = 0;

  unsigned parameterCount() const { return m_parameterCount; }
  // 0 for an index past the count.
  float parameter(unsigned index) const;
  // Ignored for an index past the count.
  void setParameter(unsigned index, float value);

 protected:
  float wet() const { return parameter(kWet); }
  // out = dry + (processed - dry) * wet, the usual blend of a filter's result with its input.
  void blendWet(float* dryInOut, const float* processed, unsigned frames) const;

 private:
  unsigned m_parameterCount = 1;
  std::array<std::atomic<float>, kMaxParameters> m_parameters{};
};

class Filter {
 public:
  virtual ~Filter();
  virtual std::unique_ptr<FilterInstance> createInstance() = 0;
};

}  // namespace audio::mixer
