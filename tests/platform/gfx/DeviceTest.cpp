#include <gtest/gtest.h>

#include <cstdlib>

#include "GfxTestSupport.h"
#include "platform/gfx/SpriteBatch.h"

namespace {

using gfx::Blend;
using gfx::BlendOp;
using gfx::Texture;

int channel(std::uint32_t colour, int shift) { return static_cast<int>((colour >> shift) & 0xFF); }

void expectColourNear(std::uint32_t actual, std::uint32_t expected, const std::string& what) {
  for (int shift : {0, 8, 16, 24}) {
    EXPECT_LE(std::abs(channel(actual, shift) - channel(expected, shift)), 1)
        << what << ": got " << std::hex << actual << ", expected " << expected;
  }
}

struct BlendCase {
  const char* name;
  gfx::RenderState state;
  std::uint32_t destination;
  std::uint32_t source;
  std::uint32_t expected;
};

gfx::RenderState blending(Blend src, Blend dest, BlendOp op, bool separate, Blend srcAlpha = Blend::One,
                          Blend destAlpha = Blend::Zero, BlendOp opAlpha = BlendOp::Add) {
  gfx::RenderState state;
  state.alphaBlendEnable = true;
  state.srcBlend = src;
  state.destBlend = dest;
  state.blendOp = op;
  state.separateAlphaBlendEnable = separate;
  state.srcBlendAlpha = srcAlpha;
  state.destBlendAlpha = destAlpha;
  state.blendOpAlpha = opAlpha;
  state.zEnable = false;
  state.cullMode = gfx::Cull::None;
  return state;
}

// Blends one source pixel over one destination pixel with the given states and reads the result.
std::uint32_t blendOnePixel(const gfx::RenderState& state, std::uint32_t destination, std::uint32_t source) {
  gfx::Device& device = *gfxtest::device();
  auto target = Texture::createRenderTarget(1, 1);
  auto texture = gfxtest::managedTexture(1, 1, {source});
  device.setRenderTarget(0, target.get());
  device.clear(gfx::ClearFlags::Target, destination);
  gfx::SpriteBatch batch(device);
  batch.begin(false);
  device.renderState() = state;
  batch.draw(texture.get(), nullptr, nullptr, nullptr, 0xFFFFFFFF);
  batch.end();
  device.setRenderTarget(0, nullptr);
  return gfxtest::readTarget(*target).at(0);
}

TEST(DeviceTest, BlendStatesIncludingSeparateAlpha) {
  GFX_REQUIRE_DEVICE();
  const BlendCase cases[] = {
      {"premultiplied over, separate alpha",
       blending(Blend::One, Blend::InvSrcAlpha, BlendOp::Add, true, Blend::One, Blend::InvSrcAlpha), 0xFF0000C8,
       0x80643200, 0xFF643264},
      {"additive saturates", blending(Blend::One, Blend::One, BlendOp::Add, true, Blend::One, Blend::InvSrcAlpha),
       0xFFC80000, 0xFF640A00, 0xFFFF0A00},
      {"reverse subtract takes the source from the target",
       blending(Blend::One, Blend::One, BlendOp::RevSubtract, true, Blend::One, Blend::InvSrcAlpha), 0xFFC8C8C8,
       0xFF3264FA, 0xFF966400},
      {"separate alpha keeps the target's alpha",
       blending(Blend::SrcAlpha, Blend::InvSrcAlpha, BlendOp::Add, true, Blend::SrcAlpha, Blend::One), 0x640000FF,
       0x33FF0000, 0x6E3300CC},
      {"alpha factors unused while separate alpha is off",
       blending(Blend::SrcAlpha, Blend::InvSrcAlpha, BlendOp::Add, false, Blend::One, Blend::One), 0x640000FF,
       0x33FF0000, 0x5A3300CC},
      {"min ignores the factors", blending(Blend::Zero, Blend::Zero, BlendOp::Min, false), 0xFF1080F0, 0xFF2040A0,
       0xFF1040A0},
  };
  for (const BlendCase& test : cases) {
    expectColourNear(blendOnePixel(test.state, test.destination, test.source), test.expected, test.name);
  }
}

TEST(DeviceTest, AlphaTestOfTheAlphaBlendBatchDropsTransparentPixels) {
  GFX_REQUIRE_DEVICE();
  gfx::Device& device = *gfxtest::device();
  auto target = Texture::createRenderTarget(1, 1);
  auto texture = gfxtest::managedTexture(1, 1, {0x00FF0000});  // red with alpha 0
  for (bool alphaTest : {true, false}) {
    device.setRenderTarget(0, target.get());
    device.clear(gfx::ClearFlags::Target, 0xFF000000);
    gfx::SpriteBatch batch(device);
    batch.begin(true);
    device.renderState().srcBlend = Blend::One;
    device.renderState().destBlend = Blend::One;
    device.renderState().alphaTestEnable = alphaTest;
    batch.draw(texture.get(), nullptr, nullptr, nullptr, 0xFFFFFFFF);
    batch.end();
    EXPECT_EQ(gfxtest::readTarget(*target).at(0), alphaTest ? 0xFF000000u : 0xFFFF0000u) << alphaTest;
  }
}

TEST(DeviceTest, ViewportClipsClearsAndKeepsTargetCoordinates) {
  GFX_REQUIRE_DEVICE();
  gfx::Device& device = *gfxtest::device();
  auto target = Texture::createRenderTarget(8, 8);
  device.setRenderTarget(0, target.get());
  device.clear(gfx::ClearFlags::Target, 0xFF000000);
  device.setViewport({2, 2, 3, 3, 0.0f, 1.0f});
  device.clear(gfx::ClearFlags::Target, 0xFFFF0000);
  auto white = gfxtest::managedTexture(8, 8, std::vector<std::uint32_t>(64, 0xFFFFFFFF));
  gfx::SpriteBatch batch(device);
  batch.begin(false);
  const gfx::Rect texel{0, 0, 1, 1};
  const gfx::Vector3 at{3.0f, 3.0f, 0.0f};
  batch.draw(white.get(), &texel, nullptr, &at, 0xFF00FF00);  // green at target pixel (3,3)
  const gfx::Vector3 far{6.0f, 6.0f, 0.0f};
  batch.draw(white.get(), &texel, nullptr, &far, 0xFF00FF00);  // outside the viewport: clipped
  batch.end();
  const std::vector<std::uint32_t> pixels = gfxtest::readTarget(*target);
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 8; ++x) {
      std::uint32_t expected = 0xFF000000;
      if (x >= 2 && x < 5 && y >= 2 && y < 5) expected = 0xFFFF0000;
      if (x == 3 && y == 3) expected = 0xFF00FF00;
      EXPECT_EQ(pixels[static_cast<std::size_t>(y * 8 + x)], expected) << x << "," << y;
    }
  }
  // A new target 0 brings the viewport back to the whole target.
  device.setRenderTarget(0, target.get());
  EXPECT_EQ(device.viewport(), (gfx::Viewport{0, 0, 8, 8, 0.0f, 1.0f}));
}

