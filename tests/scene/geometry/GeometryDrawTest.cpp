// Geometry objects drawn by real frames of the renderer on a hidden window: where each mode puts its corners, how
// the matrix moves them, texturing, the shared depth buffer from frame to frame, and uploads only after changes.

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <memory>
#include <vector>

#include "bitmap/Bitmap.h"
#include "platform/gfx/Device.h"
#include "platform/window/Screen.h"
#include "render/Renderer.h"
#include "scene/Geometry.h"
#include "scene/SceneFrame.h"
#include "scene/Viewport.h"
#include "tests/render/RenderTestSupport.h"

namespace {

using scene::Geometry;

constexpr int kWidth = 64;
constexpr int kHeight = 48;
constexpr std::uint32_t kBlack = 0xFF000000;
constexpr std::uint32_t kRed = 0xFFFF0000;
constexpr std::uint32_t kBlue = 0xFF0000FF;
constexpr std::uint32_t kGreen = 0xFF00FF00;

bindings::Color colour(std::uint32_t argb) {
  return {static_cast<std::uint8_t>(argb), static_cast<std::uint8_t>(argb >> 8), static_cast<std::uint8_t>(argb >> 16),
          static_cast<std::uint8_t>(argb >> 24)};
}

class GeometryDraw : public testing::Test {
 protected:
  void SetUp() override {
    m_renderer = rendertest::makeRenderer(kWidth, kHeight, kWidth, kHeight);
    if (!m_renderer) GTEST_SKIP() << "no GL context here";
    scene::installSceneFrame();
    m_renderer->resizeScreen(kWidth, kHeight);
  }

  void TearDown() override {
    m_objects.clear();
    m_viewports.clear();
    m_bitmaps.clear();
    m_renderer.reset();
  }

  Geometry& geometry(bool worldMode, scene::Viewport* viewport = nullptr) {
    m_objects.push_back(std::make_unique<Geometry>());
    m_objects.back()->setup(viewport, worldMode);
    return *m_objects.back();
  }

  // Triangle `first` and the next one cover [left, right) × [top, bottom); every corner gets w.
  static void rectangle(Geometry& object, int first, float left, float top, float right, float bottom,
                        std::uint32_t argb, float z = 0.5f, float w = 1.0f) {
    const float xs[6] = {left, right, left, left, right, right};
    const float ys[6] = {top, top, bottom, bottom, top, bottom};
    for (int i = 0; i < 6; ++i) {
      object.setPointPosition(first + i / 3, i % 3, xs[i] * w, ys[i] * w, z, w);
      object.setPointColor(first + i / 3, i % 3, colour(argb));
    }
  }

  void frame() {
    m_renderer->render(false);
    ASSERT_TRUE(m_renderer->device().readBackBuffer({0, 0, kWidth, kHeight}, m_pixels));
  }
  std::uint32_t at(int x, int y) const { return m_pixels[static_cast<std::size_t>(y * kWidth + x)] | 0xFF000000u; }

