// Mixer cost: microseconds per 1024-frame stereo block for 1, 16 and 64 voices, played at unit speed (a copy)
// and at 1.1x (band-limited resampling), beside the floor of summing the same number of buffers; and the
// time to decode a 3-minute Ogg Vorbis file whole. Numbers only: nothing here asserts a time. The mixing times are
// this thread's processor time (offline mixing runs on the caller's thread), so a busy machine stretches them less.

#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "audio/mixer/AudioSource.h"
#include "audio/mixer/Mixer.h"
#include "audio/mixer/SubMixer.h"
#include "tests/audio/SoundFiles.h"

using namespace audio::mixer;
using Clock = std::chrono::steady_clock;

// Processor time of the calling thread, as a clock.
struct ThreadClock {
  using duration = std::chrono::nanoseconds;
  using rep = duration::rep;
  using period = duration::period;
  using time_point = std::chrono::time_point<ThreadClock>;
  static constexpr bool is_steady = true;
  static time_point now() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return time_point(duration(static_cast<rep>(t.tv_sec) * 1000000000 + t.tv_nsec));
  }
};

namespace {

constexpr unsigned kRate = 44100;
constexpr std::size_t kBlock = 1024;

double microseconds(std::chrono::nanoseconds d) { return std::chrono::duration<double, std::micro>(d).count(); }

// The least any mixer must do: read every voice's frames and add them into the output.
double floorPerBlock(unsigned voices, const std::vector<float>& samples) {
  std::vector<float> out(kBlock * 2);
  const int blocks = 2000;
  std::size_t offset = 0;
  const auto start = ThreadClock::now();
  for (int b = 0; b < blocks; ++b) {
    std::memset(out.data(), 0, out.size() * sizeof(float));
    for (unsigned v = 0; v < voices; ++v) {
      const float* in = samples.data() + (offset + v * 977) % (samples.size() - 2 * kBlock);
      for (std::size_t i = 0; i < 2 * kBlock; ++i) out[i] += in[i] * 0.5f;
    }
    offset += 2 * kBlock;
  }
  const double perBlock = microseconds(ThreadClock::now() - start) / blocks;
  if (out[5] == 12345.0f) std::puts("");
  return perBlock;
}

double mixerPerBlock(unsigned voices, float speed, const std::shared_ptr<MemorySource>& source) {
  Mixer mixer(Mixer::Output::Offline, kRate);
  std::vector<std::unique_ptr<SubMixer>> engines;
  for (unsigned v = 0; v < voices; ++v) {
    if (v % SubMixer::kMaxVoices == 0) engines.push_back(std::make_unique<SubMixer>(mixer));
    const VoiceHandle handle = engines.back()->play(source, 0.5f);
    engines.back()->setLooping(handle, true);
    engines.back()->setRelativePlaySpeed(handle, speed);
    engines.back()->seekFrames(handle, v * 977);
  }
  std::vector<float> out(kBlock * 2);
  for (int b = 0; b < 20; ++b) mixer.render(out.data(), kBlock);
  const int blocks = voices >= 64 ? 300 : 1000;
  const auto start = ThreadClock::now();
  for (int b = 0; b < blocks; ++b) mixer.render(out.data(), kBlock);
  return microseconds(ThreadClock::now() - start) / blocks;
}

}  // namespace

int main() {
  const auto samples = audio::test::signature(kRate * 10, 2);
  const auto source = MemorySource::fromSamples(samples, 2, kRate);
  std::printf("block: %zu stereo frames at %u Hz (%.1f us of audio)\n", kBlock, kRate, 1e6 * kBlock / kRate);
  std::printf("%6s %14s %14s %14s %16s\n", "voices", "floor us/blk", "1.0x us/blk", "1.1x us/blk", "1.1x us/voice");
  for (unsigned voices : {1u, 16u, 64u}) {
    const double floor = floorPerBlock(voices, samples);
    const double copy = mixerPerBlock(voices, 1.0f, source);
    const double resampled = mixerPerBlock(voices, 1.1f, source);
    std::printf("%6u %14.2f %14.2f %14.2f %16.2f\n", voices, floor, copy, resampled, resampled / voices);
  }

  const std::string path = audio::test::tempFolder() + "/bench-3min.ogg";
  const auto music = audio::test::signature(kRate * 180, 2);
  if (!audio::test::encodeFile(path, "ogg", "libvorbis", music, 2, kRate)) {
    std::puts("no Vorbis encoder: decode time skipped");
    return 0;
  }
  const auto start = Clock::now();
  const auto whole = MemorySource::load(SoundData::fromFile(path));
  const double ms = microseconds(Clock::now() - start) / 1000.0;
  std::printf("decode 3-minute Ogg Vorbis whole: %.1f ms (%.0fx real time), %lld frames\n", ms,
              180000.0 / std::max(ms, 1e-3), whole ? static_cast<long long>(whole->lengthFrames()) : -1LL);
  const auto copyStart = Clock::now();
  std::vector<float> copy(samples.size() * 18);
  for (std::size_t i = 0; i < 18; ++i) std::memcpy(copy.data() + i * samples.size(), samples.data(), samples.size() * sizeof(float));
  std::printf("floor: memcpy of the same decoded size: %.1f ms\n", microseconds(Clock::now() - copyStart) / 1000.0);
  return 0;
}
