// Convolution filter cost: microseconds per 1024-frame stereo block for 1, 16 and 64 voices with and without
// a 16-partition impulse response on every sub-mixer, beside the floor of the transforms that filtering one
// sub-mixer's block cannot avoid (per channel and 512 frames: one forward and one inverse 1024-point FFT)
// and a direct time-domain convolution of the same 8192-tap response. Numbers only: nothing here asserts a time.

#include <chrono>
#include <cstdio>
#include <memory>
#include <random>
#include <vector>

#include "audio/ConvolutionFilter.h"
#include "audio/mixer/AudioSource.h"
#include "audio/mixer/Fft.h"
#include "audio/mixer/Mixer.h"
#include "audio/mixer/SubMixer.h"
#include "tests/audio/SoundFiles.h"

using namespace audio;
using Clock = std::chrono::steady_clock;

namespace {

constexpr unsigned kRate = 44100;
constexpr std::size_t kBlock = 1024;

double microseconds(Clock::duration d) { return std::chrono::duration<double, std::micro>(d).count(); }

std::vector<float> response(std::size_t taps) {
  std::mt19937 random(3);
  std::uniform_real_distribution<float> value(-0.01f, 0.01f);
  std::vector<float> out(taps);
  for (float& v : out) v = value(random);
  return out;
}

double mixerPerBlock(unsigned voices, bool filtered, const std::shared_ptr<mixer::MemorySource>& source) {
  mixer::Mixer mix(mixer::Mixer::Output::Offline, kRate);
  auto filter = std::make_shared<Audio_Filter>(0, response(kMaxPartitions * kPartitionFrames));
  std::vector<std::unique_ptr<mixer::SubMixer>> engines;
  for (unsigned v = 0; v < voices; ++v) {
    if (v % mixer::SubMixer::kMaxVoices == 0) {
      engines.push_back(std::make_unique<mixer::SubMixer>(mix));
      if (filtered) engines.back()->setGlobalFilter(0, filter);
    }
    const mixer::VoiceHandle handle = engines.back()->play(source, 0.5f);
    engines.back()->setLooping(handle, true);
    engines.back()->seekFrames(handle, v * 977);
  }
  std::vector<float> out(kBlock * 2);
  for (int b = 0; b < 20; ++b) mix.render(out.data(), kBlock);
  const int blocks = 300;
  const auto start = Clock::now();
  for (int b = 0; b < blocks; ++b) mix.render(out.data(), kBlock);
  return microseconds(Clock::now() - start) / blocks;
}

double fftFloorPerBlock() {
  mixer::Fft fft(2 * kPartitionFrames);
  std::vector<float> data(4 * kPartitionFrames, 0.25f);
  const int blocks = 300;
  const unsigned transforms = 2 * (kBlock / kPartitionFrames) * 2;
  const auto start = Clock::now();
  for (int b = 0; b < blocks; ++b)
    for (unsigned t = 0; t < transforms; ++t) (t % 2 == 0) ? fft.forward(data.data()) : fft.inverse(data.data());
  const double perBlock = microseconds(Clock::now() - start) / blocks;
  if (data[3] == 12345.0f) std::puts("");
  return perBlock;
}

double directPerBlock() {
  const std::vector<float> taps = response(kMaxPartitions * kPartitionFrames);
  std::vector<float> history(taps.size() + kBlock, 0.1f);
  std::vector<float> out(kBlock);
  const int blocks = 3;
  const auto start = Clock::now();
  for (int b = 0; b < blocks; ++b)
    for (int channel = 0; channel < 2; ++channel)
      for (std::size_t n = 0; n < kBlock; ++n) {
        float sum = 0.0f;
        for (std::size_t k = 0; k < taps.size(); ++k) sum += taps[k] * history[n + taps.size() - k - 1 + 1];
        out[n] = sum;
      }
  const double perBlock = microseconds(Clock::now() - start) / blocks;
  if (out[3] == 12345.0f) std::puts("");
  return perBlock;
}

}  // namespace

int main() {
  const auto source = mixer::MemorySource::fromSamples(test::signature(kRate * 4, 2), 2, kRate);
  std::printf("block: %zu stereo frames at %u Hz (%.1f us of audio); response: %u partitions of %u\n", kBlock, kRate,
              1e6 * kBlock / kRate, kMaxPartitions, kPartitionFrames);
  std::printf("%6s %10s %14s %14s %16s\n", "voices", "filtered", "plain us/blk", "filter us/blk", "filter us/voice");
  for (unsigned voices : {1u, 16u, 64u}) {
    const unsigned filters = (voices + mixer::SubMixer::kMaxVoices - 1) / mixer::SubMixer::kMaxVoices;
    const double plain = mixerPerBlock(voices, false, source);
    const double filtered = mixerPerBlock(voices, true, source);
    std::printf("%6u %10u %14.2f %14.2f %16.2f\n", voices, filters, plain, filtered, filtered / voices);
  }
  std::printf("floor: the two FFTs per channel and half-block of one filtered sub-mixer: %.2f us/blk\n", fftFloorPerBlock());
  std::printf("direct time-domain convolution of the same response: %.0f us/blk\n", directPerBlock());
  return 0;
}
