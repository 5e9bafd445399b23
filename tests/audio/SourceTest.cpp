#include "audio/mixer/AudioSource.h"

#include <gtest/gtest.h>

#include <random>

#include "audio/mixer/Mixer.h"
#include "audio/mixer/SubMixer.h"
#include "tests/audio/SoundFiles.h"

namespace audio::mixer {
namespace {

using test::encodeFile;
using test::makeWav;
using test::readFile;
using test::signature;
using test::tempFolder;

constexpr unsigned kRate = 44100;

std::vector<float> renderLeft(Mixer& mixer, std::size_t frames, unsigned channel = 0) {
  std::vector<float> interleaved(frames * 2);
  mixer.render(interleaved.data(), frames);
  std::vector<float> out(frames);
  for (std::size_t i = 0; i < frames; ++i) out[i] = interleaved[2 * i + channel];
  return out;
}

TEST(MemorySourceTest, DecodesHandWrittenPcm) {
  const auto samples = signature(1000, 2);
  const auto source = MemorySource::load(SoundData::fromMemory(makeWav(samples, 2, 22050), "memory.wav"));
  ASSERT_TRUE(source);
  EXPECT_EQ(source->sampleRate(), 22050u);
  EXPECT_EQ(source->channels(), 2u);
  ASSERT_EQ(source->lengthFrames(), 1000);
  for (std::size_t i = 0; i < samples.size(); ++i)
    ASSERT_NEAR(source->samples()[i], samples[i], 1.0 / 32767) << i;
}

TEST(MemorySourceTest, WiderThanStereoIsMixedDown) {
  const auto samples = signature(500, 6);
  const auto source = MemorySource::load(SoundData::fromMemory(makeWav(samples, 6, kRate)));
  ASSERT_TRUE(source);
  EXPECT_EQ(source->channels(), 2u);
  EXPECT_EQ(source->lengthFrames(), 500);
}

// Every format decodes the same frames whether loaded whole or streamed, and a streamed seek lands on the
// frame the whole decode has there, forwards and backwards.
class FormatTest : public ::testing::TestWithParam<const char*> {
 protected:
  void SetUp() override {
    const std::string kind = GetParam();
    m_samples = signature(kRate * 3, 2);
    m_path = tempFolder() + "/format." + kind;
    bool made = true;
    if (kind == "wav") test::writeFile(m_path, makeWav(m_samples, 2, kRate));
    else if (kind == "flac") made = encodeFile(m_path, "flac", "flac", m_samples, 2, kRate);
    else if (kind == "ogg") made = encodeFile(m_path, "ogg", "libvorbis", m_samples, 2, kRate);
    else if (kind == "mp3") made = encodeFile(m_path, "mp3", "libmp3lame", m_samples, 2, kRate);
    if (!made) GTEST_SKIP() << "FFmpeg has no encoder for " << kind;
    m_whole = MemorySource::load(SoundData::fromFile(m_path));
    ASSERT_TRUE(m_whole);
  }

