#include <gtest/gtest.h>

#include <cstdlib>

#include "RenderTestSupport.h"
#include "platform/gfx/Device.h"
#include "platform/gfx/SpriteBatch.h"
#include "render/FrameMath.h"

namespace {

using rendertest::backBufferPixel;
using rendertest::channel;

constexpr std::uint32_t kRed = 0xFFFF0000;
constexpr std::uint32_t kBlue = 0xFF0000FF;
constexpr std::uint32_t kWhite = 0xFFFFFFFF;

#define REQUIRE_RENDERER(renderer) \
  if (!(renderer)) GTEST_SKIP() << "no GL context here"

// The composite pass multiplies the scene by the brightness colour and blends by its alpha, so a white scene
// shows (b / 255)² of full white.
int expectedGrey(int brightness) {
  const double b = (brightness & 0xFF) / 255.0;
  return static_cast<int>(255.0 * b * b + 0.5);
}

TEST(RendererTest, BrightnessDarkensTheCompositeAndUsesOnlyItsLowByte) {
  rendertest::TestScene scene;
  auto renderer = rendertest::makeRenderer(8, 8, 8, 8);
  REQUIRE_RENDERER(renderer);
  scene.setColour(kWhite);
  EXPECT_EQ(backBufferPixel(*renderer, 3, 3) & 0xFFFFFF, 0xFFFFFFu);
  for (int brightness : {200, 127, 44, 300}) {
    renderer->setBrightness(brightness);
    const std::uint32_t pixel = backBufferPixel(*renderer, 3, 3);
    EXPECT_NEAR(channel(pixel, 16), expectedGrey(brightness), 2) << brightness;
    EXPECT_EQ(channel(pixel, 16), channel(pixel, 0));
  }
  renderer->setBrightness(44);
  const std::uint32_t dim = backBufferPixel(*renderer, 0, 0);
  renderer->setBrightness(300);
  EXPECT_EQ(backBufferPixel(*renderer, 0, 0), dim);
  EXPECT_GT(scene.prepared, 0);
}

TEST(RendererTest, TenFrameFadeOutStepsTheBrightnessPerRenderedFrame) {
  rendertest::TestScene scene;
  auto renderer = rendertest::makeRenderer(8, 8, 8, 8);
  REQUIRE_RENDERER(renderer);
  scene.setColour(kWhite);
  renderer->startFade(10, false);
  std::vector<int> brightness;
  std::vector<int> grey;
  for (int frame = 0; frame < 10; ++frame) {
    grey.push_back(channel(backBufferPixel(*renderer, 4, 4), 8));
    brightness.push_back(renderer->brightness());
  }
  EXPECT_EQ(brightness, (std::vector<int>{229, 204, 178, 153, 127, 102, 76, 51, 25, 0}));
  for (std::size_t i = 0; i < grey.size(); ++i) {
    EXPECT_NEAR(grey[i], expectedGrey(brightness[i]), 2) << "frame " << i;
  }
  renderer->startFade(4, true);
  for (int frame = 0; frame < 4; ++frame) renderer->render(false);
  EXPECT_EQ(renderer->brightness(), 255);
}

// A pattern of 4-pixel bands whose colour encodes the band, so each back-buffer pixel names its source.
std::vector<std::uint32_t> bands(int width, int height) {
  std::vector<std::uint32_t> pixels;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      pixels.push_back(0xFF000000u | static_cast<std::uint32_t>(x / 4) << 16 | static_cast<std::uint32_t>(y / 4) << 8 |
                       0x80u);
    }
  }
  return pixels;
}

TEST(RendererTest, LinearFilteringBlendsNeighboursWhenScaling) {
  rendertest::TestScene scene;
  auto renderer = rendertest::makeRenderer(2, 1, 8, 1);
  REQUIRE_RENDERER(renderer);
  scene.setPixels(2, 1, {0xFF000000, 0xFFFFFFFF});
  std::vector<std::uint32_t> point = rendertest::renderBackBuffer(*renderer);
  EXPECT_EQ(point[3] & 0xFFFFFF, 0u);
  EXPECT_EQ(point[4] & 0xFFFFFF, 0xFFFFFFu);
  renderer->setFilter(1);
  std::vector<std::uint32_t> linear = rendertest::renderBackBuffer(*renderer);
  EXPECT_EQ(linear[0] & 0xFFFFFF, 0u);          // clamped at the edges
  EXPECT_EQ(linear[7] & 0xFFFFFF, 0xFFFFFFu);
  EXPECT_NEAR(channel(linear[3], 8), 96, 2);    // 3.5 / 4 - 0.5 = 0.375 of the way to white
  EXPECT_NEAR(channel(linear[4], 8), 159, 2);
}

