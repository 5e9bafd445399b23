#pragma once

// Band-limited interpolation for voices played at another rate or speed: a Kaiser-windowed sinc, its cutoff
// lowered with the read step when the voice plays faster than the output so nothing folds back below the
// output's Nyquist frequency. Kernels are precomputed per cutoff as polyphase banks (interpolated between
// neighbouring phases) and shared by every voice; a bank, once made, lives for the whole process, so the
// audio thread reads banks without any lock or lifetime question. A step of exactly 1 on a whole frame is
// copied unchanged by the voice, so unresampled playback and seeks stay bit-exact.

#include <cstddef>
#include <vector>

namespace audio::mixer {

// Σ x · (a + d · t) over `taps` taps for mono or interleaved stereo `x`, into out[0] and out[1] (mono duplicated):
// the kernel for a fraction between two phases applied to the frames around the read point.
using InterpolateFunction = void (*)(const float* a, const float* d, int taps, float t, const float* x,
                                     unsigned channels, float* out);
struct Interpolation {
  const char* name = "";
  InterpolateFunction function = nullptr;
};
// The versions of that loop this processor runs, the plain one first; the last one is used. Sums in a different
// order (and, with AVX2, fused) round slightly differently from one another.
std::vector<Interpolation> supportedInterpolations();

class KernelBank {
 public:
  static constexpr int kZeroCrossings = 16;
  static constexpr int kPhases = 128;
  // Steps beyond this play at this step: the sound is noise by then, and the bound keeps kernels small.
  static constexpr double kMaxStep = 16.0;

  // The bank for a read step (input frames per output frame); thread-safe, made on first use.
  static const KernelBank& forStep(double step);
  // Frames either side of the read point that any bank may read.
  static int maxHalfWidth();

  int halfWidth() const { return m_halfWidth; }
  // One output frame (stereo; mono input is duplicated) from interleaved `input` whose frame `center` is the
  // integer read point and `frac` in [0, 1) the fraction past it. Reads frames center - halfWidth + 1 …
  // center + halfWidth.
  void interpolate(const float* input, std::size_t center, double frac, unsigned channels, float* out) const;

 private:
  explicit KernelBank(float cutoff);

  int m_halfWidth = 0;
  int m_taps = 0;
  // kPhases rows of 2 · m_taps: the kernel for a fraction p / kPhases, then its step to the next phase's kernel,
  // so that a fraction between two phases costs one multiply-add per tap.
  std::vector<float> m_coefficients;
};

}  // namespace audio::mixer
