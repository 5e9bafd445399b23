#include "audio/AudioSystem.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <map>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "audio/AudioMath.h"
#include "audio/SourceCache.h"
#include "audio/midi/MidiSynth.h"
#include "audio/mixer/Mixer.h"
#include "tests/audio/MidiFiles.h"
#include "tests/audio/SoundFiles.h"

namespace audio {
namespace {

constexpr unsigned kRate = 44100;

struct Rendered {
  std::vector<float> left;
  std::vector<float> right;
};

class AudioSystemTest : public ::testing::Test {
 protected:
  // Mono 16-bit WAV of `frames` copies of `level`.
  void addLevel(const std::string& name, float level, std::size_t frames) {
    m_files[name] = test::makeWav(std::vector<float>(frames, level), 1, kRate);
  }
  void addSamples(const std::string& name, const std::vector<float>& samples, unsigned channels = 1) {
    m_files[name] = test::makeWav(samples, channels, kRate);
  }

  Rendered render(std::size_t frames) {
    std::vector<float> interleaved(frames * 2);
    m_mixer.render(interleaved.data(), frames);
    Rendered out;
    for (std::size_t i = 0; i < frames; ++i) {
      out.left.push_back(interleaved[2 * i]);
      out.right.push_back(interleaved[2 * i + 1]);
    }
    return out;
  }
  // The left channel after one block has settled a volume ramp.
  float level() {
    render(1024);
    return render(16).left[8];
  }

