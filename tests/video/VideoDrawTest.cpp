// Movies on sprites: frames packed into the bitmap, paced by the clock through Sprite#update, and drawn by the
// renderer's "Video" pass upright and in the right colours.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "TestMovies.h"
#include "bitmap/Bitmap.h"
#include "platform/gfx/Device.h"
#include "platform/window/Screen.h"
#include "render/Renderer.h"
#include "scene/SceneFrame.h"
#include "scene/Sprite.h"
#include "video/SpritePlayback.h"
#include "video/VideoClock.h"
#include "tests/render/RenderTestSupport.h"

namespace {

using scene::Sprite;
using video::test::TempFolder;

constexpr int kSize = 32;

std::int64_t g_ticks = 0;
std::int64_t fakeNow() { return g_ticks; }

class VideoDraw : public testing::Test {
 protected:
  void SetUp() override {
    m_renderer = rendertest::makeRenderer(kSize, kSize, kSize, kSize);
    if (!m_renderer) GTEST_SKIP() << "no GL context here";
    scene::installSceneFrame();
    m_renderer->resizeScreen(kSize, kSize);
    // Sixty ticks a second, one per update: a game running at exactly 60 updates per second.
    video::setClockSource({&fakeNow, 60});
  }

  void TearDown() override {
    video::setClockSource({});
    m_sprites.clear();
    m_bitmaps.clear();
    m_renderer.reset();
  }

  // A sprite playing `path` as start_video leaves it: a bitmap of the movie's size and the "Video" pass.
  Sprite& playing(const std::string& path, int x, int y) {
    auto reader = std::make_unique<video::VideoReader>(path);
    EXPECT_TRUE(reader->ok()) << reader->error();
    m_bitmaps.push_back(bitmap::createBitmap(reader->width(), reader->height()));
    auto sprite = std::make_unique<Sprite>();
    sprite->initialize(nullptr);
    sprite->ownSourceRect();
    sprite->ownColor();
    sprite->ownTone();
    sprite->setBitmap(m_bitmaps.back().get(), nullptr);
    sprite->x = x;
    sprite->y = y;
    sprite->effectName = "Video";
    auto playback = std::make_unique<video::SpritePlayback>(std::move(reader));
    playback->startClock(*sprite);
    sprite->videoReader = std::move(playback);
    sprite->videoPlaying = true;
    m_sprites.push_back(std::move(sprite));
    return *m_sprites.back();
  }

  // One game frame: a sixtieth of a second passes, then the sprite updates.
  static void update(Sprite& sprite) {
    ++g_ticks;
    sprite.update();
  }

  std::vector<std::uint32_t> frame() {
    m_renderer->render(false);
    std::vector<std::uint32_t> pixels;
    EXPECT_TRUE(m_renderer->device().readBackBuffer({0, 0, kSize, kSize}, pixels));
    return pixels;
  }
  static std::uint32_t rgb(const std::vector<std::uint32_t>& pixels, int x, int y) {
    return pixels[static_cast<std::size_t>(y * kSize + x)] & 0xFFFFFFu;
  }

  std::unique_ptr<render::Renderer> m_renderer;
  std::vector<std::unique_ptr<bitmap::Bitmap>> m_bitmaps;
  std::vector<std::unique_ptr<Sprite>> m_sprites;
};

// The 0xRRGGBB colour whose blue, green and red bytes start at byte 3x of row `row` of the bitmap.
std::uint32_t packedPixel(bitmap::Bitmap& image, int row, int x) {
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(image.pixels().row(row)) + 3 * x;
  return static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[1]) << 8 | bytes[0];
}

TEST_F(VideoDraw, ThirtyFramesPerSecondShowANewFrameEverySecondUpdateUntilTheEnd) {
  TempFolder folder;
  ASSERT_TRUE(video::test::write(folder.file("count.mkv"), video::test::solidMovie(5, 3, 4)));
  Sprite& sprite = playing(folder.file("count.mkv"), 0, 0);
  bitmap::Bitmap& image = *sprite.bitmap;
  std::vector<std::uint32_t> shown;
  for (int i = 0; i < 8; ++i) {
    update(sprite);
    shown.push_back(packedPixel(image, 0, 0));
  }
  using video::test::colourOf;
  const std::vector<std::uint32_t> expected = {0,           colourOf(0), colourOf(0), colourOf(1),
                                               colourOf(1), colourOf(2), colourOf(2), colourOf(3)};
  EXPECT_EQ(shown, expected);
  EXPECT_TRUE(sprite.videoPlaying);
  update(sprite);
  EXPECT_TRUE(sprite.videoPlaying);
  update(sprite);  // the fifth frame time finds no frame: the reader goes, the last picture stays
  EXPECT_FALSE(sprite.videoPlaying);
  EXPECT_EQ(sprite.videoReader, nullptr);
  EXPECT_EQ(packedPixel(image, 2, 4), colourOf(3));
  update(sprite);
  EXPECT_EQ(packedPixel(image, 2, 4), colourOf(3));
}

