#pragma once

// The filters an Audio_Slot installs on its player's sub-mixer: uniformly partitioned FFT convolution in
// 512-sample blocks, without latency. Each block's spectrum (scaled by the wet mix of its time) is kept for
// as many blocks as there are partitions; one block's output is the inverse transform of the sum of those
// spectra times the partitions' spectra, overlapped by half with the previous block's. Kind 0 takes the samples as an impulse response; kind 1 as gains along a logarithmic
// frequency axis, turned into a centred linear-phase response; any other kind silences the channel.

#include <complex>
#include <memory>
#include <vector>

#include "audio/mixer/Fft.h"
#include "audio/mixer/Filter.h"

namespace audio {

inline constexpr unsigned kPartitionFrames = 512;
inline constexpr unsigned kMaxPartitions = 16;
inline constexpr unsigned kMaxFilterChannels = 8;

// The 1024-point spectra of the response's partitions (each 512 samples, zero-padded); empty for a kind
// that has none.
std::vector<std::vector<std::complex<float>>> filterPartitions(int kind, const std::vector<float>& samples);
// The time-domain response a kind-1 curve stands for (P × 512 samples, centred at P × 256).
std::vector<float> frequencyCurveResponse(const std::vector<float>& gains);

class Audio_Filter final : public mixer::Filter {
 public:
  Audio_Filter(int kind, std::vector<float> samples);
  std::unique_ptr<mixer::FilterInstance> createInstance() override;

  int kind() const { return m_kind; }

 private:
  int m_kind = 0;
  // Shared by every instance; computed once.
  std::shared_ptr<const std::vector<std::vector<std::complex<float>>>> m_partitions;
};

class Audio_FilterInstance final : public mixer::FilterInstance {
 public:
  explicit Audio_FilterInstance(std::shared_ptr<const std::vector<std::vector<std::complex<float>>>> partitions);

  void filter(float* buffer, unsigned frames, unsigned stride, unsigned channels, float sampleRate) override;

 private:
  void filterBlock(float* samples, unsigned channel, float wet);

  std::shared_ptr<const std::vector<std::vector<std::complex<float>>>> m_partitions;
  mixer::Fft m_fft{2 * kPartitionFrames};
  std::size_t m_partitionCount = 0;
  // Index of the newest block spectrum in each channel's history.
  std::size_t m_newest = 0;
  // Per channel: the last P block spectra, then the second half of the last output transform.
  std::vector<std::complex<float>> m_history;
  std::vector<float> m_tails;
  std::vector<std::complex<float>> m_input;
  std::vector<std::complex<float>> m_sum;
};

}  // namespace audio
