#include "audio/midi/MidiSynth.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "audio/midi/MidiControl.h"
#include "audio/midi/MidiSource.h"
#include "audio/mixer/Mixer.h"
#include "audio/mixer/SubMixer.h"
#include "tests/audio/MidiFiles.h"
#include "tests/audio/SoundFiles.h"

namespace audio::midi {
namespace {

using mixer::Mixer;
using mixer::SubMixer;
using mixer::VoiceHandle;
using test::makeMidi;
using test::MidiTrackWriter;

constexpr unsigned kRate = 44100;

std::vector<float> renderLeft(Mixer& mixer, std::size_t frames) {
  std::vector<float> interleaved(frames * 2);
  mixer.render(interleaved.data(), frames);
  std::vector<float> out(frames);
  for (std::size_t i = 0; i < frames; ++i) out[i] = interleaved[2 * i];
  return out;
}

float peak(const std::vector<float>& samples, std::size_t from = 0, std::size_t to = SIZE_MAX) {
  float result = 0.0f;
  for (std::size_t i = from; i < std::min(to, samples.size()); ++i) result = std::max(result, std::fabs(samples[i]));
  return result;
}

class MidiSynthTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    m_synth = MidiSynth::create(kRate, &error);
    if (!m_synth) GTEST_SKIP() << error;
  }

  std::shared_ptr<MidiSource> source(const std::vector<MidiTrackWriter>& tracks, std::uint16_t division = 480) {
    std::string error;
    auto result = MidiSource::create(std::make_shared<const std::vector<std::uint8_t>>(makeMidi(tracks, division)),
                                     m_synth, &error);
    EXPECT_TRUE(result) << error;
    return result;
  }

  std::shared_ptr<MidiSynth> m_synth;
  Mixer m_mixer{Mixer::Output::Offline, kRate};
  SubMixer m_engine{m_mixer};
};

TEST_F(MidiSynthTest, EventTicksBecomeSamplePositionsAtTheFileTempo) {
  // 480 ticks per quarter at 250000 us per quarter: tick 480 is 0.25 s in.
  MidiTrackWriter track;
  track.tempo(0, 250000).event(0, {0xC0, 80}).event(480, {0x90, 69, 120}).event(480, {0x80, 69, 0}).end();
  m_engine.play(source({track}));
  const auto out = renderLeft(m_mixer, kRate);
  std::size_t onset = 0;
  while (onset < out.size() && std::fabs(out[onset]) < 1e-4f) ++onset;
  EXPECT_GE(onset, 11025u);
  EXPECT_LT(onset, 11025u + 256u);
  EXPECT_GT(peak(out, 12000, 20000), 0.01f);
}

TEST_F(MidiSynthTest, NonLoopingFileEndsAfterItsTail) {
  MidiTrackWriter track;
  track.event(0, {0x90, 60, 100}).event(240, {0x80, 60, 0}).end();
  const VoiceHandle voice = m_engine.play(source({track}));
  for (int i = 0; i < 400 && m_engine.isValidVoiceHandle(voice); ++i) renderLeft(m_mixer, 512);
  EXPECT_FALSE(m_engine.isValidVoiceHandle(voice));
}

TEST_F(MidiSynthTest, StopSilencesWithinOneBlockAndTheNextPlayStartsClean) {
  MidiTrackWriter longNote;
  longNote.event(0, {0xC0, 19}).event(0, {0x90, 60, 127}).event(100000, {0x80, 60, 0}).end();
  const auto organ = source({longNote});
  const VoiceHandle voice = m_engine.play(organ);
  EXPECT_GT(peak(renderLeft(m_mixer, 8192), 4096), 0.01f);
  m_engine.stop(voice);
  EXPECT_EQ(peak(renderLeft(m_mixer, 512)), 0.0f);
  MidiTrackWriter silent;
  silent.event(20000, {0xB0, 7, 100}).end();
  m_engine.play(source({silent}));
  // Only the reverb's last whisper may remain (the note itself peaked near 0.13).
  EXPECT_LT(peak(renderLeft(m_mixer, 4096)), 2e-3f) << "the stopped note must not ring on";
}

TEST_F(MidiSynthTest, SecondVoiceOnABusySynthesiserStaysSilent) {
  MidiTrackWriter longNote;
  longNote.event(0, {0x90, 60, 127}).event(100000, {0x80, 60, 0}).end();
  const auto first = m_engine.play(source({longNote}));
  const auto second = m_engine.play(source({longNote}));
  renderLeft(m_mixer, 1024);
  EXPECT_TRUE(m_engine.isValidVoiceHandle(first));
  EXPECT_FALSE(m_engine.isValidVoiceHandle(second));
  m_engine.stop(first);
  EXPECT_TRUE(m_engine.isValidVoiceHandle(m_engine.play(source({longNote}))));
}