TEST_F(VideoDraw, FramesLeaveTheRestOfEachBitmapRowAlone) {
  TempFolder folder;
  ASSERT_TRUE(video::test::write(folder.file("rows.mkv"), video::test::solidMovie(5, 3, 1)));
  Sprite& sprite = playing(folder.file("rows.mkv"), 0, 0);
  bitmap::Bitmap& image = *sprite.bitmap;
  bitmap::PixelView pixels = image.lockAll();
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 5; ++x) pixels.at(x, y) = 0xDEADBEEF;
  }
  image.unlock();
  update(sprite);
  update(sprite);
  // 5 pixels of 3 bytes fill 15 of a row's 20 bytes: the last texel keeps three of its bytes and loses one.
  const auto* row = reinterpret_cast<const std::uint8_t*>(image.pixels().row(1));
  const std::uint32_t colour = video::test::colourOf(0);
  EXPECT_EQ(row[14], colour >> 16 & 0xFF);
  EXPECT_EQ(row[15], 0xDE);
  EXPECT_EQ(image.pixels().at(4, 1), 0xDEADBEEFu);
}

TEST_F(VideoDraw, SmallerBitmapSwappedInGetsOnlyWhatFits) {
  TempFolder folder;
  ASSERT_TRUE(video::test::write(folder.file("big.mkv"), video::test::solidMovie(20, 12, 2)));
  Sprite& sprite = playing(folder.file("big.mkv"), 0, 0);
  m_bitmaps.push_back(bitmap::createBitmap(2, 2));
  sprite.setBitmap(m_bitmaps.back().get(), nullptr);
  update(sprite);
  update(sprite);
  EXPECT_EQ(packedPixel(*m_bitmaps.back(), 1, 0), video::test::colourOf(0));
  m_bitmaps.back()->dispose();
  update(sprite);
  update(sprite);  // a disposed bitmap is left alone while the movie runs on
  EXPECT_TRUE(sprite.videoPlaying);
}

TEST_F(VideoDraw, DisposingTheSpriteReleasesTheMovie) {
  TempFolder folder;
  ASSERT_TRUE(video::test::write(folder.file("short.mkv"), video::test::solidMovie(4, 4, 2)));
  Sprite& sprite = playing(folder.file("short.mkv"), 0, 0);
  sprite.dispose();
  EXPECT_EQ(sprite.videoReader, nullptr);
  EXPECT_FALSE(sprite.videoPlaying);
}

class VideoPass : public VideoDraw, public testing::WithParamInterface<std::pair<int, int>> {};

TEST_P(VideoPass, PictureIsDrawnUprightInItsOwnColours) {
  const auto [width, height] = GetParam();
  TempFolder folder;
  ASSERT_TRUE(video::test::write(folder.file("quadrants.mkv"), video::test::quadrantMovie(width, height)));
  Sprite& sprite = playing(folder.file("quadrants.mkv"), 3, 2);
  update(sprite);
  update(sprite);
  const auto pixels = frame();
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      ASSERT_EQ(rgb(pixels, 3 + x, 2 + y), video::test::quadrantColour(width, height, x, y))
          << width << "x" << height << " at " << x << "," << y;
    }
  }
  EXPECT_EQ(rgb(pixels, 2, 2), 0u);
  EXPECT_EQ(rgb(pixels, 3 + width, 2), 0u);
}

INSTANTIATE_TEST_SUITE_P(Sizes, VideoPass,
                         testing::Values(std::pair{8, 6}, std::pair{7, 5}, std::pair{9, 4}, std::pair{13, 11}));

TEST_F(VideoDraw, SolidFramesKeepEveryChannelThroughThePass) {
  TempFolder folder;
  ASSERT_TRUE(video::test::write(folder.file("solid.mkv"), video::test::solidMovie(6, 4, 6)));
  Sprite& sprite = playing(folder.file("solid.mkv"), 10, 10);
  for (int n = 0; n < 6; ++n) {
    update(sprite);
    update(sprite);
    const auto pixels = frame();
    EXPECT_EQ(rgb(pixels, 10, 10), video::test::colourOf(n)) << n;
    EXPECT_EQ(rgb(pixels, 15, 13), video::test::colourOf(n)) << n;
  }
}

}  // namespace
