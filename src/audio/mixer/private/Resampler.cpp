#include "audio/mixer/private/Resampler.h"

#include <cmath>
#include <map>
#include <memory>
#include <mutex>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace audio::mixer {
namespace {

constexpr double kKaiserBeta = 9.0;
// Slightly under 1 even at unit step: the kernel's transition band then ends near Nyquist.
constexpr double kPassband = 0.92;
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
  const auto taps = static_cast<std::size_t>(m_taps);
  std::vector<float> phases((kPhases + 1) * taps);
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
      phases[static_cast<std::size_t>(p) * taps + static_cast<std::size_t>(t)] = static_cast<float>(value);
    }
  }
  m_coefficients.resize(kPhases * 2 * taps);
  for (std::size_t p = 0; p < kPhases; ++p) {
    for (std::size_t t = 0; t < taps; ++t) {
      m_coefficients[2 * p * taps + t] = phases[p * taps + t];
      m_coefficients[2 * p * taps + taps + t] = phases[(p + 1) * taps + t] - phases[p * taps + t];
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

namespace {

void interpolateTail(const float* a, const float* d, int k, int taps, float t, const float* x, unsigned channels,
                     float* out) {
  for (; k < taps; ++k) {
    const float c = a[k] + d[k] * t;
    if (channels == 2) {
      out[0] += x[2 * k] * c;
      out[1] += x[2 * k + 1] * c;
    } else {
      out[0] += x[k] * c;
    }
  }
  if (channels != 2) out[1] = out[0];
}

#if defined(__x86_64__)

void interpolateSse2(const float* a, const float* d, int taps, float t, const float* x, unsigned channels, float* out) {
  const __m128 weight = _mm_set1_ps(t);
  __m128 first = _mm_setzero_ps(), second = _mm_setzero_ps();
  int k = 0;
  for (; k + 4 <= taps; k += 4) {
    const __m128 c = _mm_add_ps(_mm_loadu_ps(a + k), _mm_mul_ps(_mm_loadu_ps(d + k), weight));
    if (channels == 2) {
      // Each coefficient twice, for the left and right sample of its frame.
      first = _mm_add_ps(first, _mm_mul_ps(_mm_loadu_ps(x + 2 * k), _mm_unpacklo_ps(c, c)));
      second = _mm_add_ps(second, _mm_mul_ps(_mm_loadu_ps(x + 2 * k + 4), _mm_unpackhi_ps(c, c)));
    } else {
      first = _mm_add_ps(first, _mm_mul_ps(_mm_loadu_ps(x + k), c));
    }
  }
  float sums[4];
  _mm_storeu_ps(sums, _mm_add_ps(first, second));
  out[0] = channels == 2 ? sums[0] + sums[2] : (sums[0] + sums[1]) + (sums[2] + sums[3]);
  out[1] = sums[1] + sums[3];
  interpolateTail(a, d, k, taps, t, x, channels, out);
}

__attribute__((target("avx2,fma"))) void interpolateAvx2(const float* a, const float* d, int taps, float t,
                                                         const float* x, unsigned channels, float* out) {
  const __m256 weight = _mm256_set1_ps(t);
  __m256 first = _mm256_setzero_ps(), second = _mm256_setzero_ps();
  int k = 0;
  for (; k + 8 <= taps; k += 8) {
    const __m256 c = _mm256_fmadd_ps(_mm256_loadu_ps(d + k), weight, _mm256_loadu_ps(a + k));
    if (channels == 2) {
      // Coefficients 0 1 4 5 | 2 3 6 7, so that doubling within each half gives 0 0 1 1 | 2 2 3 3 and 4 4 5 5 |
      // 6 6 7 7, in step with the interleaved frames.
      const __m256 pairs = _mm256_castpd_ps(_mm256_permute4x64_pd(_mm256_castps_pd(c), 0xD8));
      first = _mm256_fmadd_ps(_mm256_loadu_ps(x + 2 * k), _mm256_unpacklo_ps(pairs, pairs), first);
      second = _mm256_fmadd_ps(_mm256_loadu_ps(x + 2 * k + 8), _mm256_unpackhi_ps(pairs, pairs), second);
    } else {
      first = _mm256_fmadd_ps(_mm256_loadu_ps(x + k), c, first);
    }
  }
  const __m256 total = _mm256_add_ps(first, second);
  const __m128 halves = _mm_add_ps(_mm256_castps256_ps128(total), _mm256_extractf128_ps(total, 1));
  float sums[4];
  _mm_storeu_ps(sums, halves);
  // Code built without AVX runs next; with the upper halves of the wide registers left dirty it runs slowly.
  _mm256_zeroupper();
  out[0] = channels == 2 ? sums[0] + sums[2] : (sums[0] + sums[1]) + (sums[2] + sums[3]);
  out[1] = sums[1] + sums[3];
  interpolateTail(a, d, k, taps, t, x, channels, out);
}

#endif

void interpolatePlain(const float* a, const float* d, int taps, float t, const float* x, unsigned channels,
                      float* out) {
  out[0] = out[1] = 0.0f;
  interpolateTail(a, d, 0, taps, t, x, channels, out);
}

InterpolateFunction interpolateFunction() {
  static const InterpolateFunction chosen = supportedInterpolations().back().function;
  return chosen;
}

}  // namespace

std::vector<Interpolation> supportedInterpolations() {
  std::vector<Interpolation> versions{{"plain", interpolatePlain}};
#if defined(__x86_64__)
  versions.push_back({"sse2", interpolateSse2});
  if (__builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma")) versions.push_back({"avx2", interpolateAvx2});
#endif
  return versions;
}

void KernelBank::interpolate(const float* input, std::size_t center, double frac, unsigned channels, float* out) const {
  const double position = frac * kPhases;
  const int phase = std::min(static_cast<int>(position), kPhases - 1);
  const auto t = static_cast<float>(position - phase);
  const float* a = m_coefficients.data() + static_cast<std::size_t>(2 * phase * m_taps);
  const float* x = input + (center + 1 - static_cast<std::size_t>(m_halfWidth)) * channels;
  interpolateFunction()(a, a + m_taps, m_taps, t, x, channels, out);
}

}  // namespace audio::mixer