  std::vector<float> m_samples;
  std::string m_path;
  std::shared_ptr<MemorySource> m_whole;
};

TEST_P(FormatTest, StreamMatchesWholeDecodeAndSeeksExactly) {
  const auto stream = StreamSource::open(SoundData::fromFile(m_path));
  ASSERT_TRUE(stream);
  EXPECT_EQ(stream->sampleRate(), kRate);
  Mixer mixer(Mixer::Output::Offline, kRate);
  SubMixer engine(mixer, Clipping::None);
  const VoiceHandle voice = engine.play(stream);
  const std::vector<float>& whole = m_whole->samples();
  const auto compare = [&](std::int64_t from, std::size_t frames) {
    const auto out = renderLeft(mixer, frames);
    for (std::size_t i = 0; i < frames; ++i)
      ASSERT_EQ(out[i], whole[2 * (static_cast<std::size_t>(from) + i)]) << GetParam() << " at " << from << "+" << i;
  };
  compare(0, 8192);
  for (std::int64_t target : {100000, 5000, 77777, 1, 120000}) {
    engine.seekFrames(voice, target);
    compare(target, 4096);
    EXPECT_EQ(engine.positionFrames(voice), target + 4096);
  }
}

TEST_P(FormatTest, StreamFromMemoryMatchesStreamFromFile) {
  const auto stream = StreamSource::open(SoundData::fromMemory(readFile(m_path), "memory"));
  ASSERT_TRUE(stream);
  Mixer mixer(Mixer::Output::Offline, kRate);
  SubMixer engine(mixer, Clipping::None);
  engine.play(stream);
  const auto out = renderLeft(mixer, 4096, 1);
  for (std::size_t i = 0; i < 4096; ++i) ASSERT_EQ(out[i], m_whole->samples()[2 * i + 1]);
}

TEST_P(FormatTest, TruncatedFilesFailCleanlyOrPlayWhatTheyHold) {
  const auto bytes = readFile(m_path);
  for (std::size_t size : {std::size_t{0}, std::size_t{3}, std::size_t{40}, bytes.size() / 3, bytes.size() - 1}) {
    const std::vector<std::uint8_t> part(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(size));
    std::string error;
    const auto whole = MemorySource::load(SoundData::fromMemory(part, "part"), &error);
    if (!whole) {
      EXPECT_FALSE(error.empty());
    }
    const auto stream = StreamSource::open(SoundData::fromMemory(part, "part"));
    if (!stream) continue;
    Mixer mixer(Mixer::Output::Offline, kRate);
    SubMixer engine(mixer);
    const VoiceHandle voice = engine.play(stream);
    for (int i = 0; i < 400 && engine.isValidVoiceHandle(voice); ++i) renderLeft(mixer, 2048);
    EXPECT_FALSE(engine.isValidVoiceHandle(voice)) << "a truncated stream must end";
  }
}

INSTANTIATE_TEST_SUITE_P(Formats, FormatTest, ::testing::Values("wav", "flac", "ogg", "mp3"));

class LoopTagTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_samples = signature(kRate * 2, 1);
    m_path = tempFolder() + "/loop.ogg";
    if (!encodeFile(m_path, "ogg", "libvorbis", m_samples, 1, kRate, {{"LOOPSTART", "20000"}, {"LOOPLENGTH", "50000"}}))
      GTEST_SKIP() << "no Vorbis encoder";
  }
  std::vector<float> m_samples;
  std::string m_path;
};

TEST_F(LoopTagTest, TagsGiveLoopPointAndEnd) {
  const auto whole = MemorySource::load(SoundData::fromFile(m_path));
  const auto stream = StreamSource::open(SoundData::fromFile(m_path));
  ASSERT_TRUE(whole && stream);
  EXPECT_EQ(whole->loopPointFrames(), 20000);
  EXPECT_EQ(whole->loopEndFrames(), 70000);
  EXPECT_EQ(stream->loopPointFrames(), 20000);
  EXPECT_EQ(stream->loopEndFrames(), 70000);
}

TEST_F(LoopTagTest, StreamedLoopWrapsSampleExactly) {
  const auto whole = MemorySource::load(SoundData::fromFile(m_path));
  const auto stream = StreamSource::open(SoundData::fromFile(m_path));
  ASSERT_TRUE(whole && stream);
  Mixer mixer(Mixer::Output::Offline, kRate);
  SubMixer engine(mixer, Clipping::None);
  const VoiceHandle voice = engine.play(stream);
  engine.setLooping(voice, true);
  engine.setLoopPoint(voice, stream->loopPointFrames());
  const std::size_t frames = 200 * 512;
  const auto out = renderLeft(mixer, frames);
  std::size_t position = 0;
  for (std::size_t i = 0; i < frames; ++i) {
    ASSERT_EQ(out[i], whole->samples()[position]) << i;
    position = position + 1 == 70000 ? 20000 : position + 1;
  }
  EXPECT_EQ(engine.positionFrames(voice), static_cast<std::int64_t>(position));
}