  std::map<std::string, std::vector<std::uint8_t>> m_files;
  mixer::Mixer m_mixer{mixer::Mixer::Output::Offline, kRate};
  ManualTaskRunner m_tasks;
  SourceCache m_sources{[this](const std::string& name) -> std::optional<FoundSound> {
    std::string found = name;
    auto it = m_files.find(name);
    if (it == m_files.end()) {
      it = m_files.find(name + ".mid");
      if (it == m_files.end()) return std::nullopt;
      found = it->first;
    }
    return FoundSound{mixer::SoundData::fromMemory(it->second, found), it->second.size(), found};
  }};
  AudioSystem m_system{m_mixer, m_sources, m_tasks};
};

TEST_F(AudioSystemTest, ScriptVolumeHundredIsGainOnePointSixAndSlotVolumeHundredIsUnity) {
  addLevel("bgm", 0.25f, kRate * 2);
  m_system.bgmPlay("bgm", volumeCurve(100), 100, 0);
  EXPECT_NEAR(level(), 0.4f, 1e-3f);
  m_system.player(kBgmChannel)->setVolume(100);
  EXPECT_NEAR(level(), 0.25f, 1e-3f);
}

TEST_F(AudioSystemTest, PanAndPitchReachTheVoice) {
  addSamples("se", test::sine(441.0, 0.3, kRate, kRate));
  m_system.sePlay("se", 100, 200);
  Audio_WavePlayer* se = m_system.player(kFirstSeChannel);
  ASSERT_NE(se, nullptr);
  se->setPan(100);
  render(2048);
  const Rendered out = render(8192);
  double leftEnergy = 0.0;
  for (float v : out.left) leftEnergy += v * v;
  EXPECT_LT(leftEnergy, 1e-6);
  EXPECT_NEAR(test::analyse(out.right, kRate).peakHz, 882.0, 10.0);
}

TEST_F(AudioSystemTest, LoopingBgmWrapsWithoutAClick) {
  const auto samples = test::signature(5000, 1);
  addSamples("loop", samples);
  m_system.bgmPlay("loop", 100, 100, 0);
  const Rendered out = render(12000);
  // 16-bit storage: the same stored sample comes back bit-identical on every pass.
  for (std::size_t i = 0; i < 2000; ++i) {
    ASSERT_EQ(out.left[5000 + i], out.left[i]) << i;
    ASSERT_EQ(out.left[10000 + i], out.left[i]) << i;
  }
  EXPECT_NEAR(out.left[1234], samples[1234], 1e-4f);
}

TEST_F(AudioSystemTest, PositionCountsSourceSamples) {
  addLevel("bgm", 0.1f, kRate * 2);
  addLevel("bgs", 0.1f, kRate * 2);
  EXPECT_EQ(m_system.bgmPosition(), 0);
  m_system.bgmPlay("bgm", 100, 100, 0);
  m_system.bgsPlay("bgs", 100, 100, 3000);
  // Whole mixer blocks.
  render(10240);
  EXPECT_EQ(m_system.bgmPosition(), 10240);
  EXPECT_EQ(m_system.bgsPosition(), 13240);
  m_system.bgmStop();
  EXPECT_EQ(m_system.bgmPosition(), 0);
}

TEST_F(AudioSystemTest, SameBgmKeepsPlayingButRestartsOnceFading) {
  addLevel("bgm", 0.1f, kRate * 3);
  m_system.bgmPlay("bgm", 100, 100, 0);
  Audio_WavePlayer* first = m_system.player(kBgmChannel);
  render(8192);
  m_system.bgmPlay("bgm", 50, 120, 0);
  EXPECT_EQ(m_system.player(kBgmChannel), first);
  EXPECT_EQ(first->volume(), 50);
  EXPECT_EQ(first->pitch(), 120);
  EXPECT_EQ(m_system.bgmPosition(), 8192);

  m_system.bgmFade(1000);
  m_system.bgmPlay("bgm", 100, 100, 0);
  EXPECT_EQ(m_system.bgmPosition(), 0);
  EXPECT_FALSE(m_system.player(kBgmChannel)->fadingOut());
}

TEST_F(AudioSystemTest, EleventhSeReusesChannelTenAndStopsTheFirst) {
  for (int i = 0; i < 11; ++i) addLevel("se" + std::to_string(i), 0.01f, kRate);
  for (int i = 0; i < 10; ++i) m_system.sePlay("se" + std::to_string(i), 100, 100);
  Audio_WavePlayer* first = m_system.player(10);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->fileName(), "se0");
  for (int id = 10; id <= 19; ++id) ASSERT_TRUE(m_system.player(id)->playing()) << id;
  m_system.sePlay("se10", 100, 100);
  EXPECT_EQ(m_system.player(10)->fileName(), "se10");
  EXPECT_EQ(m_system.player(11)->fileName(), "se1");
  EXPECT_EQ(m_system.nextSeChannel(), 11);
  m_system.seStop();
  for (int id = 10; id <= 19; ++id) EXPECT_FALSE(m_system.player(id)->playing()) << id;
}

TEST_F(AudioSystemTest, FadeOutReachesSilenceInItsTime) {
  addLevel("bgm", 0.25f, kRate * 5);
  m_system.bgmPlay("bgm", 100, 100, 0);
  EXPECT_NEAR(level(), 0.25f, 1e-3f);
  m_system.bgmFade(500);
  m_tasks.advance(0);
  EXPECT_NEAR(level(), 0.25f, 1e-3f);
  m_tasks.advance(200);
  EXPECT_NEAR(level(), 0.25f * 0.6f, 1e-3f);
  m_tasks.advance(200);
  EXPECT_NEAR(level(), 0.25f * 0.2f, 1e-3f);
  EXPECT_TRUE(m_system.player(kBgmChannel)->playing());
  m_tasks.advance(100);
  EXPECT_FALSE(m_system.player(kBgmChannel)->playing());
  EXPECT_EQ(level(), 0.0f);
  EXPECT_EQ(m_system.bgmPosition(), 0);
}

TEST_F(AudioSystemTest, MeSilencesAndHoldsTheBgmThenItResumesAndFadesInOverOneSecond) {
  addLevel("bgm", 0.25f, kRate * 10);
  addLevel("me", 0.1f, 13000);
  m_system.bgmPlay("bgm", 100, 100, 0);
  render(4096);
  m_system.mePlay("me", 100, 100);
  m_tasks.advance(0);
  EXPECT_NEAR(level(), 0.1f, 1e-3f);
  const std::int64_t held = m_system.bgmPosition();
  render(4096);
  EXPECT_EQ(m_system.bgmPosition(), held);
  EXPECT_GE(held, 4096);
  EXPECT_LE(held, 4096 + 1024);
  EXPECT_EQ(m_system.player(kBgmChannel)->volume(), 0);

  render(13000);
  EXPECT_TRUE(m_system.player(kMeChannel)->isFinished());
  m_tasks.advance(100);
  render(4096);
  EXPECT_EQ(m_system.bgmPosition(), held + 4096);
  EXPECT_EQ(m_system.player(kBgmChannel)->volume(), 0);
  std::vector<int> volumes;
  for (int step = 0; step < 11; ++step) {
    m_tasks.advance(100);
    volumes.push_back(m_system.player(kBgmChannel)->volume());
  }
  EXPECT_EQ(volumes, (std::vector<int>{10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 100}));
  EXPECT_NEAR(level(), 0.25f, 1e-3f);
  EXPECT_FALSE(m_system.player(kBgmChannel)->tasksRunning());
}

TEST_F(AudioSystemTest, SecondMeDuringTheWaitRestoresTheOriginalVolume) {
  addLevel("bgm", 0.25f, kRate * 10);
  addLevel("me", 0.1f, 3000);
  m_system.bgmPlay("bgm", 80, 100, 0);
  m_system.mePlay("me", 100, 100);
  m_tasks.advance(0);
  m_system.mePlay("me", 100, 100);
  render(8192);
  m_tasks.advance(100);
  m_tasks.advance(1100);
  EXPECT_EQ(m_system.player(kBgmChannel)->volume(), 80);
}

TEST_F(AudioSystemTest, MissingAndCorruptFilesPlayNothing) {
  m_files["junk"] = std::vector<std::uint8_t>(3000, 0x5a);
  std::mt19937 random(1);
  for (int i = 0; i < 20; ++i) {
    std::vector<std::uint8_t> bytes = test::makeWav(test::sine(300.0, 0.2, kRate, 2000), 1, kRate);
    bytes.resize(random() % bytes.size());
    for (int flips = 0; flips < 30 && !bytes.empty(); ++flips) bytes[random() % bytes.size()] = static_cast<std::uint8_t>(random());
    m_files["cut" + std::to_string(i)] = bytes;
  }
  m_system.bgmPlay("nothing", 100, 100, 0);
  m_system.mePlay("junk", 100, 100);
  for (int i = 0; i < 20; ++i) m_system.sePlay("cut" + std::to_string(i), 100, 100);
  m_tasks.advance(200);
  render(8192);
  m_sources.waitForLoader();
  for (int i = 0; i < 20; ++i) m_system.sePlay("cut" + std::to_string(i), 100, 100);
  render(8192);
  EXPECT_TRUE(m_system.player(kBgmChannel)->isFinished());
  EXPECT_EQ(m_system.bgmPosition(), 0);
}

TEST_F(AudioSystemTest, SmallSoundsStreamFirstThenPlayFromMemory) {
  addLevel("small", 0.1f, 5000);
  addLevel("large", 0.1f, 50000);
  ASSERT_LE(m_files["small"].size(), kStreamAboveBytes);
  auto first = m_sources.acquire("small");
  EXPECT_NE(dynamic_cast<mixer::StreamSource*>(first.get()), nullptr);
  m_sources.waitForLoader();
  EXPECT_EQ(m_sources.loadState("small"), SourceCache::LoadState::Decoded);
  auto second = m_sources.acquire("small");
  ASSERT_NE(dynamic_cast<mixer::MemorySource*>(second.get()), nullptr);
  EXPECT_EQ(second->lengthFrames(), 5000);

  auto large = m_sources.acquire("large");
  EXPECT_NE(dynamic_cast<mixer::StreamSource*>(large.get()), nullptr);
  EXPECT_EQ(m_sources.acquire("large"), large);
  EXPECT_EQ(m_sources.loadState("large"), SourceCache::LoadState::Unknown);
}

TEST_F(AudioSystemTest, ChannelsForNegativeIdsTakeTheSmallestFreeOne) {
  addLevel("a", 0.1f, 1000);
  EXPECT_EQ(m_system.playOnChannel(-1, "a", false), 0);
  EXPECT_EQ(m_system.playOnChannel(-1, "a", false), 1);
  EXPECT_EQ(m_system.player(-1), nullptr);
}

class AudioSystemMidiTest : public AudioSystemTest {
 protected:
  void SetUp() override {
    if (!midi::findSoundFont()) GTEST_SKIP() << "no SoundFont installed";
    test::MidiTrackWriter track;
    track.event(0, {0xC0, 0}).event(0, {0x90, 69, 100}).event(96000, {0x80, 69, 0}).end();
    m_files["Audio/BGM/Theme.mid"] = test::makeMidi({track});
  }
};

TEST_F(AudioSystemMidiTest, MidiBgmLeavesTheSampledOnePlayingAndStopAddressesOnlyIt) {
  addLevel("bgm", 0.1f, kRate * 5);
  m_system.bgmPlay("bgm", 100, 100, 0);
  m_system.bgmPlay("Audio/BGM/Theme", 100, 100, 0);
  EXPECT_FALSE(m_system.bgmSampled());
  EXPECT_TRUE(m_system.midiPlayer().playing());
  m_tasks.advance(0);
  render(4096);
  EXPECT_FALSE(m_system.midiPlayer().isFinished());
  m_system.bgmStop();
  EXPECT_FALSE(m_system.midiPlayer().playing());
  EXPECT_TRUE(m_system.midiPlayer().isFinished());
  EXPECT_TRUE(m_system.player(kBgmChannel)->playing());
  EXPECT_FALSE(m_system.player(kBgmChannel)->isFinished());
}

TEST_F(AudioSystemMidiTest, ControlTaskTransposesAndStopSilencesAtOnce) {
  auto peakAt = [&](int pitch) {
    m_system.bgmPlay("Audio/BGM/Theme.mid", 100, pitch, 0);
    m_tasks.advance(0);
    render(8192);
    const Rendered out = render(16384);
    m_system.bgmStop();
    return test::analyse(out.left, kRate).peakHz;
  };
  const double centre = peakAt(100);
  const double raised = peakAt(150);
  EXPECT_NEAR(centre, 440.0, 8.0);
  EXPECT_NEAR(raised / centre, std::pow(2.0, 7.0 / 12.0), 0.02);

  m_system.bgmPlay("Audio/BGM/Theme.mid", 100, 100, 0);
  render(4096);
  m_system.bgmStop();
  const Rendered after = render(1024);
  for (float v : after.left) ASSERT_EQ(v, 0.0f);
}

TEST_F(AudioSystemMidiTest, DamagedMidiFilesPlayNothingAndCrashNothing) {
  std::mt19937 random(5);
  const std::vector<std::uint8_t> good = m_files["Audio/BGM/Theme.mid"];
  for (int i = 0; i < 40; ++i) {
    std::vector<std::uint8_t> bytes = good;
    if (i % 2 == 0) bytes.resize(random() % bytes.size());
    for (int flips = 0; flips < 8 && !bytes.empty(); ++flips) bytes[random() % bytes.size()] = static_cast<std::uint8_t>(random());
    if (i == 39) bytes.assign(5000, 0xff);
    const std::string name = "bad" + std::to_string(i) + ".mid";
    m_files[name] = bytes;
    m_system.bgmPlay(name, 160, 100, 0);
    m_tasks.advance(100);
    render(2048);
  }
  m_system.bgmPlay("missing.mid", 160, 100, 0);
  EXPECT_TRUE(m_system.midiPlayer().isFinished());
}

// The same operations on real task threads and in quick succession: every thread is joined when its player
// goes, and nothing races into a crash or hangs.
class AudioThreadsTest : public ::testing::Test {
 protected:
  std::map<std::string, std::vector<std::uint8_t>> m_files;
  mixer::Mixer m_mixer{mixer::Mixer::Output::Offline, kRate};
  ThreadTaskRunner m_tasks;
  SourceCache m_sources{[this](const std::string& name) -> std::optional<FoundSound> {
    auto it = m_files.find(name);
    if (it == m_files.end()) return std::nullopt;
    return FoundSound{mixer::SoundData::fromMemory(it->second, name), it->second.size(), name};
  }};
};

TEST_F(AudioThreadsTest, FadeEndsThePlayerOnItsOwnThread) {
  m_files["bgm"] = test::makeWav(std::vector<float>(kRate * 4, 0.1f), 1, kRate);
  AudioSystem system(m_mixer, m_sources, m_tasks);
  system.bgmPlay("bgm", 100, 100, 0);
  system.bgmFade(150);
  std::vector<float> block(2 * 512);
  for (int i = 0; i < 300 && system.player(kBgmChannel)->playing(); ++i) {
    m_mixer.render(block.data(), 512);
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_FALSE(system.player(kBgmChannel)->playing());
  EXPECT_EQ(system.player(kBgmChannel)->volume(), 0);
}

TEST_F(AudioThreadsTest, OverlappingTasksAndReplacementsNeverRace) {
  m_files["bgm"] = test::makeWav(std::vector<float>(kRate, 0.1f), 1, kRate);
  m_files["me"] = test::makeWav(std::vector<float>(2000, 0.1f), 1, kRate);
  std::mt19937 random(9);
  std::vector<float> block(2 * 512);
  for (int round = 0; round < 4; ++round) {
    AudioSystem system(m_mixer, m_sources, m_tasks);
    for (int i = 0; i < 60; ++i) {
      switch (random() % 6) {
        case 0: system.bgmPlay("bgm", 100, 100, 0); break;
        case 1: system.mePlay("me", 100, 100); break;
        case 2: system.bgmFade(static_cast<int>(random() % 300)); break;
        case 3: system.meFade(static_cast<int>(random() % 100)); break;
        case 4: system.bgmStop(); break;
        default: system.slotPlay(kMeChannel, "me", 100, 100); break;
      }
      m_mixer.render(block.data(), 512);
      std::this_thread::sleep_for(std::chrono::milliseconds(random() % 40));
    }
    // Once stopped, whatever task is left ends at its next step.
    system.bgmStop();
    system.meStop();
    for (int i = 0; i < 200 && (system.player(kBgmChannel) && system.player(kBgmChannel)->tasksRunning()); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    for (int id : {kBgmChannel, kMeChannel}) {
      if (Audio_WavePlayer* player = system.player(id)) {
        EXPECT_FALSE(player->tasksRunning()) << id;
      }
    }
  }
}

}  // namespace
}  // namespace audio