TEST(RendererTest, ADoubleSizeWindowScalesTheScreenByExactlyTwo) {
  rendertest::TestScene scene;
  auto renderer = rendertest::makeRenderer(544, 416, 1088, 832);
  REQUIRE_RENDERER(renderer);
  ASSERT_EQ(renderer->device().backBufferWidth(), 1088);
  scene.setPixels(544, 416, bands(544, 416));
  const std::vector<std::uint32_t> back = rendertest::renderBackBuffer(*renderer);
  for (int y = 0; y < 832; y += 7) {
    for (int x = 0; x < 1088; x += 5) {
      const std::uint32_t expected = 0xFF000000u | static_cast<std::uint32_t>(x / 2 / 4) << 16 |
                                     static_cast<std::uint32_t>(y / 2 / 4) << 8 | 0x80u;
      ASSERT_EQ(back[static_cast<std::size_t>(y * 1088 + x)] | 0xFF000000u, expected) << x << "," << y;
    }
  }
}

TEST(RendererTest, AWiderWindowStretchesOnlyHorizontally) {
  rendertest::TestScene scene;
  auto renderer = rendertest::makeRenderer(544, 416, 800, 416);
  REQUIRE_RENDERER(renderer);
  scene.setPixels(544, 416, bands(544, 416));
  const std::vector<std::uint32_t> back = rendertest::renderBackBuffer(*renderer);
  for (int y = 0; y < 416; y += 3) {
    for (int band = 0; band < 136; band += 9) {
      // The middle of a source band, where point sampling cannot land on a neighbour.
      const int x = static_cast<int>((band * 4 + 2) * 800.0 / 544.0);
      const std::uint32_t expected = 0xFF000000u | static_cast<std::uint32_t>(band) << 16 |
                                     static_cast<std::uint32_t>(y / 4) << 8 | 0x80u;
      ASSERT_EQ(back[static_cast<std::size_t>(y * 800 + x)] | 0xFF000000u, expected) << x << "," << y;
    }
  }
}

TEST(RendererTest, WhileFrozenTheFrozenPictureShowsAtTheCurrentBrightness) {
  rendertest::TestScene scene;
  auto renderer = rendertest::makeRenderer(8, 8, 8, 8);
  REQUIRE_RENDERER(renderer);
  scene.setColour(kRed);
  renderer->render(false);
  renderer->freeze();
  EXPECT_EQ(renderer->transitionFramesLeft(), -1);
  scene.setColour(kBlue);
  EXPECT_EQ(backBufferPixel(*renderer, 2, 2) & 0xFFFFFF, 0xFF0000u);
  renderer->setBrightness(127);
  const std::uint32_t pixel = backBufferPixel(*renderer, 2, 2);
  EXPECT_NEAR(channel(pixel, 16), expectedGrey(127), 2);
  EXPECT_EQ(channel(pixel, 0), 0);
}

TEST(RendererTest, TransitionOfZeroShowsTheNewSceneAtTheNextFrame) {
  rendertest::TestScene scene;
  auto renderer = rendertest::makeRenderer(8, 8, 8, 8);
  REQUIRE_RENDERER(renderer);
  scene.setColour(kRed);
  renderer->freeze();
  scene.setColour(kBlue);
  renderer->startTransition(0, nullptr, 40);
  EXPECT_EQ(backBufferPixel(*renderer, 5, 5) & 0xFFFFFF, 0x0000FFu);
}

TEST(RendererTest, PlainTransitionBlendsTheFrozenPictureHalfwayAtMidPoint) {
  rendertest::TestScene scene;
  auto renderer = rendertest::makeRenderer(8, 8, 8, 8);
  REQUIRE_RENDERER(renderer);
  scene.setColour(kRed);
  renderer->freeze();
  scene.setColour(kBlue);
  renderer->startTransition(10, nullptr, 40);
  for (int frame = 0; frame < 4; ++frame) renderer->render(false);
  const std::uint32_t pixel = backBufferPixel(*renderer, 1, 6);  // the fifth frame: 5 of 10 left
  EXPECT_EQ(renderer->transitionFramesLeft(), 5);
  EXPECT_NEAR(channel(pixel, 16), 127, 2);
  EXPECT_NEAR(channel(pixel, 0), 128, 2);
  for (int frame = 0; frame < 5; ++frame) renderer->render(false);
  EXPECT_EQ(renderer->transitionFramesLeft(), 0);
  EXPECT_EQ(backBufferPixel(*renderer, 1, 6) & 0xFFFFFF, 0x0000FFu);
}

// Also catches stale read-backs: without waiting for the draws in flight, the snapshot sometimes showed the
// thresholds of two frames earlier.
TEST(RendererTest, ImageTransitionFollowsTheThresholdsPerPixel) {
  rendertest::TestScene scene;
  auto renderer = rendertest::makeRenderer(4, 1, 4, 1);
  REQUIRE_RENDERER(renderer);
  scene.setColour(kRed);
  renderer->freeze();
  scene.setColour(kBlue);
  auto image = gfx::Texture::createManaged(4, 1);
  const std::vector<std::uint32_t> reds = {0xFF000000, 0xFF550000, 0xFFAA0000, 0xFFFF0000};
  ASSERT_TRUE(image->update({0, 0, 4, 1}, reds.data(), 16));
  const int vagueness = 128;
  renderer->startTransition(10, std::move(image), vagueness);
  for (int frame = 0; frame < 3; ++frame) renderer->render(false);
  // The composite itself (the back buffer also weighs it by its alpha, as the present blends by it).
  auto composite = renderer->snapshot();  // 6 of 10 left
  ASSERT_TRUE(composite);
  const auto* pixels = reinterpret_cast<const std::uint32_t*>(composite->pixels().data());
  const render::TransitionThresholds thresholds = render::imageTransitionThresholds(6, 10, vagueness);
  for (int x = 0; x < 4; ++x) {
    const double t = ((reds[static_cast<std::size_t>(x)] >> 16) & 0xFF) / 255.0;
    double alpha = 1.0 - (t - thresholds.min) / (thresholds.max - thresholds.min);
    alpha = alpha < 0 ? 0 : (alpha > 1 ? 1 : alpha);
    EXPECT_NEAR(channel(pixels[x], 16), 255.0 * alpha, 2) << x;
    EXPECT_NEAR(channel(pixels[x], 0), 255.0 * (1 - alpha), 2) << x;
  }
}

