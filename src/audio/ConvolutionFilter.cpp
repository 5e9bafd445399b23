#include "audio/ConvolutionFilter.h"

#include <algorithm>
#include <cmath>

namespace audio {
namespace {

constexpr unsigned kFftPoints = 2 * kPartitionFrames;

unsigned partitionCount(std::size_t samples) {
  const std::size_t needed = (samples + kPartitionFrames - 1) / kPartitionFrames;
  return static_cast<unsigned>(std::min<std::size_t>(needed, kMaxPartitions));
}

float* asFloats(std::vector<std::complex<float>>& data) { return reinterpret_cast<float*>(data.data()); }

std::vector<std::vector<std::complex<float>>> partitionResponse(const std::vector<float>& response,
                                                                unsigned partitions) {
  mixer::Fft fft(kFftPoints);
  std::vector<std::vector<std::complex<float>>> spectra(partitions);
  for (unsigned i = 0; i < partitions; ++i) {
    std::vector<std::complex<float>>& spectrum = spectra[i];
    spectrum.assign(kFftPoints, {});
    for (unsigned j = 0; j < kPartitionFrames; ++j) {
      const std::size_t index = static_cast<std::size_t>(i) * kPartitionFrames + j;
      if (index < response.size()) spectrum[j] = response[index];
    }
    fft.forward(asFloats(spectrum));
  }
  return spectra;
}

}  // namespace

std::vector<float> frequencyCurveResponse(const std::vector<float>& gains) {
  const unsigned partitions = partitionCount(gains.size());
  if (partitions == 0) return {};
  const std::size_t points = static_cast<std::size_t>(partitions) * kPartitionFrames;
  const std::size_t half = points / 2;
  const double n = static_cast<double>(gains.size());
  std::vector<std::complex<float>> spectrum(points);
  for (std::size_t k = 0; k <= half; ++k) {
    const double kiloHertz = (static_cast<double>(k) / static_cast<double>(half) * 22050.0 + 20.0) / 1000.0;
    const double position = (3.0 * std::log2(kiloHertz) + 17.0) / 32.0 * n;
    float gain = gains.back();
    if (position < n - 1.0) {
      const double floor = std::floor(std::max(position, 0.0));
      const auto index = static_cast<std::size_t>(floor);
      const double fraction = std::max(position, 0.0) - floor;
      gain = static_cast<float>(gains[index] + (gains[index + 1] - gains[index]) * fraction);
    }
    spectrum[k] = gain;
    spectrum[(points - k) % points] = gain;
  }
  mixer::Fft(points).inverse(asFloats(spectrum));
  std::vector<float> response(points);
  for (std::size_t i = 0; i < points; ++i) response[(i + half) % points] = spectrum[i].real();
  return response;
}

std::vector<std::vector<std::complex<float>>> filterPartitions(int kind, const std::vector<float>& samples) {
  if (kind == 0) {
    const unsigned partitions = partitionCount(samples.size());
    std::vector<float> response(samples.begin(),
                                samples.begin() + static_cast<std::ptrdiff_t>(std::min<std::size_t>(
                                                      samples.size(), partitions * kPartitionFrames)));
    return partitionResponse(response, partitions);
  }
  if (kind == 1) return partitionResponse(frequencyCurveResponse(samples), partitionCount(samples.size()));
  return {};
}

Audio_Filter::Audio_Filter(int kind, std::vector<float> samples)
    : m_kind(kind),
      m_partitions(std::make_shared<const std::vector<std::vector<std::complex<float>>>>(
          filterPartitions(kind, samples))) {}

std::unique_ptr<mixer::FilterInstance> Audio_Filter::createInstance() {
  return std::make_unique<Audio_FilterInstance>(m_partitions);
}

Audio_FilterInstance::Audio_FilterInstance(
    std::shared_ptr<const std::vector<std::vector<std::complex<float>>>> partitions)
    : mixer::FilterInstance(1), m_partitions(std::move(partitions)), m_partitionCount(m_partitions->size()) {
  m_history.assign(m_partitionCount * kFftPoints * kMaxFilterChannels, {});
  m_tails.assign(static_cast<std::size_t>(kPartitionFrames) * kMaxFilterChannels, 0.0f);
  m_input.resize(kFftPoints);
  m_sum.resize(kFftPoints);
}

void Audio_FilterInstance::filter(float* buffer, unsigned frames, unsigned stride, unsigned channels, float) {
  const float wetAmount = wet();
  const unsigned used = std::min(channels, kMaxFilterChannels);
  for (unsigned start = 0; start + kPartitionFrames <= frames; start += kPartitionFrames) {
    if (m_partitionCount > 0) m_newest = (m_newest + 1) % m_partitionCount;
    for (unsigned channel = 0; channel < used; ++channel) filterBlock(buffer + channel * stride + start, channel, wetAmount);
  }
}

void Audio_FilterInstance::filterBlock(float* samples, unsigned channel, float wetAmount) {
  if (m_partitionCount == 0) {
    std::fill_n(samples, kPartitionFrames, 0.0f);
    return;
  }
  const auto& partitions = *m_partitions;
  std::complex<float>* history = m_history.data() + channel * m_partitionCount * kFftPoints;
  float* tail = m_tails.data() + channel * kPartitionFrames;

  std::fill(m_input.begin(), m_input.end(), std::complex<float>{});
  for (unsigned i = 0; i < kPartitionFrames; ++i) m_input[i] = samples[i] * wetAmount;
  m_fft.forward(asFloats(m_input));
  std::copy(m_input.begin(), m_input.end(), history + m_newest * kFftPoints);

  std::fill(m_sum.begin(), m_sum.end(), std::complex<float>{});
  for (std::size_t p = 0; p < m_partitionCount; ++p) {
    const float* block =
        reinterpret_cast<const float*>(history + ((m_newest + m_partitionCount - p) % m_partitionCount) * kFftPoints);
    const float* spectrum = reinterpret_cast<const float*>(partitions[p].data());
    float* sum = asFloats(m_sum);
    // Spelled out: std::complex's product guards against infinities and does not vectorise. Inputs and
    // responses are real, so only the bins up to the middle are needed; the rest mirror them.
    for (unsigned k = 0; k <= kFftPoints; k += 2) {
      sum[k] += block[k] * spectrum[k] - block[k + 1] * spectrum[k + 1];
      sum[k + 1] += block[k] * spectrum[k + 1] + block[k + 1] * spectrum[k];
    }
  }
  for (unsigned k = 1; k < kFftPoints / 2; ++k) m_sum[kFftPoints - k] = std::conj(m_sum[k]);
  m_fft.inverse(asFloats(m_sum));
  for (unsigned i = 0; i < kPartitionFrames; ++i) {
    const float dry = samples[i];
    samples[i] = m_sum[i].real() + tail[i] + (1.0f - wetAmount) * dry;
    tail[i] = m_sum[kPartitionFrames + i].real();
  }
}

}  // namespace audio
