#include "audio/AudioMath.h"

#include <algorithm>
#include <cmath>

namespace audio {

int volumeCurve(int scriptVolume) {
  constexpr double kGain = static_cast<double>(1.6f);
  const double curve = (std::pow(16.0, scriptVolume / 100.0) - 1.0) / 15.0 * 100.0 * kGain;
  return static_cast<int>(std::clamp(std::trunc(curve), 0.0, 200.0));
}

int clampPercent(int value) { return std::clamp(value, 0, 200); }

int clampPan(int value) { return std::clamp(value, -100, 100); }

bool isMidiName(std::string_view name) {
  const std::size_t dot = name.find('.');
  return dot != std::string_view::npos && name.substr(dot + 1) == "mid";
}

int SeChannelCounter::take() {
  const int channel = m_next;
  m_next = m_next == kLastSeChannel ? kFirstSeChannel : m_next + 1;
  return channel;
}

}  // namespace audio