TEST(RendererTest, SnapshotReadsTheCompositeTopRowFirst) {
  rendertest::TestScene scene;
  auto renderer = rendertest::makeRenderer(4, 2, 4, 2);
  REQUIRE_RENDERER(renderer);
  scene.setPixels(4, 2, {kRed, kRed, kRed, kRed, kBlue, kBlue, kBlue, 0xFF00FF00});
  auto snapshot = renderer->snapshot();
  ASSERT_TRUE(snapshot);
  EXPECT_EQ(snapshot->kind(), gfx::Texture::Kind::Managed);
  ASSERT_EQ(snapshot->width(), 4);
  const auto* pixels = reinterpret_cast<const std::uint32_t*>(snapshot->pixels().data());
  EXPECT_EQ(pixels[0] & 0xFFFFFF, 0xFF0000u);
  EXPECT_EQ(pixels[4] & 0xFFFFFF, 0x0000FFu);
  EXPECT_EQ(pixels[7] & 0xFFFFFF, 0x00FF00u);
}

TEST(RendererTest, ResizeRecreatesTheTargetsThroughTheOneResetPath) {
  rendertest::TestScene scene;
  auto renderer = rendertest::makeRenderer(8, 8, 8, 8);
  REQUIRE_RENDERER(renderer);
  scene.setColour(kRed);
  renderer->resizeScreen(8, 8);
  EXPECT_EQ(scene.released, 0);  // the same size changes nothing
  renderer->resizeScreen(6, 4);
  EXPECT_EQ(scene.released, 1);
  EXPECT_EQ(scene.restored, 1);
  EXPECT_EQ(scene.screenWidth, 6);
  EXPECT_EQ(renderer->screenWidth(), 6);
  auto snapshot = renderer->snapshot();
  ASSERT_TRUE(snapshot);
  EXPECT_EQ(snapshot->width(), 6);
  EXPECT_EQ(snapshot->height(), 4);
  renderer->setVsync(false);
  EXPECT_EQ(scene.released, 2);
  EXPECT_FALSE(renderer->vsync());
  renderer->requestFullScreenToggle();
  renderer->toggleFullScreen();
  EXPECT_FALSE(renderer->toggleRequested());
  EXPECT_TRUE(renderer->fullScreen());
  renderer->resizeWindow(20, 20);  // only while windowed
  EXPECT_EQ(scene.released, 3);
}

TEST(RendererTest, RenderingOffTheFrameRestoresTheTargets) {
  auto renderer = rendertest::makeRenderer(4, 4, 4, 4);
  REQUIRE_RENDERER(renderer);
  auto own = gfx::Texture::createRenderTarget(2, 2);
  auto texture = gfx::Texture::createManaged(2, 2);
  texture->fill(0xFF00FF00);
  gfx::Device& device = renderer->device();
  renderer->renderOffFrame([&](render::Renderer& r) {
    EXPECT_EQ(r.effect().passCount(), 11u);
    device.setRenderTarget(0, own.get());
    device.clear(gfx::ClearFlags::Target, 0);
    r.batch().begin(true);
    r.effect().beginPassByName("AlphaBlend");
    r.batch().draw(texture.get(), nullptr, nullptr, nullptr, 0xFFFFFFFF);
    r.batch().end();
    r.effect().endPass();
  });
  EXPECT_EQ(device.renderTarget(0), nullptr);
  std::vector<std::uint32_t> pixels(4);
  ASSERT_TRUE(own->readPixels({0, 0, 2, 2}, pixels.data(), 8));
  EXPECT_EQ(pixels[3], 0xFF00FF00u);
}

TEST(RendererTest, AfterReleaseFramesAndSnapshotsDoNothing) {
  rendertest::TestScene scene;
  auto renderer = rendertest::makeRenderer(8, 8, 8, 8);
  REQUIRE_RENDERER(renderer);
  renderer->release();
  EXPECT_TRUE(renderer->released());
  EXPECT_EQ(renderer->render(true), render::FrameResult::Released);
  EXPECT_EQ(renderer->snapshot(), nullptr);
  renderer->freeze();
  EXPECT_EQ(renderer->transitionFramesLeft(), 0);
  renderer->release();
}

}  // namespace
