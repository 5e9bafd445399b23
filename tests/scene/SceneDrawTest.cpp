// Pixel tests: real frames of the renderer on a hidden window, drawn through the scene's frame.

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <vector>

#include "bitmap/Bitmap.h"
#include "platform/gfx/Device.h"
#include "platform/window/Screen.h"
#include "render/Renderer.h"
#include "scene/SceneFrame.h"
#include "scene/Sprite.h"
#include "scene/Viewport.h"
#include "tests/render/RenderTestSupport.h"

namespace {

using scene::Sprite;
using scene::Viewport;

constexpr int kSize = 32;
constexpr std::uint32_t kRed = 0xFFFF0000;
constexpr std::uint32_t kBlue = 0xFF0000FF;
constexpr std::uint32_t kWhite = 0xFFFFFFFF;
constexpr std::uint32_t kBlack = 0xFF000000;

int channel(std::uint32_t pixel, int shift) { return static_cast<int>((pixel >> shift) & 0xFF); }

class SceneDraw : public testing::Test {
 protected:
  void SetUp() override {
    m_renderer = rendertest::makeRenderer(kSize, kSize, kSize, kSize);
    if (!m_renderer) GTEST_SKIP() << "no GL context here";
    scene::installSceneFrame();
    m_renderer->resizeScreen(kSize, kSize);
  }

  void TearDown() override {
    m_sprites.clear();
    m_viewports.clear();
    m_bitmaps.clear();
    m_renderer.reset();
  }

  bitmap::Bitmap* image(int width, int height, const std::vector<std::uint32_t>& pixels) {
    auto made = std::make_unique<bitmap::Bitmap>();
    EXPECT_TRUE(made->adopt(bitmap::ConstPixelView(pixels.data(), width, height, width)));
    m_bitmaps.push_back(std::move(made));
    return m_bitmaps.back().get();
  }
  bitmap::Bitmap* solid(int width, int height, std::uint32_t colour) {
    return image(width, height, std::vector<std::uint32_t>(static_cast<std::size_t>(width * height), colour));
  }

  // A sprite as the script class builds it: its own rectangle, colour and tone, the whole bitmap.
  Sprite& sprite(bitmap::Bitmap* bitmap, int x, int y, Viewport* viewport = nullptr) {
    auto made = std::make_unique<Sprite>();
    made->initialize(viewport);
    made->ownSourceRect();
    made->ownColor();
    made->ownTone();
    made->setBitmap(bitmap, nullptr);
    made->x = x;
    made->y = y;
    m_sprites.push_back(std::move(made));
    return *m_sprites.back();
  }

  Viewport& viewport(int x, int y, int width, int height) {
    m_viewports.push_back(std::make_unique<Viewport>());
    Viewport& made = *m_viewports.back();
    made.rectangle() = {x, y, width, height};
    return made;
  }

  std::vector<std::uint32_t> frame() {
    m_renderer->render(false);
    gfx::Device& device = m_renderer->device();
    std::vector<std::uint32_t> pixels;
    EXPECT_TRUE(device.readBackBuffer({0, 0, kSize, kSize}, pixels));
    return pixels;
  }
  static std::uint32_t at(const std::vector<std::uint32_t>& pixels, int x, int y) {
    return pixels[static_cast<std::size_t>(y * kSize + x)] | 0xFF000000u;
  }

