#include <gtest/gtest.h>

#include <algorithm>

#include "GfxTestSupport.h"
#include "platform/gfx/SpriteBatch.h"

namespace {

using gfx::Texture;

// A 4×3 texture whose texels all differ, so any blur or shift changes a value.
std::vector<std::uint32_t> distinctTexels() {
  std::vector<std::uint32_t> texels;
  for (std::uint32_t i = 0; i < 12; ++i) texels.push_back(0xFF000000 | (i * 20) << 16 | (255 - i * 20) << 8 | i * 7);
  return texels;
}

class SpriteBatchFilterTest : public ::testing::TestWithParam<gfx::Filter> {};

TEST_P(SpriteBatchFilterTest, UntransformedQuadLandsTexelForPixel) {
  GFX_REQUIRE_DEVICE();
  gfx::Device& device = *gfxtest::device();
  const std::vector<std::uint32_t> texels = distinctTexels();
  auto texture = gfxtest::managedTexture(4, 3, texels);
  auto target = Texture::createRenderTarget(10, 8);
  device.setRenderTarget(0, target.get());
  device.clear(gfx::ClearFlags::Both, 0xFF000000, 1.0f);
  gfx::SpriteBatch batch(device);
  batch.begin(true);
  device.samplerState(0).minFilter = GetParam();
  device.samplerState(0).magFilter = GetParam();
  const gfx::Rect source{1, 1, 4, 3};
  const gfx::Vector3 at{5.0f, 2.0f, 0.5f};
  batch.draw(texture.get(), &source, nullptr, &at, 0xFFFFFFFF);
  batch.end();
  const std::vector<std::uint32_t> pixels = gfxtest::readTarget(*target);
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 10; ++x) {
      std::uint32_t expected = 0xFF000000;
      if (x >= 5 && x < 8 && y >= 2 && y < 4) expected = texels[static_cast<std::size_t>((y - 1) * 4 + (x - 4))];
      EXPECT_EQ(pixels[static_cast<std::size_t>(y * 10 + x)], expected) << x << "," << y;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(BothFilters, SpriteBatchFilterTest,
                         ::testing::Values(gfx::Filter::Point, gfx::Filter::Linear));

TEST(SpriteBatchTest, TransformAppliesToCornersAfterCentreAndPosition) {
  GFX_REQUIRE_DEVICE();
  gfx::Device& device = *gfxtest::device();
  auto texture = gfxtest::managedTexture(2, 1, {0xFFFF0000, 0xFF0000FF});
  auto target = Texture::createRenderTarget(12, 6);
  device.setRenderTarget(0, target.get());
  device.clear(gfx::ClearFlags::Target, 0xFF000000);
  gfx::SpriteBatch batch(device);
  batch.begin(true);
  device.samplerState(0).minFilter = gfx::Filter::Point;
  device.samplerState(0).magFilter = gfx::Filter::Point;
  // Corner (x, y) of the quad goes to ((x − 1 + 2)·2 + 3, (y − 0 + 1)·2 + 1): the two texels become 2×2 blocks
  // at (5,3) and (7,3).
  batch.setTransform(gfx::Matrix4::scaling(2.0f, 2.0f) * gfx::Matrix4::translation(3.0f, 1.0f));
  const gfx::Vector3 centre{1.0f, 0.0f, 0.0f};
  const gfx::Vector3 at{2.0f, 1.0f, 0.0f};
  batch.draw(texture.get(), nullptr, &centre, &at, 0xFFFFFFFF);
  batch.end();
  const std::vector<std::uint32_t> pixels = gfxtest::readTarget(*target);
  for (int y = 0; y < 6; ++y) {
    for (int x = 0; x < 12; ++x) {
      std::uint32_t expected = 0xFF000000;
      if (y >= 3 && y < 5 && x >= 5 && x < 7) expected = 0xFFFF0000;
      if (y >= 3 && y < 5 && x >= 7 && x < 9) expected = 0xFF0000FF;
      EXPECT_EQ(pixels[static_cast<std::size_t>(y * 12 + x)], expected) << x << "," << y;
    }
  }
}

TEST(SpriteBatchTest, QuadsOfSeveralTexturesDrawInQueueOrderWithTheirColour) {
  GFX_REQUIRE_DEVICE();
  gfx::Device& device = *gfxtest::device();
  auto white = gfxtest::managedTexture(1, 1, {0xFFFFFFFF});
  auto blue = gfxtest::managedTexture(1, 1, {0xFF0000FF});
  auto target = Texture::createRenderTarget(1, 1);
  device.setRenderTarget(0, target.get());
  device.clear(gfx::ClearFlags::Target, 0xFF000000);
  gfx::SpriteBatch batch(device);
  batch.begin(true);
  batch.draw(white.get(), nullptr, nullptr, nullptr, 0xFFFF0000);
  batch.draw(blue.get(), nullptr, nullptr, nullptr, 0xFFFFFFFF);
  batch.draw(white.get(), nullptr, nullptr, nullptr, 0x8000FF00);  // half green over blue
  EXPECT_EQ(batch.queuedQuads(), 3u);
  batch.end();
  const std::uint32_t pixel = gfxtest::readTarget(*target).at(0);
  EXPECT_EQ((pixel >> 16) & 0xFF, 0u);
  EXPECT_NEAR(static_cast<int>((pixel >> 8) & 0xFF), 128, 1);
  EXPECT_NEAR(static_cast<int>(pixel & 0xFF), 127, 1);
}

TEST(SpriteBatchTest, EndRestoresTheStatesBeginChanged) {
  GFX_REQUIRE_DEVICE();
  gfx::Device& device = *gfxtest::device();
  device.renderState().srcBlend = gfx::Blend::DestColor;
  device.samplerState(0).addressU = gfx::Address::Border;
  const gfx::StateBlock before = device.captureState();
  gfx::SpriteBatch batch(device);
  ASSERT_TRUE(batch.begin(true));
  EXPECT_FALSE(batch.begin(true));
  EXPECT_EQ(device.renderState().srcBlend, gfx::Blend::SrcAlpha);
  EXPECT_EQ(device.samplerState(0).addressU, gfx::Address::Clamp);
  batch.end();
  EXPECT_EQ(device.renderState(), before.render);
  EXPECT_EQ(device.samplerState(0), before.samplers[0]);

  // Outside begin/end nothing is queued.
  auto white = gfxtest::managedTexture(1, 1, {0xFFFFFFFF});
  batch.draw(white.get(), nullptr, nullptr, nullptr, 0xFFFFFFFF);
  EXPECT_EQ(batch.queuedQuads(), 0u);
}
}  // namespace

namespace {

TEST(SpriteBatchTest, LargeBatchesDrawEveryQuad) {
  GFX_REQUIRE_DEVICE();
  gfx::Device& device = *gfxtest::device();
  auto white = gfxtest::managedTexture(1, 1, {0xFFFFFFFF});
  auto target = Texture::createRenderTarget(100, 120);
  device.setRenderTarget(0, target.get());
  gfx::SpriteBatch batch(device);
  // A small batch first, so the buffers have to grow for the large one.
  for (int side : {10, 100}) {
    device.clear(gfx::ClearFlags::Target, 0xFF000000);
    batch.begin(false);
    for (int y = 0; y < side; ++y) {
      for (int x = 0; x < 100; ++x) {
        const gfx::Vector3 at{static_cast<float>(x), static_cast<float>(y), 0.0f};
        batch.draw(white.get(), nullptr, nullptr, &at, 0xFFFFFFFF);
      }
    }
    batch.end();
    const std::vector<std::uint32_t> pixels = gfxtest::readTarget(*target);
    EXPECT_EQ(std::count(pixels.begin(), pixels.end(), 0xFFFFFFFFu), side * 100) << side;
  }
}
}  // namespace

namespace {

TEST(SpriteBatchTest, ATextureDestroyedBeforeTheFlushDropsItsQuads) {
  GFX_REQUIRE_DEVICE();
  gfx::Device& device = *gfxtest::device();
  auto red = gfxtest::managedTexture(1, 1, {0xFFFF0000});
  auto blue = gfxtest::managedTexture(1, 1, {0xFF0000FF});
  auto target = Texture::createRenderTarget(3, 1);
  device.setRenderTarget(0, target.get());
  device.clear(gfx::ClearFlags::Target, 0xFF000000);
  gfx::SpriteBatch batch(device);
  batch.begin(false);
  for (float x : {0.0f, 1.0f, 2.0f}) {
    const gfx::Vector3 at{x, 0.0f, 0.0f};
    batch.draw(x == 1.0f ? blue.get() : red.get(), nullptr, nullptr, &at, 0xFFFFFFFF);
  }
  batch.flush();
  device.clear(gfx::ClearFlags::Target, 0xFF000000);
  for (float x : {0.0f, 1.0f, 2.0f}) {
    const gfx::Vector3 at{x, 0.0f, 0.0f};
    batch.draw(x == 1.0f ? blue.get() : red.get(), nullptr, nullptr, &at, 0xFFFFFFFF);
  }
  EXPECT_EQ(device.texture(0), red.get());  // bound by the first flush
  red.reset();
  EXPECT_EQ(device.texture(0), nullptr);
  EXPECT_EQ(batch.queuedQuads(), 1u);
  batch.end();
  EXPECT_EQ(gfxtest::readTarget(*target), (std::vector<std::uint32_t>{0xFF000000, 0xFF0000FF, 0xFF000000}));
}

// Shaded quads of several textures and blends share one draw call, each with its own values, in queue order; a
// texture destroyed before the flush takes only its own quads along. Whether the texture is picked by index or by
// branches.
class ShadedQuadsTest : public ::testing::TestWithParam<bool> {};

TEST_P(ShadedQuadsTest, ShareADrawCallWithTheirOwnValuesAndBlends) {
  GFX_REQUIRE_DEVICE();
  gfx::Device& device = *gfxtest::device();
  auto red = gfxtest::managedTexture(1, 1, {0xFFFF0000});
  auto blue = gfxtest::managedTexture(1, 1, {0xFF0000FF});
  auto doomed = gfxtest::managedTexture(1, 1, {0xFFFFFFFF});
  auto target = Texture::createRenderTarget(4, 1);
  device.setRenderTarget(0, target.get());
  device.clear(gfx::ClearFlags::Target, 0xFF000000);
  gfx::SpriteBatch batch(device);
  batch.setShading(
      {{"vec4 shadeQuad(vec2 c, vec4 colour) { vec4 t = quadTexel(c) * colour; t.rgb *= t.a; return t; }", 0},
       {"vec4 shadeQuad(vec2 c, vec4 colour) {\n"
        "  vec4 t = quadTexel(c) * colour + quadValues[0];\n  t.rgb *= t.a;\n  return t;\n}",
        1}});
  if (GetParam() && !device.indexesSamplersPerTriangle()) GTEST_SKIP() << "the driver cannot pick textures by index";
  batch.setIndexedTextures(GetParam());
  batch.begin(true);
  const gfx::QuadValues none{};
  const gfx::QuadValues green{{{0.0f, 1.0f, 0.0f, 0.0f}}};
  auto queue = [&](const Texture& texture, float x, const gfx::QuadValues& values, gfx::QuadBlend blend) {
    gfx::ShadedQuad quad;
    quad.texture = &texture;
    quad.source = {0, 0, 1, 1};
    quad.position = {x, 0.0f, 0.5f};
    quad.blend = blend;
    quad.values = &values;
    quad.shading = &values == &none ? 0 : 1;
    batch.drawShaded(quad);
  };
  queue(*doomed, 2.0f, green, gfx::QuadBlend::Normal);
  queue(*red, 0.0f, none, gfx::QuadBlend::Normal);
  queue(*blue, 1.0f, green, gfx::QuadBlend::Normal);
  queue(*red, 3.0f, none, gfx::QuadBlend::Normal);
  queue(*blue, 3.0f, none, gfx::QuadBlend::Additive);
  doomed.reset();
  const std::uint64_t before = device.drawCallCount();
  batch.end();
  EXPECT_EQ(device.drawCallCount() - before, 1u);
  EXPECT_EQ(gfxtest::readTarget(*target), (std::vector<std::uint32_t>{0xFFFF0000, 0xFF00FFFF, 0xFF000000, 0xFFFF00FF}));
}

INSTANTIATE_TEST_SUITE_P(IndexedOrBranching, ShadedQuadsTest, ::testing::Bool());

}  // namespace
