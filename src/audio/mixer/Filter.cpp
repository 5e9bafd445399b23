#include "audio/mixer/Filter.h"

#include <algorithm>

namespace audio::mixer {

FilterInstance::FilterInstance(unsigned parameterCount)
    : m_parameterCount(std::clamp(parameterCount, 1u, kMaxParameters)) {
  m_parameters[kWet].store(1.0f, std::memory_order_relaxed);
}

FilterInstance::~FilterInstance() = default;

float FilterInstance::parameter(unsigned index) const {
  return index < m_parameterCount ? m_parameters[index].load(std::memory_order_relaxed) : 0.0f;
}

void FilterInstance::setParameter(unsigned index, float value) {
  if (index < m_parameterCount) m_parameters[index].store(value, std::memory_order_relaxed);
}

void FilterInstance::blendWet(float* dryInOut, const float* processed, unsigned frames) const {
  const float amount = wet();
  for (unsigned i = 0; i < frames; ++i) dryInOut[i] += (processed[i] - dryInOut[i]) * amount;
}

Filter::~Filter() = default;

}  // namespace audio::mixer
