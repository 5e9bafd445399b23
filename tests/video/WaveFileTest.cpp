// The ".wav" beside a movie: header layout and the writer that patches both sizes and never leaves a partial file.

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "TestMovies.h"
#include "video/WaveFile.h"

namespace {

using video::test::readFile;

std::uint32_t le32(const std::string& bytes, std::size_t at) {
  std::uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = value << 8 | static_cast<std::uint8_t>(bytes[at + static_cast<std::size_t>(i)]);
  return value;
}

std::uint16_t le16(const std::string& bytes, std::size_t at) {
  return static_cast<std::uint16_t>(static_cast<std::uint8_t>(bytes[at]) | static_cast<std::uint8_t>(bytes[at + 1])
                                                                               << 8);
}

TEST(WaveFile, HeaderHoldsTagsFormatAndBothSizes) {
  const video::AudioFormat format = video::pcm16Format(2, 44100);
  EXPECT_EQ(format.blockAlign, 4);
  EXPECT_EQ(format.averageBytesPerSecond, 176400u);
  const auto header = video::waveHeader(format, 1000);
  const std::string bytes(header.begin(), header.end());
  EXPECT_EQ(bytes.substr(0, 4), "RIFF");
  EXPECT_EQ(le32(bytes, 4), 1036u);
  EXPECT_EQ(bytes.substr(8, 8), "WAVEfmt ");
  EXPECT_EQ(le32(bytes, 16), 16u);
  EXPECT_EQ(le16(bytes, 20), 1);
  EXPECT_EQ(le16(bytes, 22), 2);
  EXPECT_EQ(le32(bytes, 24), 44100u);
  EXPECT_EQ(le32(bytes, 28), 176400u);
  EXPECT_EQ(le16(bytes, 32), 4);
  EXPECT_EQ(le16(bytes, 34), 16);
  EXPECT_EQ(bytes.substr(36, 4), "data");
  EXPECT_EQ(le32(bytes, 40), 1000u);
}

TEST(WaveFile, WriterPatchesSizesAndAppearsOnlyWhenFinished) {
  video::test::TempFolder folder;
  const std::string path = folder.file("track.wav");
  {
    video::WaveWriter writer(path, video::pcm16Format(1, 8000));
    ASSERT_TRUE(writer.good());
    writer.append(reinterpret_cast<const std::uint8_t*>("abcdef"), 6);
    writer.append(reinterpret_cast<const std::uint8_t*>("gh"), 2);
    EXPECT_FALSE(video::test::fileExists(path));
    ASSERT_TRUE(writer.finish());
  }
  const std::string bytes = readFile(path);
  ASSERT_EQ(bytes.size(), 52u);
  EXPECT_EQ(le32(bytes, 4), 44u);
  EXPECT_EQ(le32(bytes, 40), 8u);
  EXPECT_EQ(bytes.substr(44), "abcdefgh");
  EXPECT_FALSE(video::test::fileExists(path + ".part"));
}

TEST(WaveFile, AbandonedOrUnwritableWriterLeavesNothing) {
  video::test::TempFolder folder;
  const std::string path = folder.file("track.wav");
  {
    video::WaveWriter writer(path, video::pcm16Format(1, 8000));
    writer.append(reinterpret_cast<const std::uint8_t*>("ab"), 2);
  }
  EXPECT_FALSE(video::test::fileExists(path));
  EXPECT_FALSE(video::test::fileExists(path + ".part"));

  video::WaveWriter nowhere(folder.file("missing/track.wav"), video::pcm16Format(1, 8000));
  EXPECT_FALSE(nowhere.good());
  EXPECT_FALSE(nowhere.finish());
}

}  // namespace