  std::unique_ptr<render::Renderer> m_renderer;
  std::vector<std::unique_ptr<bitmap::Bitmap>> m_bitmaps;
  std::vector<std::unique_ptr<scene::Viewport>> m_viewports;
  std::vector<std::unique_ptr<Geometry>> m_objects;
  std::vector<std::uint32_t> m_pixels;
};

TEST_F(GeometryDraw, ScreenModeDividesByW) {
  Geometry& object = geometry(false);
  // Corners at (100, 50) … (120, 70) with w 2 land on pixels (50, 25) … (60, 35).
  rectangle(object, 0, 50, 25, 60, 35, kRed, 0.5f, 2.0f);
  frame();
  EXPECT_EQ(at(50, 25), kRed);
  EXPECT_EQ(at(59, 34), kRed);
  EXPECT_EQ(at(49, 25), kBlack);
  EXPECT_EQ(at(50, 24), kBlack);
  EXPECT_EQ(at(60, 35), kBlack);
}

TEST_F(GeometryDraw, WorldModeMapsTheOriginTopLeftAndTheScreenSizeBottomRight) {
  Geometry& object = geometry(true);
  rectangle(object, 0, 0, 0, 4, 4, kRed);
  rectangle(object, 2, kWidth - 4, kHeight - 4, kWidth, kHeight, kBlue);
  frame();
  EXPECT_EQ(at(0, 0), kRed);
  EXPECT_EQ(at(3, 3), kRed);
  EXPECT_EQ(at(kWidth - 1, kHeight - 1), kBlue);
  EXPECT_EQ(at(kWidth - 4, kHeight - 4), kBlue);
  EXPECT_EQ(at(0, kHeight - 1), kBlack);
  EXPECT_EQ(at(kWidth - 1, 0), kBlack);
  EXPECT_EQ(at(8, 8), kBlack);
}

TEST_F(GeometryDraw, MatrixTranslatesFromItsLastColumnInBothModes) {
  const std::array<float, 16> translate{1, 0, 0, 20, 0, 1, 0, 10, 0, 0, 1, 0, 0, 0, 0, 1};
  Geometry& world = geometry(true);
  rectangle(world, 0, 0, 0, 4, 4, kRed);
  world.setTransformMatrix(translate);
  Geometry& screen = geometry(false);
  rectangle(screen, 0, 0, 20, 4, 24, kBlue);
  screen.setTransformMatrix(translate);
  frame();
  EXPECT_EQ(at(21, 11), kRed);
  EXPECT_EQ(at(1, 1), kBlack);
  EXPECT_EQ(at(21, 31), kBlue);
  EXPECT_EQ(at(1, 21), kBlack);
}

TEST_F(GeometryDraw, TextureIsModulatedByTheCornerColours) {
  auto image = std::make_unique<bitmap::Bitmap>();
  const std::uint32_t texels[2] = {0xFFFFFFFF, kGreen};
  ASSERT_TRUE(image->adopt(bitmap::ConstPixelView(texels, 2, 1, 2)));
  Geometry& object = geometry(false);
  rectangle(object, 0, 0, 0, 16, 16, 0xFFFF00FF);
  const float us[6] = {0, 1, 0, 0, 1, 1};
  const float vs[6] = {0, 0, 1, 1, 0, 1};
  for (int i = 0; i < 6; ++i) object.setPointTexcoord(i / 3, i % 3, us[i], vs[i]);
  object.setTexture(image.get());
  m_bitmaps.push_back(std::move(image));
  frame();
  EXPECT_EQ(at(2, 8), 0xFFFF00FF);  // white texel × magenta corners
  EXPECT_EQ(at(13, 8), kBlack);     // green texel × magenta corners
  m_bitmaps.back()->dispose();
  frame();
  EXPECT_EQ(at(13, 8), 0xFFFF00FF);  // a disposed bitmap leaves the corner colours alone
}

TEST_F(GeometryDraw, DepthTestHoldsWithinAFrameAndStartsAfreshEachFrame) {
  Geometry& near = geometry(true);
  rectangle(near, 0, 0, 0, 16, 16, kRed, 0.2f);
  Geometry& far = geometry(true);
  rectangle(far, 0, 8, 8, 24, 24, kBlue, 0.8f);
  frame();
  EXPECT_EQ(at(12, 12), kRed);  // drawn later but farther away
  EXPECT_EQ(at(20, 20), kBlue);
  near.dispose();
  rectangle(far, 0, 0, 0, 24, 24, kBlue, 0.9f);
  frame();
  EXPECT_EQ(at(4, 4), kBlue);  // last frame's nearer triangle no longer in the depth buffer
}

TEST_F(GeometryDraw, VerticesAreUploadedOnlyAfterAChange) {
  Geometry& object = geometry(false);
  rectangle(object, 0, 0, 0, 8, 8, kRed);
  frame();
  frame();
  EXPECT_EQ(object.uploadCount(), 1u);
  EXPECT_FALSE(object.dirty());
  object.setPointColor(0, 0, colour(kBlue));
  frame();
  EXPECT_EQ(object.uploadCount(), 2u);
  object.setTransformMatrix({1, 0, 0, 8, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1});
  frame();
  EXPECT_EQ(object.uploadCount(), 3u);
  EXPECT_EQ(at(15, 7), kRed);
  // World mode hands its matrix to the device: no upload for a new one.
  Geometry& world = geometry(true);
  rectangle(world, 0, 30, 30, 34, 34, kRed);
  frame();
  world.setTransformMatrix({1, 0, 0, 4, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1});
  frame();
  EXPECT_EQ(world.uploadCount(), 1u);
  EXPECT_EQ(at(35, 31), kRed);
}

TEST_F(GeometryDraw, UnsetAndDisposedTrianglesDrawNothing) {
  Geometry& object = geometry(false);
  object.setPointColor(2, 0, colour(kRed));  // capacity 3, no positions: every corner at the origin with w 0
  EXPECT_EQ(object.triangleCapacity(), 3);
  Geometry& gone = geometry(true);
  rectangle(gone, 0, 0, 0, kWidth, kHeight, kBlue);
  gone.dispose();
  EXPECT_EQ(gone.triangleCapacity(), 0);
  frame();
  for (int y = 0; y < kHeight; y += 7) {
    for (int x = 0; x < kWidth; x += 7) ASSERT_EQ(at(x, y), kBlack) << x << ", " << y;
  }
}

TEST_F(GeometryDraw, ViewportClipsScreenModeTriangles) {
  m_viewports.push_back(std::make_unique<scene::Viewport>());
  scene::Viewport& viewport = *m_viewports.back();
  viewport.rectangle() = {16, 16, 16, 16};
  Geometry& object = geometry(false, &viewport);
  rectangle(object, 0, 0, 0, kWidth, kHeight, kGreen);
  frame();
  EXPECT_EQ(at(20, 20), kGreen);
  EXPECT_EQ(at(10, 10), kBlack);
  EXPECT_EQ(at(40, 20), kBlack);
}

}  // namespace
