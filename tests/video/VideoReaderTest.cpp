// The reader on movies written by FFmpeg's own encoders: sizes and frame durations, frames in bottom-up
// blue-green-red rows, the sound track written once as a ".wav", and files that are not movies.

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "TestMovies.h"
#include "video/VideoReader.h"

namespace {

using video::VideoReader;
using video::test::TempFolder;

// The 0xRRGGBB pixel at column x of the stored row i.
std::uint32_t storedPixel(const VideoReader& reader, int row, int x) {
  const std::uint8_t* at = reader.frameRow(row) + 3 * x;
  return static_cast<std::uint32_t>(at[2]) << 16 | static_cast<std::uint32_t>(at[1]) << 8 | at[0];
}

TEST(VideoReader, WavPathReplacesOnlyTheLastComponentsExtension) {
  EXPECT_EQ(video::wavPathFor("Movies/Intro.wmv"), "Movies/Intro.wav");
  EXPECT_EQ(video::wavPathFor("Movies/intro"), "Movies/intro.wav");
  EXPECT_EQ(video::wavPathFor("my.movies/intro"), "my.movies/intro.wav");
  EXPECT_EQ(video::wavPathFor("a.b.ogv"), "a.b.wav");
}

class ReaderOnContainer : public testing::TestWithParam<const char*> {};

TEST_P(ReaderOnContainer, SolidFramesComeBackInOrderWithSizeAndDuration) {
  TempFolder folder;
  const std::string path = folder.file(std::string("solid.") + GetParam());
  ASSERT_TRUE(video::test::write(path, video::test::solidMovie(7, 5, 4)));
  VideoReader reader(path);
  ASSERT_TRUE(reader.ok()) << reader.error();
  EXPECT_TRUE(reader.hasVideo());
  EXPECT_FALSE(reader.hasAudio());
  EXPECT_EQ(reader.width(), 7);
  EXPECT_EQ(reader.height(), 5);
  EXPECT_EQ(reader.frameRowBytes(), 21);
  EXPECT_EQ(reader.frameDuration(), 333'333);
  for (int n = 0; n < 4; ++n) {
    ASSERT_TRUE(reader.nextFrame()) << "frame " << n;
    for (int row = 0; row < 5; ++row) {
      for (int x = 0; x < 7; ++x) ASSERT_EQ(storedPixel(reader, row, x), video::test::colourOf(n)) << n;
    }
  }
  EXPECT_FALSE(reader.nextFrame());
  EXPECT_FALSE(reader.nextFrame());
  EXPECT_FALSE(video::test::fileExists(reader.wavPath()));
}

INSTANTIATE_TEST_SUITE_P(Containers, ReaderOnContainer, testing::Values("mkv", "avi", "nut"));

TEST(VideoReader, RowsAreStoredBottomOfThePictureFirst) {
  TempFolder folder;
  const std::string path = folder.file("quadrants.mkv");
  ASSERT_TRUE(video::test::write(path, video::test::quadrantMovie(9, 6)));
  VideoReader reader(path);
  ASSERT_TRUE(reader.ok()) << reader.error();
  ASSERT_TRUE(reader.nextFrame());
  for (int y = 0; y < 6; ++y) {
    for (int x = 0; x < 9; ++x) {
      EXPECT_EQ(storedPixel(reader, 5 - y, x), video::test::quadrantColour(9, 6, x, y)) << x << "," << y;
    }
  }
  EXPECT_EQ(reader.frameRow(6), nullptr);
  EXPECT_EQ(reader.frameRow(-1), nullptr);
}

TEST(VideoReader, FrameDurationFollowsTheFrameRate) {
  TempFolder folder;
  const std::string path = folder.file("pal.mkv");
  ASSERT_TRUE(video::test::write(path, video::test::solidMovie(4, 4, 2, 25)));
  VideoReader reader(path);
  ASSERT_TRUE(reader.ok()) << reader.error();
  EXPECT_EQ(reader.frameDuration(), 400'000);
}

TEST(VideoReader, LossyMovieDecodesCloseToItsColours) {
  TempFolder folder;
  const std::string path = folder.file("lossy.avi");
  video::writer::MovieSpec spec = video::test::solidMovie(32, 16, 3);
  spec.codec = video::writer::VideoCodec::Mpeg4;
  ASSERT_TRUE(video::test::write(path, spec));
  VideoReader reader(path);
  ASSERT_TRUE(reader.ok()) << reader.error();
  int frames = 0;
  while (reader.nextFrame()) {
    const std::uint32_t expected = video::test::colourOf(frames);
    const std::uint32_t got = storedPixel(reader, 8, 16);
    for (int shift : {0, 8, 16}) {
      EXPECT_NEAR(static_cast<int>(got >> shift & 0xFF), static_cast<int>(expected >> shift & 0xFF), 12)
          << "frame " << frames;
    }
    ++frames;
  }
  EXPECT_EQ(frames, 3);
}

TEST(VideoReader, SoundTrackIsWrittenOnceAsSixteenBitWave) {
  TempFolder folder;
  const std::string path = folder.file("talk.mkv");
  video::writer::MovieSpec spec = video::test::solidMovie(4, 4, 3);
  video::test::addSound(spec, 11025, 2, 3000);
  ASSERT_TRUE(video::test::write(path, spec));
  {
    VideoReader reader(path);
    ASSERT_TRUE(reader.ok()) << reader.error();
    EXPECT_TRUE(reader.hasAudio());
    EXPECT_TRUE(reader.wroteWav());
    EXPECT_EQ(reader.wavPath(), folder.file("talk.wav"));
    EXPECT_EQ(reader.audioFormat().channels, 2);
    EXPECT_EQ(reader.audioFormat().samplesPerSecond, 11025u);
    // Extraction does not disturb the picture.
    int frames = 0;
    while (reader.nextFrame()) ++frames;
    EXPECT_EQ(frames, 3);
  }
  const std::string wav = video::test::readFile(folder.file("talk.wav"));
  ASSERT_EQ(wav.size(), 44u + 3000u * 2 * 2);
  const auto header = video::waveHeader(video::pcm16Format(2, 11025), 12000);
  EXPECT_EQ(std::memcmp(wav.data(), header.data(), header.size()), 0);
  std::vector<std::int16_t> samples(6000);
  std::memcpy(samples.data(), wav.data() + 44, 12000);
  for (int i = 0; i < 3000; ++i) {
    ASSERT_EQ(samples[static_cast<std::size_t>(2 * i)], video::test::soundSample(i, 0)) << i;
    ASSERT_EQ(samples[static_cast<std::size_t>(2 * i + 1)], video::test::soundSample(i, 1)) << i;
  }

  // A second start finds the file and leaves it exactly as it is.
  video::test::writeFile(folder.file("talk.wav"), "already here");
  VideoReader again(path);
  ASSERT_TRUE(again.ok());
  EXPECT_TRUE(again.hasAudio());
  EXPECT_FALSE(again.wroteWav());
  EXPECT_EQ(video::test::readFile(folder.file("talk.wav")), "already here");
}

TEST(VideoReader, SoundOnlyFileHasNoPictureAndZeroDuration) {
  TempFolder folder;
  const std::string path = folder.file("voice.mkv");
  video::writer::MovieSpec spec;
  video::test::addSound(spec, 8000, 1, 800);
  ASSERT_TRUE(video::test::write(path, spec));
  VideoReader reader(path);
  ASSERT_TRUE(reader.ok()) << reader.error();
  EXPECT_FALSE(reader.hasVideo());
  EXPECT_TRUE(reader.hasAudio());
  EXPECT_EQ(reader.frameDuration(), 0);
  EXPECT_EQ(reader.width(), 0);
  EXPECT_FALSE(reader.nextFrame());
  EXPECT_EQ(video::test::readFile(folder.file("voice.wav")).size(), 44u + 1600u);
}

TEST(VideoReader, MissingEmptyAndGarbageFilesAreNotOk) {
  TempFolder folder;
  EXPECT_FALSE(VideoReader(folder.file("absent.wmv")).ok());
  video::test::writeFile(folder.file("empty.wmv"), "");
  EXPECT_FALSE(VideoReader(folder.file("empty.wmv")).ok());
  std::string garbage;
  std::uint32_t state = 12345;
  for (int i = 0; i < 20000; ++i) {
    state = state * 1103515245u + 12345u;
    garbage += static_cast<char>(state >> 24);
  }
  video::test::writeFile(folder.file("garbage.wmv"), garbage);
  VideoReader reader(folder.file("garbage.wmv"));
  EXPECT_FALSE(reader.ok());
  EXPECT_FALSE(reader.error().empty());
  EXPECT_FALSE(reader.nextFrame());
  EXPECT_FALSE(video::test::fileExists(folder.file("garbage.wav")));
}

TEST(VideoReader, TruncatedMovieEndsEarlyWithoutFailing) {
  TempFolder folder;
  const std::string path = folder.file("cut.mkv");
  // Noise does not compress, so half the file holds about half the frames.
  video::writer::MovieSpec spec = video::test::solidMovie(32, 32, 20);
  spec.pixel = [](int frame, int x, int y) {
    return static_cast<std::uint32_t>((frame * 7919 + x * 104729 + y * 1299709) * 2654435761u) >> 8;
  };
  ASSERT_TRUE(video::test::write(path, spec));
  const std::string whole = video::test::readFile(path);
  video::test::writeFile(path, whole.substr(0, whole.size() / 2));
  VideoReader reader(path);
  ASSERT_TRUE(reader.ok()) << reader.error();
  int frames = 0;
  while (reader.nextFrame() && frames < 100) ++frames;
  EXPECT_GT(frames, 0);
  EXPECT_LT(frames, 20);
}

}  // namespace
