#include "platform/window/Cursor.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "platform/window/GameWindow.h"

namespace windowing {
namespace {

// A .cur file of one 2 x 2 32-bit image with the given hotspot.
std::vector<std::uint8_t> cursorFile(int hotX, int hotY) {
  std::vector<std::uint8_t> bytes = {0,
                                     0,
                                     2,
                                     0,
                                     1,
                                     0,  // directory
                                     2,
                                     2,
                                     0,
                                     0,
                                     static_cast<std::uint8_t>(hotX),
                                     0,  // entry
                                     static_cast<std::uint8_t>(hotY),
                                     0,
                                     0,
                                     0,
                                     0,
                                     0,
                                     22,
                                     0,
                                     0,
                                     0};
  const std::uint32_t imageBytes = 40 + 2 * 2 * 4 + 2 * 4;
  bytes[14] = static_cast<std::uint8_t>(imageBytes);
  // Bitmap header: twice the height (colour and mask rows), 32 bits per pixel.
  const std::array<std::uint8_t, 40> header = {40, 0, 0, 0, 2, 0, 0, 0, 4, 0, 0, 0, 1, 0, 32, 0};
  bytes.insert(bytes.end(), header.begin(), header.end());
  for (int pixel = 0; pixel < 4; ++pixel) {
    bytes.insert(bytes.end(), {0, 0, 255, 255});
  }
  bytes.insert(bytes.end(), 8, 0);  // AND mask
  return bytes;
}

TEST(CursorTest, HotspotOfCursorFiles) {
  std::vector<std::uint8_t> cursor = cursorFile(1, 1);
  EXPECT_EQ(cursorFileHotspot(cursor), (Hotspot{1, 1}));
  cursor[2] = 1;  // an icon file has no hotspot
  EXPECT_EQ(cursorFileHotspot(cursor), std::nullopt);
  std::vector<std::uint8_t> whole = cursorFile(1, 0);
  for (std::size_t length = 0; length < 22; ++length) {
    EXPECT_EQ(cursorFileHotspot(std::span(whole.data(), length)), std::nullopt) << length;
  }
  EXPECT_EQ(cursorFileHotspot(std::span(whole.data(), 22)), (Hotspot{1, 0}));
  std::vector<std::uint8_t> none = cursorFile(0, 0);
  none[4] = 0;  // no images
  EXPECT_EQ(cursorFileHotspot(none), std::nullopt);
}

class PointerTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    std::string error;
    ASSERT_TRUE(startVideo(&error)) << error;
    s_window = GameWindow::create("pointer test", 64, 48, &error);
    ASSERT_NE(s_window, nullptr) << error;
  }
  static void TearDownTestSuite() { s_window.reset(); }

  static std::unique_ptr<GameWindow> s_window;
};

std::unique_ptr<GameWindow> PointerTest::s_window;

TEST_F(PointerTest, CursorImagesLoadOrFailWithoutChangingAnything) {
  const std::string text = "not an image";
  EXPECT_FALSE(setCursorFromImage(std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size())));
  EXPECT_FALSE(setCursorFromImage({}));
  std::vector<std::uint8_t> cursor = cursorFile(1, 0);
  EXPECT_FALSE(setCursorFromImage(std::span(cursor.data(), 30))) << "a truncated image";
  if (SDL_GetDefaultCursor() == nullptr) {
    GTEST_SKIP() << "the video driver " << SDL_GetCurrentVideoDriver() << " draws no pointer";
  }
  EXPECT_TRUE(setCursorFromImage(cursor));
  EXPECT_TRUE(useSystemCursor());
}

TEST_F(PointerTest, ConfiningNeedsARectangleWithArea) {
  EXPECT_FALSE(confinePointer(*s_window, PointerRect{0, 0, 0, 10}));
  EXPECT_TRUE(confinePointer(*s_window, PointerRect{0, 0, 10, 10}));
  EXPECT_TRUE(confinePointer(*s_window, std::nullopt));
  EXPECT_TRUE(warpPointer(*s_window, 5, 5));
  EXPECT_FALSE(isDesktopFullScreen(*s_window));
}

}  // namespace
}  // namespace windowing
