#pragma once

// Band-limited interpolation for voices played at another rate or speed: a Kaiser-windowed sinc read from a
// finely sampled table, its cutoff lowered with the step when the voice plays faster than the output so
// nothing folds back below the output's Nyquist frequency. A step of exactly 1 on a whole frame copies the
// input unchanged, so unresampled playback and seeks stay bit-exact.

#include <cstddef>
#include <vector>

namespace audio::mixer {

class SincTable {
 public:
  static constexpr int kZeroCrossings = 16;
  static constexpr int kPhases = 256;

  static const SincTable& instance();
  // The windowed sinc at |x| (x in input samples, cutoff 1), 0 outside the support.
  float at(float x) const {
    const float position = (x < 0 ? -x : x) * kPhases;
    const auto index = static_cast<std::size_t>(position);
    if (index + 1 >= m_values.size()) return 0.0f;
    const float frac = position - static_cast<float>(index);
    return m_values[index] + (m_values[index + 1] - m_values[index]) * frac;
  }

 private:
  SincTable();
  std::vector<float> m_values;
};

// One output frame of `channels` channels from `input` (interleaved, frame `center` is the integer read point,
// `frac` in [0, 1) the fractional part), reading `halfWidth` frames either side. `cutoff` is in (0, 1].
void interpolateFrame(const float* input, std::size_t center, double frac, unsigned channels, float cutoff,
                      int halfWidth, float* out);

// Frames needed either side of the read point for a given cutoff.
int resamplerHalfWidth(float cutoff);
// The cutoff (relative to the input's Nyquist frequency) for a read step; slightly under 1 even at unit
// step, leaving the kernel's transition band room below Nyquist.
float resamplerCutoff(double step);

}  // namespace audio::mixer
