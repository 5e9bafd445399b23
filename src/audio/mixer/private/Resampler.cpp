#include "audio/mixer/private/Resampler.h"

#include <cmath>
#include <map>
#include <memory>
#include <mutex>

namespace audio::mixer {
namespace {

constexpr double kKaiserBeta = 9.0;
// Slightly under 1 even at unit step: the kernel's transition band then ends near Nyquist.
constexpr double kPassband = 0.92;
constexpr int kMaxTaps = 2 * 300;

double besselI0(double x) {
  double sum = 1.0;
  double term = 1.0;
  for (int k = 1; k < 60; ++k) {
    term *= (x / (2.0 * k)) * (x / (2.0 * k));
    sum += term;
    if (term < sum * 1e-14) break;
  }
  return sum;
}

double cutoffFor(double step) { return (step > 1.0 ? 1.0 / step : 1.0) * kPassband; }

int halfWidthFor(double cutoff) { return static_cast<int>(std::ceil(KernelBank::kZeroCrossings / cutoff)); }

}  // namespace

KernelBank::KernelBank(float cutoff) : m_halfWidth(halfWidthFor(cutoff)), m_taps(2 * m_halfWidth) {
  m_coefficients.resize(static_cast<std::size_t>((kPhases + 1) * m_taps));
  const double norm = besselI0(kKaiserBeta);
  for (int p = 0; p <= kPhases; ++p) {
    const double frac = static_cast<double>(p) / kPhases;
    for (int t = 0; t < m_taps; ++t) {
      const double x = (t - m_halfWidth + 1 - frac) * cutoff;
      double value = 0.0;
      if (std::fabs(x) < kZeroCrossings) {
        const double sinc = x == 0.0 ? 1.0 : std::sin(M_PI * x) / (M_PI * x);
        const double ratio = x / kZeroCrossings;
        value = cutoff * sinc * besselI0(kKaiserBeta * std::sqrt(1.0 - ratio * ratio)) / norm;
      }
      m_coefficients[static_cast<std::size_t>(p * m_taps + t)] = static_cast<float>(value);
    }
  }
}

const KernelBank& KernelBank::forStep(double step) {
  static std::mutex mutex;
  static std::map<long, std::unique_ptr<KernelBank>> banks;
  step = std::min(step, kMaxStep);
  // Every step up to 1 shares one kernel; faster steps are quantised finely enough that a pitch setting
  // never hears the difference, and coarsely enough that the cache stays small.
  const long key = step <= 1.0 ? 0 : std::lround(step * 256.0);
  std::lock_guard lock(mutex);
  std::unique_ptr<KernelBank>& bank = banks[key];
  if (!bank) bank.reset(new KernelBank(static_cast<float>(cutoffFor(key == 0 ? 1.0 : key / 256.0))));
  return *bank;
}

int KernelBank::maxHalfWidth() { return halfWidthFor(cutoffFor(kMaxStep)) + 1; }

void KernelBank::interpolate(const float* input, std::size_t center, double frac, unsigned channels,
                             float* out) const {
  const double position = frac * kPhases;
  const int phase = std::min(static_cast<int>(position), kPhases - 1);
  const auto t = static_cast<float>(position - phase);
  const float* a = m_coefficients.data() + static_cast<std::size_t>(phase * m_taps);
  const float* b = a + m_taps;
  float kernel[kMaxTaps];
  for (int k = 0; k < m_taps; ++k) kernel[k] = a[k] + (b[k] - a[k]) * t;
  const float* x = input + (center + 1 - static_cast<std::size_t>(m_halfWidth)) * channels;
  if (channels == 2) {
    float l0 = 0.0f, l1 = 0.0f, r0 = 0.0f, r1 = 0.0f;
    for (int k = 0; k < m_taps; k += 2) {
      l0 += x[2 * k] * kernel[k];
      r0 += x[2 * k + 1] * kernel[k];
      l1 += x[2 * k + 2] * kernel[k + 1];
      r1 += x[2 * k + 3] * kernel[k + 1];
    }
    out[0] = l0 + l1;
    out[1] = r0 + r1;
  } else {
    float s0 = 0.0f, s1 = 0.0f, s2 = 0.0f, s3 = 0.0f;
    int k = 0;
    for (; k + 4 <= m_taps; k += 4) {
      s0 += x[k] * kernel[k];
      s1 += x[k + 1] * kernel[k + 1];
      s2 += x[k + 2] * kernel[k + 2];
      s3 += x[k + 3] * kernel[k + 3];
    }
    for (; k < m_taps; ++k) s0 += x[k] * kernel[k];
    out[0] = out[1] = (s0 + s1) + (s2 + s3);
  }
}

}  // namespace audio::mixer
