#include <gtest/gtest.h>

#include <cstring>

#include "GfxTestSupport.h"
#include "platform/gfx/SpriteBatch.h"

namespace {

using gfx::Rect;
using gfx::Texture;

// Draws `texture` untransformed at the origin of a fresh render target of its size and reads it back.
std::vector<std::uint32_t> renderCopy(const Texture& texture) {
  gfx::Device& device = *gfxtest::device();
  auto target = Texture::createRenderTarget(texture.width(), texture.height());
  device.setRenderTarget(0, target.get());
  device.clear(gfx::ClearFlags::Target, 0xFF000000);
  gfx::SpriteBatch batch(device);
  batch.begin(false);
  device.samplerState(0).minFilter = gfx::Filter::Point;
  device.samplerState(0).magFilter = gfx::Filter::Point;
  batch.draw(&texture, nullptr, nullptr, nullptr, 0xFFFFFFFF);
  batch.end();
  device.setRenderTarget(0, nullptr);
  return gfxtest::readTarget(*target);
}

TEST(TextureTest, UnlockUploadsOnlyTheLockedRectangle) {
  GFX_REQUIRE_DEVICE();
  auto texture = gfxtest::managedTexture(4, 4, std::vector<std::uint32_t>(16, 0xFF0000FF));
  ASSERT_TRUE(texture);

  // Writes through a read-only lock change the processor copy but must never reach the GPU.
  Texture::LockedRect whole = texture->lockRect(nullptr, true);
  ASSERT_NE(whole.bits, nullptr);
  for (int row = 0; row < 4; ++row) {
    for (int column = 0; column < 4; ++column) {
      const std::uint32_t green = 0xFF00FF00;
      std::memcpy(whole.bits + row * whole.pitch + column * 4, &green, 4);
    }
  }
  texture->unlock();
  // Locking (1,1)-(3,2) uploads that rectangle from the processor copy, green included.
  const Rect dirty{1, 1, 3, 2};
  Texture::LockedRect part = texture->lockRect(&dirty);
  ASSERT_NE(part.bits, nullptr);
  const std::uint32_t red = 0xFFFF0000;
  std::memcpy(part.bits, &red, 4);
  texture->unlock();

  const std::vector<std::uint32_t> pixels = renderCopy(*texture);
  ASSERT_EQ(pixels.size(), 16u);
  for (int row = 0; row < 4; ++row) {
    for (int column = 0; column < 4; ++column) {
      std::uint32_t expected = 0xFF0000FF;
      if (row == 1 && column == 1) expected = 0xFFFF0000;
      if (row == 1 && column == 2) expected = 0xFF00FF00;
      EXPECT_EQ(pixels[static_cast<std::size_t>(row * 4 + column)], expected) << row << "," << column;
    }
  }
}

TEST(TextureTest, LockClipsAndRefusesEmptyOrNestedLocks) {
  GFX_REQUIRE_DEVICE();
  auto texture = Texture::createManaged(4, 4);
  ASSERT_TRUE(texture);
  const Rect outside{5, 5, 9, 9};
  EXPECT_EQ(texture->lockRect(&outside).bits, nullptr);
  const Rect overhanging{2, 2, 10, 10};
  Texture::LockedRect locked = texture->lockRect(&overhanging);
  ASSERT_NE(locked.bits, nullptr);
  EXPECT_EQ(locked.bits, texture->pixels().data() + (2 * 4 + 2) * 4);
  EXPECT_EQ(texture->lockRect().bits, nullptr);
  texture->unlock();
  EXPECT_FALSE(texture->isLocked());

  auto target = Texture::createRenderTarget(4, 4);
  ASSERT_TRUE(target);
  EXPECT_EQ(target->lockRect().bits, nullptr);
  EXPECT_FALSE(Texture::createManaged(0, 4));
  EXPECT_FALSE(Texture::createRenderTarget(4, -1));
}

TEST(TextureTest, UpdateAndReadPixelsKeepRowsTopDown) {
  GFX_REQUIRE_DEVICE();
  const std::vector<std::uint32_t> rows = {0xFF000001, 0xFF000002, 0xFF000003, 0xFF000004,
                                           0xFF000005, 0xFF000006};
  for (bool renderTarget : {false, true}) {
    auto texture = renderTarget ? Texture::createRenderTarget(2, 3) : Texture::createManaged(2, 3);
    ASSERT_TRUE(texture);
    ASSERT_TRUE(texture->update({0, 0, 2, 3}, rows.data(), 8));
    std::vector<std::uint32_t> back(2);
    ASSERT_TRUE(texture->readPixels({0, 2, 2, 3}, back.data(), 8));
    EXPECT_EQ(back[0], 0xFF000005u) << renderTarget;
    EXPECT_EQ(back[1], 0xFF000006u) << renderTarget;
    EXPECT_FALSE(texture->readPixels({0, 2, 2, 4}, back.data(), 8));
    EXPECT_FALSE(texture->update({1, 0, 3, 1}, rows.data(), 8));
  }
}

TEST(TextureTest, RenderTargetsStartBlackAndFill) {
  GFX_REQUIRE_DEVICE();
  auto target = Texture::createRenderTarget(3, 2);
  ASSERT_TRUE(target);
  EXPECT_EQ(gfxtest::readTarget(*target), std::vector<std::uint32_t>(6, 0u));
  target->fill(0xFF000000);
  EXPECT_EQ(gfxtest::readTarget(*target), std::vector<std::uint32_t>(6, 0xFF000000u));
}

}  // namespace