TEST(DeviceTest, BackBufferReadsBackTopDown) {
  GFX_REQUIRE_DEVICE();
  gfx::Device& device = *gfxtest::device();
  ASSERT_EQ(device.backBufferWidth(), gfxtest::kBackBufferWidth);
  device.clear(gfx::ClearFlags::Target, 0xFF000000);
  auto red = gfxtest::managedTexture(2, 1, {0xFFFF0000, 0xFFFF0000});
  gfx::SpriteBatch batch(device);
  batch.begin(false);
  const gfx::Vector3 at{1.0f, 2.0f, 0.0f};
  batch.draw(red.get(), nullptr, nullptr, &at, 0xFFFFFFFF);
  batch.end();
  std::vector<std::uint32_t> pixels;
  ASSERT_TRUE(device.readBackBuffer({0, 0, 4, 4}, pixels));
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 4; ++x) {
      const bool red = y == 2 && (x == 1 || x == 2);
      EXPECT_EQ(pixels[static_cast<std::size_t>(y * 4 + x)] & 0xFFFFFF, red ? 0xFF0000u : 0u) << x << "," << y;
    }
  }
  EXPECT_FALSE(device.readBackBuffer({0, 0, gfxtest::kBackBufferWidth + 1, 1}, pixels));
}

TEST(DeviceTest, DepthTestKeepsTheNearerQuad) {
  GFX_REQUIRE_DEVICE();
  gfx::Device& device = *gfxtest::device();
  auto target = Texture::createRenderTarget(1, 1);
  auto white = gfxtest::managedTexture(1, 1, {0xFFFFFFFF});
  device.setRenderTarget(0, target.get());
  device.clear(gfx::ClearFlags::Both, 0xFF000000, 1.0f);
  gfx::SpriteBatch batch(device);
  batch.begin(false);
  device.renderState().zEnable = true;
  device.renderState().zFunc = gfx::Compare::LessEqual;
  const gfx::Vector3 middle{0.0f, 0.0f, 0.5f};
  const gfx::Vector3 behind{0.0f, 0.0f, 0.7f};
  const gfx::Vector3 front{0.0f, 0.0f, 0.3f};
  batch.draw(white.get(), nullptr, nullptr, &middle, 0xFF00FF00);
  batch.flush();
  batch.draw(white.get(), nullptr, nullptr, &behind, 0xFFFF0000);
  batch.flush();
  EXPECT_EQ(gfxtest::readTarget(*target).at(0), 0xFF00FF00u);
  batch.draw(white.get(), nullptr, nullptr, &front, 0xFF0000FF);
  batch.end();
  EXPECT_EQ(gfxtest::readTarget(*target).at(0), 0xFF0000FFu);
}

