// Planes drawn by real frames of the renderer on a hidden window: how the bitmap repeats over the area, how the
// scroll and the tile zoom move the pattern inside it, and which planes are not drawn at all.

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <vector>

#include "bitmap/Bitmap.h"
#include "platform/gfx/Device.h"
#include "platform/window/Screen.h"
#include "render/Renderer.h"
#include "scene/Plane.h"
#include "scene/SceneFrame.h"
#include "tests/render/RenderTestSupport.h"

namespace {

using scene::Plane;

constexpr std::uint32_t kRed = 0xFFFF0000;
constexpr std::uint32_t kGreen = 0xFF00FF00;
constexpr std::uint32_t kBlue = 0xFF0000FF;
constexpr std::uint32_t kWhite = 0xFFFFFFFF;
constexpr std::uint32_t kBlack = 0xFF000000;

// The colour of a 64×64 quadrant bitmap at (x, y): red, green / blue, white.
std::uint32_t quadrant(int x, int y) {
  if (y < 32) return x < 32 ? kRed : kGreen;
  return x < 32 ? kBlue : kWhite;
}

int wrap64(int value) { return ((value % 64) + 64) % 64; }

class PlaneDraw : public testing::Test {
 protected:
  void SetUp() override { start(640, 480); }

  void start(int width, int height) {
    // The window stays 640×480 so that a screen grown to that size is read back pixel for pixel.
    m_renderer = rendertest::makeRenderer(width, height, 640, 480);
    if (!m_renderer) GTEST_SKIP() << "no GL context here";
    scene::installSceneFrame();
    m_renderer->resizeScreen(width, height);
    std::vector<std::uint32_t> pixels(64 * 64);
    for (int y = 0; y < 64; ++y) {
      for (int x = 0; x < 64; ++x) pixels[static_cast<std::size_t>(y * 64 + x)] = quadrant(x, y);
    }
    m_tile = std::make_unique<bitmap::Bitmap>();
    ASSERT_TRUE(m_tile->adopt(bitmap::ConstPixelView(pixels.data(), 64, 64, 64)));
  }

  void TearDown() override {
    m_planes.clear();
    m_tile.reset();
    m_renderer.reset();
  }

  // A plane as the script class builds it, showing the quadrant bitmap.
  Plane& plane() {
    m_planes.push_back(std::make_unique<Plane>());
    Plane& made = *m_planes.back();
    made.initialize(nullptr);
    made.ownColor();
    made.ownTone();
    made.setBitmap(m_tile.get(), nullptr);
    return made;
  }

  void frame() {
    m_renderer->render(false);
    m_width = windowing::g_windowWidth;
    ASSERT_TRUE(m_renderer->device().readBackBuffer({0, 0, m_width, windowing::g_windowHeight}, m_pixels));
  }
  std::uint32_t at(int x, int y) const { return m_pixels[static_cast<std::size_t>(y * m_width + x)] | 0xFF000000u; }

