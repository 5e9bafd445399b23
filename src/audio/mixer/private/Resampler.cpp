#include "audio/mixer/private/Resampler.h"

#include <cmath>

namespace audio::mixer {
namespace {

constexpr double kKaiserBeta = 9.0;
constexpr float kPassband = 0.92f;

double besselI0(double x) {
  double sum = 1.0;
  double term = 1.0;
  for (int k = 1; k < 40; ++k) {
    term *= (x / (2.0 * k)) * (x / (2.0 * k));
    sum += term;
    if (term < sum * 1e-12) break;
  }
  return sum;
}

}  // namespace

SincTable::SincTable() {
  const int count = kZeroCrossings * kPhases + 2;
  m_values.resize(static_cast<std::size_t>(count));
  const double norm = besselI0(kKaiserBeta);
  for (int i = 0; i < count; ++i) {
    const double x = static_cast<double>(i) / kPhases;
    if (x >= kZeroCrossings) {
      m_values[static_cast<std::size_t>(i)] = 0.0f;
      continue;
    }
    const double sinc = i == 0 ? 1.0 : std::sin(M_PI * x) / (M_PI * x);
    const double ratio = x / kZeroCrossings;
    const double window = besselI0(kKaiserBeta * std::sqrt(1.0 - ratio * ratio)) / norm;
    m_values[static_cast<std::size_t>(i)] = static_cast<float>(sinc * window);
  }
}

const SincTable& SincTable::instance() {
  static const SincTable table;
  return table;
}

float resamplerCutoff(double step) {
  const double cutoff = step > 1.0 ? 1.0 / step : 1.0;
  return static_cast<float>(cutoff) * kPassband;
}

int resamplerHalfWidth(float cutoff) {
  return static_cast<int>(std::ceil(SincTable::kZeroCrossings / cutoff));
}

void interpolateFrame(const float* input, std::size_t center, double frac, unsigned channels, float cutoff,
                      int halfWidth, float* out) {
  const SincTable& table = SincTable::instance();
  float sum[2] = {0.0f, 0.0f};
  const auto f = static_cast<float>(frac);
  for (int k = -halfWidth + 1; k <= halfWidth; ++k) {
    const float weight = cutoff * table.at((static_cast<float>(k) - f) * cutoff);
    const float* frame = input + (center + static_cast<std::ptrdiff_t>(k)) * channels;
    sum[0] += frame[0] * weight;
    if (channels == 2) sum[1] += frame[1] * weight;
  }
  out[0] = sum[0];
  out[1] = channels == 2 ? sum[1] : sum[0];
}

}  // namespace audio::mixer