TEST(StreamSourceTest, LoopingSwitchedOnLateStillLoops) {
  // Shorter than the reader's lookahead: the reader reaches the end before the loop flag arrives.
  const auto samples = signature(3000, 1);
  const auto stream = StreamSource::open(SoundData::fromMemory(makeWav(samples, 1, kRate)));
  ASSERT_TRUE(stream);
  Mixer mixer(Mixer::Output::Offline, kRate);
  SubMixer engine(mixer, Clipping::None);
  const VoiceHandle voice = engine.play(stream);
  renderLeft(mixer, 512);
  engine.setLooping(voice, true);
  const auto out = renderLeft(mixer, 8192);
  EXPECT_NEAR(out[3000 - 512 + 10], samples[10], 1.0 / 32767);
  EXPECT_TRUE(engine.isValidVoiceHandle(voice));
}

TEST(StreamSourceTest, LoopStartPastTheEndEndsInsteadOfSpinning) {
  const auto stream = StreamSource::open(SoundData::fromMemory(makeWav(signature(3000, 1), 1, kRate)));
  ASSERT_TRUE(stream);
  Mixer mixer(Mixer::Output::Offline, kRate);
  SubMixer engine(mixer);
  const VoiceHandle voice = engine.play(stream);
  engine.setLooping(voice, true);
  engine.setLoopPoint(voice, 1000000);
  for (int i = 0; i < 20; ++i) renderLeft(mixer, 512);
  EXPECT_FALSE(engine.isValidVoiceHandle(voice));
}

TEST(CorruptSoundTest, GarbageIsRefusedWithAMessage) {
  const std::vector<std::vector<std::uint8_t>> inputs = {
      {},
      {'R', 'I', 'F', 'F'},
      {'R', 'I', 'F', 'F', 0xff, 0xff, 0xff, 0xff, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' ', 0xff, 0xff, 0xff, 0x7f},
      {'O', 'g', 'g', 'S', 0, 2, 0, 0, 0, 0, 0, 0, 0, 0},
      std::vector<std::uint8_t>(5000, 0),
  };
  for (const auto& bytes : inputs) {
    std::string error;
    EXPECT_FALSE(MemorySource::load(SoundData::fromMemory(bytes, "bad"), &error)) << bytes.size();
    EXPECT_NE(error.find("bad"), std::string::npos) << error;
  }
  std::string error;
  EXPECT_FALSE(StreamSource::open(SoundData::fromFile(tempFolder() + "/missing.ogg"), &error));
  EXPECT_FALSE(error.empty());
}

TEST(CorruptSoundTest, RandomAndMangledBytesNeverCrashOrHang) {
  std::mt19937 random(1234);
  const std::string ogg = tempFolder() + "/fuzz.ogg";
  std::vector<std::uint8_t> valid = makeWav(signature(4000, 2), 2, kRate);
  std::vector<std::vector<std::uint8_t>> seeds = {valid};
  if (encodeFile(ogg, "ogg", "libvorbis", signature(8000, 1), 1, kRate)) seeds.push_back(readFile(ogg));
  Mixer mixer(Mixer::Output::Offline, kRate);
  SubMixer engine(mixer);
  for (int round = 0; round < 60; ++round) {
    std::vector<std::uint8_t> bytes;
    if (round % 3 == 0) {
      bytes.resize(random() % 3000);
      for (auto& byte : bytes) byte = static_cast<std::uint8_t>(random());
    } else {
      bytes = seeds[static_cast<std::size_t>(round) % seeds.size()];
      for (int flips = 0; flips < 20; ++flips) bytes[random() % bytes.size()] = static_cast<std::uint8_t>(random());
      bytes.resize(bytes.size() - random() % (bytes.size() / 2));
    }
    if (auto whole = MemorySource::load(SoundData::fromMemory(bytes))) engine.play(whole);
    if (auto stream = StreamSource::open(SoundData::fromMemory(bytes))) {
      const VoiceHandle voice = engine.play(stream);
      engine.seekFrames(voice, static_cast<std::int64_t>(random() % 100000));
    }
    renderLeft(mixer, 2048);
  }
  engine.stopAll();
  SUCCEED();
}

}  // namespace
}  // namespace audio::mixer
