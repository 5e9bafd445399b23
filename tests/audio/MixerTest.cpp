#include "audio/mixer/Mixer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <thread>

#include "audio/mixer/SubMixer.h"
#include "tests/audio/SoundFiles.h"

namespace audio::mixer {
namespace {

using test::analyse;
using test::signature;
using test::sine;

constexpr unsigned kRate = 44100;

struct Rendered {
  std::vector<float> left;
  std::vector<float> right;
};

Rendered render(Mixer& mixer, std::size_t frames) {
  std::vector<float> interleaved(frames * 2);
  mixer.render(interleaved.data(), frames);
  Rendered out;
  for (std::size_t i = 0; i < frames; ++i) {
    out.left.push_back(interleaved[2 * i]);
    out.right.push_back(interleaved[2 * i + 1]);
  }
  return out;
}

class MixerTest : public ::testing::Test {
 protected:
  Mixer m_mixer{Mixer::Output::Offline, kRate};
  SubMixer m_engine{m_mixer};
};

TEST_F(MixerTest, UnitSpeedCopiesFramesExactly) {
  const auto samples = signature(3000, 2);
  const auto source = MemorySource::fromSamples(samples, 2, kRate);
  m_engine.play(source);
  const Rendered out = render(m_mixer, 3000);
  for (std::size_t i = 0; i < 3000; ++i) {
    ASSERT_EQ(out.left[i], samples[2 * i]) << i;
    ASSERT_EQ(out.right[i], samples[2 * i + 1]) << i;
  }
}

struct GainCase {
  float volume;
  float pan;
  float expectLeft;
  float expectRight;
};

class GainTest : public MixerTest, public ::testing::WithParamInterface<GainCase> {};

TEST_P(GainTest, VolumeAndPanScaleEachSide) {
  const GainCase c = GetParam();
  const auto source = MemorySource::fromSamples(std::vector<float>(8192 * 2, 0.25f), 2, kRate);
  const VoiceHandle voice = m_engine.play(source, c.volume, c.pan);
  render(m_mixer, 1024);
  const Rendered out = render(m_mixer, 512);
  EXPECT_NEAR(out.left[100], 0.25f * c.expectLeft, 1e-6f);
  EXPECT_NEAR(out.right[100], 0.25f * c.expectRight, 1e-6f);
  EXPECT_FLOAT_EQ(m_engine.volume(voice), c.volume);
}

INSTANTIATE_TEST_SUITE_P(Table, GainTest,
                         ::testing::Values(GainCase{1.0f, 0.0f, 1.0f, 1.0f}, GainCase{1.6f, 0.0f, 1.6f, 1.6f},
                                           GainCase{0.5f, 0.0f, 0.5f, 0.5f}, GainCase{1.0f, 0.5f, 0.5f, 1.0f},
                                           GainCase{1.0f, -0.25f, 1.0f, 0.75f}, GainCase{1.0f, -1.0f, 1.0f, 0.0f},
                                           GainCase{2.0f, 1.0f, 0.0f, 2.0f * 0.25f / 0.25f}));

TEST_F(MixerTest, VolumeChangesRampAcrossOneBlock) {
  const auto source = MemorySource::fromSamples(std::vector<float>(8192, 0.2f), 1, kRate);
  const VoiceHandle voice = m_engine.play(source, 1.0f);
  render(m_mixer, 512);
  m_engine.setVolume(voice, 0.0f);
  const Rendered out = render(m_mixer, 512);
  EXPECT_NEAR(out.left[0], 0.2f, 1e-6f);
  EXPECT_NEAR(out.left[256], 0.1f, 1e-3f);
  for (std::size_t i = 1; i < 512; ++i) ASSERT_LE(out.left[i], out.left[i - 1]);
  EXPECT_EQ(render(m_mixer, 512).left[0], 0.0f);
}

TEST_F(MixerTest, RoundOffClippingIsLinearToHalfScaleThenBounded) {
  const auto quiet = MemorySource::fromSamples(std::vector<float>(4096, 0.5f), 1, kRate);
  const auto loud = MemorySource::fromSamples(std::vector<float>(4096, 0.6f), 1, kRate);
  const VoiceHandle voice = m_engine.play(quiet);
  EXPECT_FLOAT_EQ(render(m_mixer, 512).left[10], 0.5f);
  m_engine.stop(voice);
  float previous = 0.5f;
  for (float volume : {1.0f, 2.0f, 4.0f, 40.0f}) {
    const VoiceHandle next = m_engine.play(loud, volume);
    const float value = render(m_mixer, 512).left[10];
    if (volume < 10.0f) {
      EXPECT_GT(value, previous);
    }
    EXPECT_LE(value, 1.0f);
    previous = value;
    m_engine.stop(next);
  }
}

TEST_F(MixerTest, SeekLandsOnTheExactFrame) {
  const auto samples = signature(40000, 1);
  const VoiceHandle voice = m_engine.play(MemorySource::fromSamples(samples, 1, kRate));
  // The mixer works in whole blocks, so positions are checked on block boundaries.
  render(m_mixer, 1024);
  EXPECT_EQ(m_engine.positionFrames(voice), 1024);
  for (std::int64_t target : {12345, 3, 39000}) {
    m_engine.seekFrames(voice, target);
    EXPECT_EQ(m_engine.positionFrames(voice), target);
    const Rendered out = render(m_mixer, 1024);
    for (std::size_t i = 0; i < 1024 && target + static_cast<std::int64_t>(i) < 40000; ++i)
      ASSERT_EQ(out.left[i], samples[static_cast<std::size_t>(target) + i]) << target << "+" << i;
  }
}

TEST_F(MixerTest, SeekAtOtherSpeedsReportsThePositionOfTheFrameHeard) {
  const auto samples = signature(40000, 1);
  const VoiceHandle voice = m_engine.play(MemorySource::fromSamples(samples, 1, kRate));
  m_engine.setRelativePlaySpeed(voice, 1.5f);
  m_engine.seekFrames(voice, 20000);
  render(m_mixer, 1024);
  EXPECT_EQ(m_engine.positionFrames(voice), 20000 + 1536);
}

TEST_F(MixerTest, LoopWrapsFromLoopEndToLoopPointSampleExactly) {
  const auto samples = signature(5000, 2);
  auto source = MemorySource::fromSamples(samples, 2, kRate);
  source->setLoopRange(1000, 4000);
  const VoiceHandle voice = m_engine.play(source);
  m_engine.setLooping(voice, true);
  const Rendered out = render(m_mixer, 10240);
  std::size_t position = 0;
  for (std::size_t i = 0; i < 10240; ++i) {
    ASSERT_EQ(out.left[i], samples[2 * position]) << i;
    ASSERT_EQ(out.right[i], samples[2 * position + 1]) << i;
    position = position + 1 == 4000 ? 1000 : position + 1;
  }
  EXPECT_EQ(m_engine.positionFrames(voice), static_cast<std::int64_t>(position));
  EXPECT_TRUE(m_engine.isValidVoiceHandle(voice));
}

TEST_F(MixerTest, LoopPointSetOnTheVoiceOverridesTheSource) {
  const auto samples = signature(3000, 1);
  const VoiceHandle voice = m_engine.play(MemorySource::fromSamples(samples, 1, kRate));
  m_engine.setLooping(voice, true);
  m_engine.setLoopPoint(voice, 2500);
  const Rendered out = render(m_mixer, 4000);
  EXPECT_EQ(out.left[3000], samples[2500]);
  EXPECT_EQ(out.left[3500], samples[2500]);
  EXPECT_EQ(m_engine.loopPoint(voice), 2500);
}

TEST_F(MixerTest, NonLoopingVoiceEndsAndItsHandleGoesInvalid) {
  const VoiceHandle voice = m_engine.play(MemorySource::fromSamples(signature(1500, 1), 1, kRate));
  EXPECT_TRUE(m_engine.isValidVoiceHandle(voice));
  const Rendered out = render(m_mixer, 2048);
  EXPECT_EQ(out.left[1600], 0.0f);
  EXPECT_FALSE(m_engine.isValidVoiceHandle(voice));
  EXPECT_EQ(m_engine.positionFrames(voice), 0);
}

TEST_F(MixerTest, HandlesOfStoppedOrReplacedVoicesStayInvalid) {
  const auto source = MemorySource::fromSamples(std::vector<float>(100000, 0.1f), 1, kRate);
  const VoiceHandle first = m_engine.play(source);
  m_engine.stop(first);
  EXPECT_FALSE(m_engine.isValidVoiceHandle(first));
  const VoiceHandle second = m_engine.play(source);
  EXPECT_NE(first, second);
  EXPECT_FALSE(m_engine.isValidVoiceHandle(first));
  m_engine.setVolume(first, 0.0f);
  EXPECT_FLOAT_EQ(m_engine.volume(second), 1.0f);
  EXPECT_FALSE(m_engine.isValidVoiceHandle(0));
  EXPECT_FALSE(m_engine.isValidVoiceHandle(0xffffffffu));

  std::vector<VoiceHandle> handles;
  for (unsigned i = 0; i < SubMixer::kMaxVoices + 3; ++i) handles.push_back(m_engine.play(source));
  // Beyond the voice limit the oldest voices make room.
  EXPECT_FALSE(m_engine.isValidVoiceHandle(second));
  EXPECT_FALSE(m_engine.isValidVoiceHandle(handles[0]));
  EXPECT_TRUE(m_engine.isValidVoiceHandle(handles.back()));
}

TEST_F(MixerTest, PauseHoldsThePositionAndResumeContinuesExactly) {
  const auto samples = signature(20000, 1);
  const VoiceHandle voice = m_engine.play(MemorySource::fromSamples(samples, 1, kRate));
  render(m_mixer, 1024);
  m_engine.setPause(voice, true);
  EXPECT_TRUE(m_engine.pause(voice));
  EXPECT_EQ(render(m_mixer, 2048).left[100], 0.0f);
  EXPECT_EQ(m_engine.positionFrames(voice), 1024);
  m_engine.setPause(voice, false);
  const Rendered out = render(m_mixer, 512);
  for (std::size_t i = 0; i < 512; ++i) ASSERT_EQ(out.left[i], samples[1024 + i]);
}

TEST_F(MixerTest, ZeroSpeedHoldsTheVoiceSilent) {
  const VoiceHandle voice = m_engine.play(MemorySource::fromSamples(std::vector<float>(8192, 0.3f), 1, kRate));
  m_engine.setRelativePlaySpeed(voice, 0.0f);
  EXPECT_EQ(render(m_mixer, 1024).left[500], 0.0f);
  EXPECT_EQ(m_engine.positionFrames(voice), 0);
  EXPECT_TRUE(m_engine.isValidVoiceHandle(voice));
}

TEST_F(MixerTest, EnginesAddUp) {
  SubMixer other(m_mixer);
  m_engine.play(MemorySource::fromSamples(std::vector<float>(4096, 0.125f), 1, kRate));
  other.play(MemorySource::fromSamples(std::vector<float>(4096, 0.25f), 1, kRate));
  EXPECT_FLOAT_EQ(render(m_mixer, 512).left[7], 0.375f);
}

TEST_F(MixerTest, ControlCallsFromManyThreadsWhileRendering) {
  const auto source = MemorySource::fromSamples(signature(4000, 1), 1, kRate);
  std::atomic<bool> done = false;
  std::thread renderer([&] {
    while (!done) render(m_mixer, 512);
  });
  std::vector<std::thread> controllers;
  for (int t = 0; t < 3; ++t) {
    controllers.emplace_back([&, t] {
      for (int i = 0; i < 300; ++i) {
        const VoiceHandle voice = m_engine.play(source, 0.1f);
        m_engine.setVolume(voice, 0.05f * t);
        m_engine.seekFrames(voice, i * 7);
        if (i % 3 == 0) m_engine.stop(voice);
        if (i % 50 == 0) {
          SubMixer extra(m_mixer);
          extra.play(source);
        }
      }
    });
  }
  for (auto& thread : controllers) thread.join();
  done = true;
  renderer.join();
  m_engine.stopAll();
  EXPECT_EQ(render(m_mixer, 512).left[0], 0.0f);
}

// Resampling: a sine played faster rises in pitch by the speed, stays clean, and tones pushed past the
// output's Nyquist frequency are removed instead of folding back as audible aliases.
struct ResampleCase {
  double toneHz;
  unsigned sourceRate;
  float speed;
  double expectHz;
};

class ResampleTest : public MixerTest, public ::testing::WithParamInterface<ResampleCase> {};

TEST_P(ResampleTest, ToneMovesBySpeedWithoutSpurs) {
  const ResampleCase c = GetParam();
  const auto source = MemorySource::fromSamples(sine(c.toneHz, 0.4, c.sourceRate, c.sourceRate * 2), 1, c.sourceRate);
  const VoiceHandle voice = m_engine.play(source);
  m_engine.setRelativePlaySpeed(voice, c.speed);
  render(m_mixer, 2048);
  const Rendered out = render(m_mixer, 32768);
  const auto spectrum = analyse(out.left, kRate);
  EXPECT_NEAR(spectrum.peakHz, c.expectHz, 2.0 * kRate / 32768);
  // Nearest-sample or linear interpolation leaves images around -30 to -50 dB at these frequencies.
  EXPECT_LT(spectrum.spurDb, -70.0);
}

INSTANTIATE_TEST_SUITE_P(Table, ResampleTest,
                         ::testing::Values(ResampleCase{1000.0, kRate, 1.5f, 1500.0},
                                           ResampleCase{8000.0, kRate, 1.1f, 8800.0},
                                           ResampleCase{5000.0, kRate, 0.7f, 3500.0},
                                           ResampleCase{3000.0, 22050, 1.0f, 3000.0},
                                           ResampleCase{6000.0, 48000, 2.0f, 12000.0}));

// Stereo frames are resampled per channel: each side of a stereo voice matches that channel played as a mono voice.
TEST(MixerResample, StereoChannelsMatchTheirMonoVoices) {
  const auto left = sine(700.0, 0.4, kRate, kRate / 2), right = signature(kRate / 2, 1);
  std::vector<float> both;
  for (std::size_t i = 0; i < left.size(); ++i) both.insert(both.end(), {left[i], right[i]});
  const auto play = [](const std::vector<float>& samples, unsigned channels) {
    Mixer mixer{Mixer::Output::Offline, kRate};
    SubMixer engine{mixer};
    engine.setRelativePlaySpeed(engine.play(MemorySource::fromSamples(samples, channels, kRate)), 1.37f);
    return render(mixer, 8000);
  };
  const Rendered stereo = play(both, 2), leftOnly = play(left, 1), rightOnly = play(right, 1);
  for (std::size_t i = 0; i < 8000; ++i) {
    ASSERT_NEAR(stereo.left[i], leftOnly.left[i], 1e-5f) << i;
    ASSERT_NEAR(stereo.right[i], rightOnly.left[i], 1e-5f) << i;
  }
}

TEST_F(MixerTest, TonesAboveNyquistAfterSpeedUpAreRemoved) {
  const auto source = MemorySource::fromSamples(sine(15000.0, 0.5, kRate, kRate * 2), 1, kRate);
  const VoiceHandle voice = m_engine.play(source);
  m_engine.setRelativePlaySpeed(voice, 2.0f);
  render(m_mixer, 2048);
  const Rendered out = render(m_mixer, 16384);
  // 30 kHz would alias to 14.1 kHz at full strength without band-limiting.
  EXPECT_LT(analyse(out.left, kRate).rms, 0.5 * 0.707 * 1e-3);
}

// Filters: a test filter that inverts the signal shows the wet blend and the slot handling.
class InvertFilter : public Filter {
 public:
  class Instance : public FilterInstance {
   public:
    void filter(float* buffer, unsigned frames, unsigned stride, unsigned channels, float) override {
      for (unsigned c = 0; c < channels; ++c) {
        float* channel = buffer + c * stride;
        for (unsigned i = 0; i < frames; ++i) m_processed[i] = -channel[i];
        blendWet(channel, m_processed, frames);
      }
    }
    float m_processed[Mixer::kBlockFrames] = {};
  };
  std::unique_ptr<FilterInstance> createInstance() override { return std::make_unique<Instance>(); }
};

TEST_F(MixerTest, GlobalFilterBlendsByItsWetParameter) {
  m_engine.play(MemorySource::fromSamples(std::vector<float>(44100, 0.2f), 1, kRate));
  auto filter = std::make_shared<InvertFilter>();
  m_engine.setGlobalFilter(3, filter);
  EXPECT_TRUE(m_engine.hasGlobalFilter(3));
  EXPECT_FLOAT_EQ(m_engine.filterParameter(3, FilterInstance::kWet), 1.0f);
  EXPECT_NEAR(render(m_mixer, 512).left[9], -0.2f, 1e-6f);
  m_engine.setFilterParameter(3, FilterInstance::kWet, 0.25f);
  EXPECT_FLOAT_EQ(m_engine.filterParameter(3, FilterInstance::kWet), 0.25f);
  EXPECT_NEAR(render(m_mixer, 512).left[9], 0.1f, 1e-6f);
  m_engine.setFilterParameter(3, FilterInstance::kWet, 0.5f);
  EXPECT_NEAR(render(m_mixer, 512).left[9], 0.0f, 1e-6f);
  // Two inverting slots cancel out.
  m_engine.setGlobalFilter(7, filter);
  m_engine.setFilterParameter(3, FilterInstance::kWet, 1.0f);
  EXPECT_NEAR(render(m_mixer, 512).left[9], 0.2f, 1e-6f);
  m_engine.setGlobalFilter(3, nullptr);
  m_engine.setGlobalFilter(7, nullptr);
  EXPECT_FALSE(m_engine.hasGlobalFilter(3));
  EXPECT_NEAR(render(m_mixer, 512).left[9], 0.2f, 1e-6f);
}

TEST_F(MixerTest, FilterSlotsOutOfRangeAreIgnored) {
  m_engine.setGlobalFilter(SubMixer::kFilterSlots, std::make_shared<InvertFilter>());
  EXPECT_FALSE(m_engine.hasGlobalFilter(SubMixer::kFilterSlots));
  EXPECT_EQ(m_engine.filterParameter(SubMixer::kFilterSlots, 0), 0.0f);
  EXPECT_EQ(m_engine.filterParameter(0, 0), 0.0f);
  m_engine.setFilterParameter(0, 0, 0.5f);
  m_engine.setGlobalFilter(0, std::make_shared<InvertFilter>());
  EXPECT_EQ(m_engine.filterParameter(0, 5), 0.0f);
}

TEST(MixerDevice, OpensTheDummyDriverAndPlaysInRealTime) {
  setenv("SDL_AUDIODRIVER", "dummy", 0);
  Mixer mixer(Mixer::Output::Device);
  EXPECT_FALSE(mixer.offline());
  EXPECT_GT(mixer.sampleRate(), 0u);
  SubMixer engine(mixer);
  const VoiceHandle voice = engine.play(MemorySource::fromSamples(std::vector<float>(2205, 0.1f), 1, 44100));
  EXPECT_TRUE(engine.isValidVoiceHandle(voice));
  for (int i = 0; i < 200 && engine.isValidVoiceHandle(voice); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_FALSE(engine.isValidVoiceHandle(voice));
}

TEST(MixerDevice, FallsBackToTheDummyDriverWhenNoDeviceOpens) {
  const char* previous = std::getenv("SDL_AUDIODRIVER");
  const std::string saved = previous ? previous : "";
  setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
  {
    Mixer mixer(Mixer::Output::Device);
    EXPECT_EQ(mixer.driverName(), "dummy");
    EXPECT_FALSE(mixer.offline());
  }
  if (previous) setenv("SDL_AUDIODRIVER", saved.c_str(), 1);
  else unsetenv("SDL_AUDIODRIVER");
}

}  // namespace
}  // namespace audio::mixer