  std::unique_ptr<render::Renderer> m_renderer;
  // Destroyed in this order: sprites leave their lists before viewports and bitmaps go.
  std::vector<std::unique_ptr<bitmap::Bitmap>> m_bitmaps;
  std::vector<std::unique_ptr<Viewport>> m_viewports;
  std::vector<std::unique_ptr<Sprite>> m_sprites;
};

TEST_F(SceneDraw, EqualZAndYDrawInCreationOrderAndSmallerYBelow) {
  sprite(solid(4, 4, kRed), 2, 2);
  sprite(solid(4, 4, kBlue), 2, 2);
  Sprite& early = sprite(solid(4, 4, kRed), 20, 6);
  Sprite& late = sprite(solid(4, 4, kBlue), 20, 5);
  late.oy = -1;  // drawn at the same row as the earlier one
  (void)early;
  const auto pixels = frame();
  EXPECT_EQ(at(pixels, 3, 3), kBlue);
  EXPECT_EQ(at(pixels, 21, 7), kRed);
}

TEST_F(SceneDraw, ChildIsPlacedAndZoomedByItsParent) {
  Sprite& parent = sprite(nullptr, 10, 0);  // draws nothing itself
  parent.zoomX = 2.0f;
  Sprite& child = sprite(solid(2, 2, kBlue), 4, 8);
  ASSERT_TRUE(parent.addChild(&child));
  const auto pixels = frame();
  // Own x 4 from the parent's 10; zoom 2 from the parent widens 2 texels to 4 pixels.
  EXPECT_EQ(at(pixels, 13, 8), 0xFF000000u);
  EXPECT_EQ(at(pixels, 14, 8), kBlue);
  EXPECT_EQ(at(pixels, 17, 9), kBlue);
  EXPECT_EQ(at(pixels, 18, 9), 0xFF000000u);
}

TEST_F(SceneDraw, MirrorFlipsInPlace) {
  Sprite& flipped = sprite(image(4, 1, {kRed, kRed, kBlue, kBlue}), 8, 4);
  flipped.mirror = true;
  const auto pixels = frame();
  EXPECT_EQ(at(pixels, 7, 4), 0xFF000000u);
  EXPECT_EQ(at(pixels, 8, 4), kBlue);
  EXPECT_EQ(at(pixels, 11, 4), kRed);
  EXPECT_EQ(at(pixels, 12, 4), 0xFF000000u);
}

TEST_F(SceneDraw, OpacityAndColourMixIntoTheTexture) {
  Sprite& tinted = sprite(solid(4, 4, kWhite), 0, 0);
  tinted.opacity = 128;
  *tinted.color = {0, 0, 255, 255};
  const std::uint32_t pixel = frame()[static_cast<std::size_t>(kSize + 1)];
  EXPECT_NEAR(channel(pixel, 16), 128, 2);
  EXPECT_EQ(channel(pixel, 8), 0);
  EXPECT_EQ(channel(pixel, 0), 0);
}

TEST_F(SceneDraw, BlendTypesAddSubtractOrDrawNormally) {
  sprite(solid(4, 4, kRed), 0, 0);
  sprite(solid(4, 4, kBlue), 0, 0).blendType = 1;
  sprite(solid(4, 4, kWhite), 8, 0);
  sprite(solid(4, 4, kRed), 8, 0).blendType = 2;
  sprite(solid(4, 4, kRed), 16, 0);
  sprite(solid(4, 4, kBlue), 16, 0).blendType = 5;
  const auto pixels = frame();
  EXPECT_EQ(at(pixels, 1, 1), 0xFFFF00FFu);
  EXPECT_EQ(at(pixels, 9, 1), 0xFF00FFFFu);
  EXPECT_EQ(at(pixels, 17, 1), kBlue);
}

TEST_F(SceneDraw, FlashWithoutColourHidesOnlyItsObject) {
  sprite(solid(4, 4, kRed), 0, 0);
  sprite(solid(4, 4, kBlue), 0, 0).flash(nullptr, 2);
  sprite(solid(4, 4, kWhite), 8, 0);
  sprite(solid(4, 4, kRed), 8, 0).blendType = 2;
  auto pixels = frame();
  EXPECT_EQ(at(pixels, 1, 1), kRed);
  EXPECT_EQ(at(pixels, 9, 1), 0xFF00FFFFu);
  for (auto& object : m_sprites) object->update();
  for (auto& object : m_sprites) object->update();
  pixels = frame();
  EXPECT_EQ(at(pixels, 1, 1), kBlue);
}

TEST_F(SceneDraw, ViewportOffsetsAndClipsItsObjects) {
  Viewport& port = viewport(8, 8, 8, 8);
  port.ox = 2;
  sprite(solid(16, 16, kRed), 0, 0, &port);
  const auto pixels = frame();
  EXPECT_EQ(at(pixels, 7, 8), 0xFF000000u);
  EXPECT_EQ(at(pixels, 8, 8), kRed);
  EXPECT_EQ(at(pixels, 15, 15), kRed);
  EXPECT_EQ(at(pixels, 16, 15), 0xFF000000u);
  EXPECT_EQ(at(pixels, 15, 16), 0xFF000000u);
}

TEST_F(SceneDraw, InvisibleOrDisposedViewportsAreNotComposited) {
  Viewport& hidden = viewport(0, 0, 8, 8);
  hidden.visible = false;
  sprite(solid(4, 4, kRed), 0, 0, &hidden);
  Viewport& gone = viewport(8, 0, 8, 8);
  Sprite& orphan = sprite(solid(4, 4, kBlue), 0, 0, &gone);
  gone.dispose();
  auto pixels = frame();
  EXPECT_EQ(at(pixels, 1, 1), 0xFF000000u);
  EXPECT_EQ(at(pixels, 9, 1), 0xFF000000u);
  orphan.attach(nullptr);
  pixels = frame();
  EXPECT_EQ(at(pixels, 1, 1), kBlue);
}

TEST_F(SceneDraw, ViewportAndSpriteOfEqualZOrderByCreationWhenTheSpritesYIsZero) {
  // A viewport sorts as y 0 against sprites, whatever its rectangle's y.
  Viewport& first = viewport(0, 4, 8, 8);
  sprite(solid(4, 4, kRed), 0, 0, &first);
  Sprite& later = sprite(solid(4, 4, kBlue), 0, 0);
  later.oy = -4;
  Sprite& before = sprite(solid(4, 4, kBlue), 10, 0);
  before.oy = -4;
  Viewport& second = viewport(8, 4, 8, 8);
  sprite(solid(4, 4, kRed), 2, 0, &second);
  const auto pixels = frame();
  EXPECT_EQ(at(pixels, 1, 5), kBlue);
  EXPECT_EQ(at(pixels, 11, 5), kRed);
}

TEST_F(SceneDraw, BushHalvesTheAlphaOfTheLowestRows) {
  Sprite& bushy = sprite(solid(4, 16, kWhite), 0, 0);
  bushy.bushDepth = 8;
  bushy.bushOpacity = 128;
  const auto pixels = frame();
  EXPECT_EQ(channel(at(pixels, 1, 7), 16), 255);
  EXPECT_NEAR(channel(at(pixels, 1, 8), 16), 128, 2);
  EXPECT_NEAR(channel(at(pixels, 1, 15), 16), 128, 2);
}

TEST_F(SceneDraw, WaveShiftsSamplingByItsAmplitude) {
  Sprite& wavy = sprite(image(8, 1, {kRed, kRed, kRed, kRed, kBlue, kBlue, kBlue, kBlue}), 0, 0);
  wavy.waveAmp = 2;
  wavy.wavePhase = 90;  // sin 90° = 1 on every row while the angle stays below one degree
  wavy.waveLength = 360000;
  const auto pixels = frame();
  EXPECT_EQ(at(pixels, 1, 0), kRed);
  EXPECT_EQ(at(pixels, 2, 0), kBlue);
  EXPECT_EQ(at(pixels, 6, 0), 0xFF000000u);
}

TEST_F(SceneDraw, FastLayerDrawsItsObjectsWithTheLayersBlend) {
  Viewport& port = viewport(0, 0, kSize, kSize);
  sprite(solid(4, 4, kRed), 0, 0, &port).z = 5;
  sprite(solid(4, 4, kBlue), 0, 0, &port).z = 5;
  auto pixels = frame();
  EXPECT_EQ(at(pixels, 1, 1), kBlue);
  port.fastLayers[5] = 1;
  pixels = frame();
  EXPECT_EQ(at(pixels, 1, 1), 0xFFFF00FFu);
}

TEST_F(SceneDraw, ViewportFlashWithoutColourFadesItIn) {
  Viewport& port = viewport(0, 0, 8, 8);
  sprite(solid(4, 4, kRed), 0, 0, &port);
  port.flash(nullptr, 4);
  EXPECT_EQ(at(frame(), 1, 1), 0xFF000000u);
  port.update();
  port.update();
  EXPECT_NEAR(channel(at(frame(), 1, 1), 16), 127, 2);
  port.update();
  port.update();
  EXPECT_EQ(at(frame(), 1, 1), kRed);
}

TEST_F(SceneDraw, ViewportColourIsLaidOverItsRectangle) {
  Viewport& port = viewport(4, 4, 8, 8);
  sprite(solid(2, 2, kRed), 0, 0, &port);
  *port.color = {255, 0, 0, 255};  // opaque blue
  const auto pixels = frame();
  EXPECT_EQ(at(pixels, 4, 4), kBlue);
  EXPECT_EQ(at(pixels, 11, 11), kBlue);
  EXPECT_EQ(at(pixels, 12, 12), 0xFF000000u);
  EXPECT_EQ(at(pixels, 3, 3), 0xFF000000u);
}

TEST_F(SceneDraw, FastLayerDrawsEachObjectWithItsOwnToneAndColour) {
  Viewport& port = viewport(0, 0, kSize, kSize);
  port.fastLayers[5] = 0;
  Sprite& toned = sprite(solid(4, 4, kBlack), 0, 0, &port);
  toned.z = 5;
  *toned.tone = {1.0f, 0.0f, 0.0f, 0.0f};
  Sprite& coloured = sprite(solid(4, 4, kBlack), 8, 0, &port);
  coloured.z = 5;
  *coloured.color = {255, 0, 0, 255};  // opaque blue, stored blue first
  const auto pixels = frame();
  EXPECT_EQ(at(pixels, 1, 1), kRed);
  EXPECT_EQ(at(pixels, 9, 1), kBlue);
}

// Objects of one z and y alternate between two bitmaps, each overlapping the one before: the later one shows.
TEST_F(SceneDraw, EqualZAndYAcrossTwoTexturesKeepCreationOrder) {
  bitmap::Bitmap* red = solid(4, 4, kRed);
  bitmap::Bitmap* blue = solid(4, 4, kBlue);
  for (int i = 0; i < 4; ++i) sprite(i % 2 == 0 ? red : blue, 2 * i, 0);
  Viewport& port = viewport(0, 0, kSize, 8);  // composited after the screen's four, all at z 0 and y 0
  for (int i = 4; i < 8; ++i) sprite(i % 2 == 0 ? red : blue, 2 * i, 0, &port);
  const auto pixels = frame();
  for (int i = 0; i < 7; ++i) EXPECT_EQ(at(pixels, 2 * i + 3, 1), i % 2 == 0 ? kBlue : kRed) << "object " << i + 1;
}

// Neighbours of one bitmap share a draw call, yet each keeps its opacity, tone, colour, bush, wave and blend.
TEST_F(SceneDraw, ObjectsSharingADrawCallKeepTheirOwnValues) {
  bitmap::Bitmap* white = solid(4, 4, kWhite);
  bitmap::Bitmap* black = solid(4, 4, kBlack);
  sprite(white, 0, 0).opacity = 128;
  *sprite(black, 4, 0).tone = {0.0f, 1.0f, 0.0f, 0.0f};
  *sprite(white, 8, 0).color = {255, 0, 0, 255};
  Sprite& bushy = sprite(white, 12, 0);
  bushy.bushDepth = 2;
  bushy.bushOpacity = 0;
  sprite(white, 16, 8);
  sprite(black, 16, 8).blendType = 1;  // adds nothing: the white stays
  Sprite& wavy = sprite(image(4, 1, {kRed, kRed, kBlue, kBlue}), 20, 0);
  wavy.waveAmp = 2;
  wavy.wavePhase = 90;
  wavy.waveLength = 360000;
  const std::uint64_t before = m_renderer->device().drawCallCount();
  const auto pixels = frame();
  const std::uint64_t draws = m_renderer->device().drawCallCount() - before;
  EXPECT_NEAR(channel(at(pixels, 1, 1), 0), 128, 2);
  EXPECT_EQ(at(pixels, 5, 1), 0xFF00FF00u);
  EXPECT_EQ(at(pixels, 9, 1), kBlue);
  EXPECT_EQ(at(pixels, 13, 1), kWhite);
  EXPECT_EQ(at(pixels, 13, 2), kBlack);
  EXPECT_EQ(at(pixels, 17, 9), kWhite);
  EXPECT_EQ(at(pixels, 20, 0), kBlue);
  // The screen's objects in one call, straight into the window of the screen's size.
  EXPECT_EQ(draws, 1u);
}

// A frame drawn straight into the window shows what the composite and the scaling show.
TEST_F(SceneDraw, TheWindowShowsWhatASnapshotReads) {
  sprite(solid(8, 8, 0xFF336699u), 2, 2).opacity = 100;
  sprite(solid(8, 8, 0xFF402010u), 6, 6).blendType = 1;
  Sprite& taking = sprite(solid(8, 8, 0xFF202020u), 2, 2, &viewport(8, 3, 16, 7));
  taking.blendType = 2;
  const auto shown = frame();
  const std::unique_ptr<gfx::Texture> snapshot = m_renderer->snapshot();
  ASSERT_NE(snapshot, nullptr);
  std::vector<std::uint32_t> read(shown.size());
  ASSERT_TRUE(snapshot->readPixels({0, 0, kSize, kSize}, read.data(), kSize * 4));
  for (int y = 0; y < kSize; ++y) {
    for (int x = 0; x < kSize; ++x) ASSERT_EQ(at(shown, x, y), at(read, x, y)) << x << "," << y;
  }
}

}  // namespace