// Counter-clockwise as seen on screen, y down: top-left, bottom-left, top-right.
const gfx::Vertex kOnScreenCounterClockwise[3] = {
    {0, 0, 0.5f, 1, 0xFFFFFFFF, 0, 0}, {0, 8, 0.5f, 1, 0xFFFFFFFF, 0, 0}, {8, 0, 0.5f, 1, 0xFFFFFFFF, 0, 0}};
const gfx::Vertex kOnScreenClockwise[3] = {kOnScreenCounterClockwise[0], kOnScreenCounterClockwise[2],
                                           kOnScreenCounterClockwise[1]};

TEST(DeviceTest, CullingFollowsTheOnScreenWindingInEveryTarget) {
  GFX_REQUIRE_DEVICE();
  gfx::Device& device = *gfxtest::device();
  auto target = Texture::createRenderTarget(8, 8);
  for (bool intoTexture : {true, false}) {
    for (gfx::Cull cull : {gfx::Cull::CounterClockwise, gfx::Cull::Clockwise}) {
      for (bool clockwise : {false, true}) {
        device.setRenderTarget(0, intoTexture ? target.get() : nullptr);
        device.clear(gfx::ClearFlags::Both, 0xFF000000);
        device.renderState().zEnable = false;
        device.renderState().cullMode = cull;
        device.drawTriangles(clockwise ? kOnScreenClockwise : kOnScreenCounterClockwise, 3);
        std::uint32_t pixel = 0;
        if (intoTexture) {
          pixel = gfxtest::readTarget(*target).at(8 + 1);
        } else {
          std::vector<std::uint32_t> pixels;
          ASSERT_TRUE(device.readBackBuffer({1, 1, 2, 2}, pixels));
          pixel = pixels.at(0);
        }
        const bool culled = (cull == gfx::Cull::Clockwise) == clockwise;
        EXPECT_EQ(pixel & 0xFFFFFF, culled ? 0u : 0xFFFFFFu)
            << "texture " << intoTexture << " cull " << static_cast<int>(cull) << " clockwise " << clockwise;
      }
    }
  }
}

TEST(DeviceTest, ClipSpaceTrianglesPutPositiveYAtTheTop) {
  GFX_REQUIRE_DEVICE();
  gfx::Device& device = *gfxtest::device();
  auto target = Texture::createRenderTarget(4, 4);
  device.setRenderTarget(0, target.get());
  device.clear(gfx::ClearFlags::Target, 0xFF000000);
  device.renderState().zEnable = false;
  device.renderState().cullMode = gfx::Cull::None;
  const std::uint32_t green = 0xFF00FF00;
  const gfx::Vertex upperHalf[6] = {{-1, 1, 0, 1, green, 0, 0}, {1, 1, 0, 1, green, 0, 0}, {-1, 0, 0, 1, green, 0, 0},
                                    {-1, 0, 0, 1, green, 0, 0}, {1, 1, 0, 1, green, 0, 0}, {1, 0, 0, 1, green, 0, 0}};
  device.drawTriangles(upperHalf, 6, gfx::VertexSpace::Clip);
  const std::vector<std::uint32_t> pixels = gfxtest::readTarget(*target);
  EXPECT_EQ(pixels.at(0), green);
  EXPECT_EQ(pixels.at(4 + 3), green);
  EXPECT_EQ(pixels.at(8), 0xFF000000u);
  EXPECT_EQ(pixels.at(15), 0xFF000000u);
}

}  // namespace

// OpenGL hands a deleted texture's name to the next texture made; drawing that new texture must bind it even
// though the unit last held a texture of the same name.
TEST(DeviceTest, ATextureMadeAfterADeletedOneIsBoundAgain) {
  GFX_REQUIRE_DEVICE();
  gfx::Device& device = *gfxtest::device();
  auto target = Texture::createRenderTarget(1, 1);
  gfx::SpriteBatch batch(device);
  const auto drawOnce = [&](const Texture& texture) {
    device.setRenderTarget(0, target.get());
    device.clear(gfx::ClearFlags::Target, 0);
    batch.begin(false);
    batch.draw(&texture, nullptr, nullptr, nullptr, 0xFFFFFFFF);
    batch.end();
    device.setRenderTarget(0, nullptr);
    return gfxtest::readTarget(*target).at(0);
  };
  for (int round = 0; round < 4; ++round) {
    auto red = gfxtest::managedTexture(1, 1, {0xFFFF0000});
    expectColourNear(drawOnce(*red), 0xFFFF0000, "first texture");
    const unsigned name = red->glName();
    red.reset();
    auto blue = gfxtest::managedTexture(1, 1, {0xFF0000FF});
    expectColourNear(drawOnce(*blue), 0xFF0000FF, name == blue->glName() ? "same name again" : "new name");
  }
}