  std::unique_ptr<render::Renderer> m_renderer;
  std::unique_ptr<bitmap::Bitmap> m_tile;
  std::vector<std::unique_ptr<Plane>> m_planes;
  std::vector<std::uint32_t> m_pixels;
  int m_width = 0;
};

TEST_F(PlaneDraw, SixtyFourPixelTileRepeatsTenBySevenAndAHalfTimes) {
  Plane& tiled = plane();
  EXPECT_FLOAT_EQ(tiled.texcoordScaleX(), 10.0f);
  EXPECT_FLOAT_EQ(tiled.texcoordScaleY(), 7.5f);
  frame();
  // Every tile, the half one at the bottom included, shows every quadrant it has at its own place.
  for (int tileY = 0; tileY < 8; ++tileY) {
    for (int tileX = 0; tileX < 10; ++tileX) {
      for (int inside : {4, 36}) {
        for (int down : {4, 36}) {
          const int x = tileX * 64 + inside;
          const int y = tileY * 64 + down;
          if (y >= 480) continue;
          ASSERT_EQ(at(x, y), quadrant(inside, down)) << "screen pixel " << x << ", " << y;
        }
      }
    }
  }
  EXPECT_EQ(at(639, 479), quadrant(63, 31));
}

TEST_F(PlaneDraw, OxShiftsThePatternLeftInScreenPixels) {
  Plane& scrolled = plane();
  scrolled.planeOx = 32;
  scrolled.planeOy = -16;
  frame();
  for (int x : {2, 29, 34, 61, 300, 637}) {
    for (int y : {2, 13, 19, 45, 50, 470}) {
      ASSERT_EQ(at(x, y), quadrant(wrap64(x + 32), wrap64(y - 16))) << "screen pixel " << x << ", " << y;
    }
  }
}

TEST_F(PlaneDraw, ZoomWidensTheTileWhileOxStaysInScreenPixels) {
  Plane& zoomed = plane();
  zoomed.planeZoomX = 2.0f;
  zoomed.planeOx = 32;
  frame();
  // Screen x maps to bitmap x (x + 32) / 2: the red half spans screen 0…31 and 96…159, the green one 32…95.
  EXPECT_EQ(at(2, 8), kRed);
  EXPECT_EQ(at(29, 8), kRed);
  EXPECT_EQ(at(34, 8), kGreen);
  EXPECT_EQ(at(93, 8), kGreen);
  EXPECT_EQ(at(98, 8), kRed);
  EXPECT_EQ(at(157, 8), kRed);
  EXPECT_EQ(at(162, 8), kGreen);
  // The area stays the whole screen: zoom and scroll change the pattern only.
  EXPECT_NE(at(639, 479), kBlack);
}

TEST_F(PlaneDraw, PrepareFrameStretchesTheBitmapOverTheArea) {
  Plane& placed = plane();
  placed.planeOx = 100;
  placed.planeZoomX = 3.0f;
  placed.prepareFrame();
  EXPECT_EQ(placed.x, 0);
  EXPECT_EQ(placed.ox, 0);
  EXPECT_FLOAT_EQ(placed.zoomX, 10.0f);
  EXPECT_FLOAT_EQ(placed.zoomY, 7.5f);
  EXPECT_FLOAT_EQ(placed.texcoordOffsetX(), static_cast<float>(-100.0 / 64.0 / 3.0));
  EXPECT_FLOAT_EQ(placed.texcoordScaleX(), static_cast<float>(1.0 / 3.0 / 64.0 * 640.0));
}

TEST_F(PlaneDraw, PlaneMadeBeforeTheScreenGrowsKeepsItsArea) {
  m_renderer.reset();
  start(320, 240);
  if (!m_renderer) return;
  Plane& early = plane();
  windowing::g_screenWidth = 640;
  windowing::g_screenHeight = 480;
  m_renderer->resizeScreen(640, 480);
  Plane& late = plane();
  EXPECT_EQ(early.area.right, 319);
  EXPECT_EQ(early.area.bottom, 239);
  EXPECT_EQ(late.area.right, 639);
  late.dispose();
  frame();
  EXPECT_EQ(at(300, 200), quadrant(wrap64(300), wrap64(200)));
  EXPECT_EQ(at(330, 100), kBlack);
  EXPECT_EQ(at(100, 250), kBlack);
}

TEST_F(PlaneDraw, BitmapWithoutPixelsOrZeroZoomIsNotDrawn) {
  bitmap::Bitmap empty;
  Plane& blank = plane();
  blank.setBitmap(&empty, nullptr);
  EXPECT_EQ(blank.texture(), nullptr);
  EXPECT_FLOAT_EQ(blank.texcoordScaleX(), 1.0f);
  Plane& flat = plane();
  flat.planeZoomY = 0.0f;
  EXPECT_EQ(flat.texture(), nullptr);
  frame();
  EXPECT_EQ(at(10, 10), kBlack);
  EXPECT_EQ(at(600, 400), kBlack);
  blank.dispose();
}

}  // namespace
