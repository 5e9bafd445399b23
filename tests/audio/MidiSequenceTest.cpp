#include "audio/midi/MidiSequence.h"

#include <gtest/gtest.h>

#include <random>

#include "tests/audio/MidiFiles.h"
#include "audio/midi/MidiControl.h"

namespace audio::midi {
namespace {

using test::makeMidi;
using test::MidiTrackWriter;

std::unique_ptr<MidiSequence> openBytes(const std::vector<std::uint8_t>& bytes) {
  return MidiSequence::open(std::make_shared<const std::vector<std::uint8_t>>(bytes));
}

struct Played {
  std::uint32_t tick;
  std::uint32_t delta;
  std::uint32_t data;
};

std::vector<Played> take(MidiSequence& sequence, std::size_t count) {
  std::vector<Played> out;
  while (out.size() < count) {
    const auto event = sequence.next();
    if (!event) break;
    out.push_back({event->tick, event->deltaTicks, event->data});
  }
  return out;
}

constexpr std::uint32_t noteOn(std::uint8_t channel, std::uint8_t key) { return 0x90u | channel | key << 8 | 100u << 16; }

TEST(MidiSequenceTest, MergesTracksByTimeWithTiesToTheLowerTrack) {
  MidiTrackWriter first, second;
  first.event(0, {0x90, 60, 100}).event(480, {0x90, 62, 100}).end();
  second.event(0, {0x91, 40, 100}).event(240, {0x91, 41, 100}).event(240, {0x91, 42, 100}).end();
  auto sequence = openBytes(makeMidi({first, second}));
  ASSERT_TRUE(sequence);
  const auto played = take(*sequence, 10);
  ASSERT_EQ(played.size(), 5u);
  const std::vector<std::uint32_t> order = {noteOn(0, 60), noteOn(1, 40), noteOn(1, 41), noteOn(0, 62), noteOn(1, 42)};
  const std::vector<std::uint32_t> deltas = {0, 0, 240, 240, 0};
  for (std::size_t i = 0; i < played.size(); ++i) {
    EXPECT_EQ(played[i].data, order[i]) << i;
    EXPECT_EQ(played[i].delta, deltas[i]) << i;
  }
  EXPECT_TRUE(sequence->ended());
}

TEST(MidiSequenceTest, RunningStatusAndOneByteMessages) {
  MidiTrackWriter track;
  track.event(0, {0x90, 60, 100}).event(10, {62, 90}).event(10, {0xC3, 19}).event(10, {0xD3, 50}).event(10, {0x93, 64, 1}).end();
  auto sequence = openBytes(makeMidi({track}));
  const auto played = take(*sequence, 10);
  ASSERT_EQ(played.size(), 5u);
  EXPECT_EQ(played[1].data, 0x90u | 62u << 8 | 90u << 16);
  EXPECT_EQ(played[2].data, 0xC3u | 19u << 8);
  EXPECT_EQ(played[3].data, 0xD3u | 50u << 8);
  EXPECT_EQ(played[4].data, 0x93u | 64u << 8 | 1u << 16);
}

MidiTrackWriter songWithMarker(bool marker) {
  MidiTrackWriter track;
  track.event(0, {0x90, 60, 100}).event(960, {0x80, 60, 0});
  if (marker) track.event(960, {0xB0, 111, 0});
  else track.event(960, {0xB0, 7, 100});
  track.event(0, {0x90, 67, 100}).event(960, {0x80, 67, 0}).event(960, {0x90, 72, 100}).end();
  return track;
}

TEST(MidiSequenceTest, LoopsBackToTheMarkerAtItsTick) {
  auto sequence = openBytes(makeMidi({songWithMarker(true)}));
  sequence->setLooping(true);
  const auto played = take(*sequence, 6 + 8);
  ASSERT_EQ(played.size(), 14u);
  EXPECT_EQ(sequence->loopPoint(), 1920u);
  // Second pass: from the marker on, timed from the loop point.
  EXPECT_EQ(played[6].tick, 1920u);
  EXPECT_EQ(played[6].data, 0xB0u | 111u << 8);
  EXPECT_EQ(played[6].delta, 0u);
  EXPECT_EQ(played[7].data, noteOn(0, 67));
  EXPECT_EQ(played[8].delta, 960u);
  EXPECT_EQ(played[10].tick, 1920u);
  EXPECT_FALSE(sequence->ended());
}

TEST(MidiSequenceTest, LoopsToTheStartWithoutAMarker) {
  auto sequence = openBytes(makeMidi({songWithMarker(false)}));
  sequence->setLooping(true);
  const auto played = take(*sequence, 12);
  ASSERT_EQ(played.size(), 12u);
  EXPECT_EQ(sequence->loopPoint(), 0u);
  EXPECT_EQ(played[6].data, played[0].data);
  EXPECT_EQ(played[6].tick, 0u);
  // The wrap itself takes no time (never a delta that runs backwards).
  EXPECT_EQ(played[6].delta, 0u);
  EXPECT_EQ(played[7].delta, 960u);
}

TEST(MidiSequenceTest, FirstPassPlaysOtherTracksEventsBeforeTheMarker) {
  MidiTrackWriter markerTrack, notes;
  markerTrack.event(1920, {0xB0, 111, 0}).event(480, {0x90, 70, 100}).end();
  notes.event(0, {0x91, 50, 100}).event(1800, {0x81, 50, 0}).end();
  auto sequence = openBytes(makeMidi({markerTrack, notes}));
  sequence->setLooping(true);
  const auto played = take(*sequence, 6);
  ASSERT_GE(played.size(), 4u);
  EXPECT_EQ(played[1].data, 0x81u | 50u << 8);
  EXPECT_EQ(played[1].tick, 1800u);
  // After the rewind the note-off before the marker is not replayed.
  EXPECT_EQ(played[4].tick, 1920u);
  EXPECT_EQ(played[5].tick, 2400u);
}

TEST(MidiSequenceTest, SystemExclusiveAndLongMetaEventsKeepTheTiming) {
  MidiTrackWriter track;
  std::vector<std::uint8_t> sysex = {0xF0};
  test::appendVarLen(sysex, 200);
  sysex.resize(sysex.size() + 200, 0x11);
  track.event(0, {0x90, 60, 100}).raw(240, sysex).meta(240, 0x01, std::vector<std::uint8_t>(300, 'a'));
  track.event(480, {0x80, 60, 0}).tempo(120, 400000).end();
  auto sequence = openBytes(makeMidi({track}));
  const auto played = take(*sequence, 10);
  ASSERT_EQ(played.size(), 3u);
  EXPECT_EQ(played[1].tick, 960u);
  EXPECT_EQ(played[1].delta, 960u);
  EXPECT_EQ(played[2].data, 400000u);
  EXPECT_EQ(played[2].delta, 120u);
}

TEST(MidiSequenceTest, LoopingFilesWithNothingToReplayEnd) {
  MidiTrackWriter empty;
  empty.end(960);
  auto nothing = openBytes(makeMidi({empty}));
  nothing->setLooping(true);
  EXPECT_FALSE(nothing->next());
  EXPECT_TRUE(nothing->ended());

  MidiTrackWriter instant;
  instant.event(0, {0x90, 60, 100}).event(0, {0x80, 60, 0}).end(480);
  auto zeroLength = openBytes(makeMidi({instant}));
  zeroLength->setLooping(true);
  EXPECT_EQ(take(*zeroLength, 100).size(), 2u);
}

TEST(MidiSequenceTest, RefusesWhatIsNotAMidiFile) {
  const std::vector<std::vector<std::uint8_t>> bad = {
      {},
      {'M', 'T', 'h', 'd'},
      {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1, 0, 1, 0, 0},           // division 0
      {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1, 0, 1, 1, 0xe0},        // no track chunk
      {'M', 'T', 'h', 'd', 0xff, 0xff, 0xff, 0xff, 0, 1, 0, 1, 1, 0xe0},
      {'R', 'I', 'F', 'F', 4, 0, 0, 0, 'R', 'M', 'I', 'D'},
  };
  for (const auto& bytes : bad) {
    std::string error;
    EXPECT_FALSE(MidiSequence::open(std::make_shared<const std::vector<std::uint8_t>>(bytes), &error));
    EXPECT_FALSE(error.empty());
  }
}

TEST(MidiSequenceTest, ReadsRiffWrappedFiles) {
  const auto smf = makeMidi({songWithMarker(true)});
  std::vector<std::uint8_t> riff = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'R', 'M', 'I', 'D', 'd', 'a', 't', 'a'};
  const auto size = static_cast<std::uint32_t>(smf.size());
  for (int i = 0; i < 4; ++i) riff.push_back(static_cast<std::uint8_t>(size >> (8 * i)));
  riff.insert(riff.end(), smf.begin(), smf.end());
  auto sequence = openBytes(riff);
  ASSERT_TRUE(sequence);
  EXPECT_EQ(take(*sequence, 10).size(), 6u);
}

TEST(MidiSequenceTest, TruncatedAndMangledFilesEndWithoutOverreading) {
  MidiTrackWriter a, b;
  a.event(0, {0x90, 60, 100}).tempo(10, 300000).event(100, {61, 100}).event(100, {0xF0, 3, 1, 2, 0xF7}).end();
  b.event(5, {0xB0, 111, 0}).event(100, {0x91, 40, 90}).meta(30, 0x03, {'x', 'y'}).event(50, {0xE1, 0, 64}).end();
  const auto valid = makeMidi({a, b});
  std::mt19937 random(99);
  for (int round = 0; round < 400; ++round) {
    std::vector<std::uint8_t> bytes = valid;
    if (round < 60) {
      bytes.resize(static_cast<std::size_t>(round) * valid.size() / 60);
    } else {
      for (int flips = 0; flips < 1 + round % 8; ++flips)
        bytes[random() % bytes.size()] = static_cast<std::uint8_t>(random());
    }
    // Exact-size heap copies make any over-read visible to the sanitizer build.
    auto sequence = openBytes(bytes);
    if (!sequence) continue;
    std::size_t events = 0;
    while (sequence->next()) ASSERT_LT(++events, bytes.size()) << "round " << round;
    sequence->restart();
    sequence->setLooping(true);
    for (int i = 0; i < 200 && sequence->next(); ++i) {
    }
  }
}

struct ControlCase {
  int value;
  std::uint8_t expect;
};

TEST(MidiControlTest, ControllerValuesStayInRange) {
  for (auto [volume, expect] : {ControlCase{100, 127}, ControlCase{160, 127}, ControlCase{50, 63}, ControlCase{0, 0},
                                ControlCase{87, 110}})
    EXPECT_EQ(volumeControllerValue(volume), expect) << volume;
  for (auto [pitch, expect] : {ControlCase{150, 71}, ControlCase{100, 64}, ControlCase{50, 57}, ControlCase{0, 50},
                               ControlCase{200, 78}, ControlCase{125, 67}})
    EXPECT_EQ(coarseTuningValue(pitch), expect) << pitch;
  for (auto [pan, expect] : {ControlCase{-100, 0}, ControlCase{0, 63}, ControlCase{100, 127}, ControlCase{50, 95}})
    EXPECT_EQ(panControllerValue(pan), expect) << pan;
}

TEST(MidiControlTest, PlayerMessagesSelectAndReleaseCoarseTuningOnEveryChannel) {
  const auto messages = playerControlMessages(160, 150, -100);
  ASSERT_EQ(messages.size(), 16u * 8u);
  const std::uint32_t* channel5 = messages.data() + 5 * 8;
  EXPECT_EQ(channel5[0], controlChange(5, 7, 127));
  EXPECT_EQ(channel5[1], 0xB5u | 100u << 8 | 2u << 16);
  EXPECT_EQ(channel5[2], 0xB5u | 101u << 8);
  EXPECT_EQ(channel5[3], 0xB5u | 6u << 8 | 71u << 16);
  EXPECT_EQ(channel5[4], 0xB5u | 38u << 8);
  EXPECT_EQ(channel5[5], 0xB5u | 100u << 8 | 127u << 16);
  EXPECT_EQ(channel5[6], 0xB5u | 101u << 8 | 127u << 16);
  EXPECT_EQ(channel5[7], 0xB5u | 10u << 8);
}

}  // namespace
}  // namespace audio::midi