TEST_F(MidiSynthTest, CoarseTuningOf150RaisesSevenSemitones) {
  auto measure = [&](int pitch) {
    MidiTrackWriter track;
    track.event(0, {0xC0, 73}).event(0, {0x90, 69, 110}).event(100000, {0x80, 69, 0}).end();
    const auto flute = source({track});
    for (std::uint32_t message : playerControlMessages(100, pitch, 0)) flute->post(message);
    const VoiceHandle voice = m_engine.play(flute);
    renderLeft(m_mixer, 8192);
    const auto out = renderLeft(m_mixer, 32768);
    m_engine.stop(voice);
    return test::analyse(out, kRate, 4).peakHz;
  };
  const double centre = measure(100);
  const double raised = measure(150);
  ASSERT_GT(centre, 100.0);
  EXPECT_NEAR(raised / centre, std::pow(2.0, 7.0 / 12.0), 0.02);
}

TEST_F(MidiSynthTest, LoopingFilePlaysOnAcrossTheRewind) {
  MidiTrackWriter track;
  track.event(0, {0xC0, 19}).event(0, {0xB0, 111, 0}).event(0, {0x90, 60, 120}).event(960, {0x80, 60, 0}).end();
  const VoiceHandle voice = m_engine.play(source({track}));
  m_engine.setLooping(voice, true);
  // 960 ticks at 120 bpm is one second; well after several loops the note is sounding again.
  renderLeft(m_mixer, kRate * 3);
  EXPECT_TRUE(m_engine.isValidVoiceHandle(voice));
  EXPECT_GT(peak(renderLeft(m_mixer, kRate / 2)), 0.01f);
}

TEST_F(MidiSynthTest, MangledFilesPlayBrieflyOrNotAtAll) {
  MidiTrackWriter a, b;
  a.tempo(0, 1000).event(0, {0x90, 60, 100}).event(1, {0xB0, 111, 0}).event(1, {61, 100}).end();
  b.event(0, {0xF0, 2, 1, 0xF7}).event(2, {0xE0, 0, 64}).meta(1, 0x01, {'a'}).end();
  const auto valid = makeMidi({a, b}, 1);
  std::mt19937 random(7);
  for (int round = 0; round < 60; ++round) {
    std::vector<std::uint8_t> bytes = valid;
    for (int flips = 0; flips < 1 + round % 6; ++flips) bytes[random() % bytes.size()] = static_cast<std::uint8_t>(random());
    bytes.resize(bytes.size() - random() % 8);
    auto file = MidiSource::create(std::make_shared<const std::vector<std::uint8_t>>(bytes), m_synth);
    if (!file) continue;
    const VoiceHandle voice = m_engine.play(file);
    m_engine.setLooping(voice, true);
    renderLeft(m_mixer, 2048);
    m_engine.stop(voice);
  }
}

TEST_F(MidiSynthTest, NearZeroLengthLoopEndsInsteadOfStallingTheMixer) {
  // One tick per loop at 1 us per quarter and 32767 ticks per quarter: millions of loops per output frame.
  MidiTrackWriter track;
  track.tempo(0, 1).event(0, {0xB0, 111, 0}).event(1, {0xB0, 7, 100}).end();
  const VoiceHandle voice = m_engine.play(source({track}, 0x7fff));
  m_engine.setLooping(voice, true);
  for (int i = 0; i < 400 && m_engine.isValidVoiceHandle(voice); ++i) renderLeft(m_mixer, 512);
  EXPECT_FALSE(m_engine.isValidVoiceHandle(voice));
}

TEST(MidiSoundFontTest, EnvironmentOverrideMustBeASoundFont) {
  const std::string notAFont = test::tempFolder() + "/not-a-font.sf2";
  test::writeFile(notAFont, {'R', 'I', 'F', 'F', 0, 0, 0, 0});
  setenv("QUILLON_SOUNDFONT", notAFont.c_str(), 1);
  const auto found = findSoundFont();
  unsetenv("QUILLON_SOUNDFONT");
  if (found) {
    EXPECT_NE(*found, notAFont);
  }
  std::string error;
  EXPECT_FALSE(MidiSynth::create(kRate, &error, notAFont));
  EXPECT_FALSE(error.empty());
}

}  // namespace
}  // namespace audio::midi
