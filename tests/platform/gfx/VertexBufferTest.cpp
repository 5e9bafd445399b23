// Vertex buffers kept on the GPU: drawn in target pixels with a homogeneous divisor, in clip space through a
// position transform, refilled with other sizes, lost with their device's context; and the depth clear that every
// target shares, as Direct3D's single depth surface would.

#include <gtest/gtest.h>

#include <vector>

#include "GfxTestSupport.h"
#include "platform/gfx/VertexBuffer.h"

namespace {

using gfx::Texture;
using gfx::Vertex;
using gfx::VertexBuffer;

constexpr std::uint32_t kBlack = 0xFF000000;
constexpr std::uint32_t kRed = 0xFFFF0000;
constexpr std::uint32_t kBlue = 0xFF0000FF;

// Two triangles covering the rectangle [left, right) × [top, bottom) at depth z, positions multiplied by w.
std::vector<Vertex> rectangle(float left, float top, float right, float bottom, std::uint32_t colour, float z = 0.5f,
                              float w = 1.0f) {
  auto corner = [&](float x, float y) { return Vertex{x * w, y * w, z * w, w, colour, 0, 0}; };
  return {corner(left, top),    corner(right, top), corner(left, bottom),
          corner(left, bottom), corner(right, top), corner(right, bottom)};
}

class VertexBufferTest : public testing::Test {
 protected:
  void SetUp() override {
    GFX_REQUIRE_DEVICE();
    m_target = Texture::createRenderTarget(8, 8);
    gfx::Device& device = *gfxtest::device();
    device.setRenderTarget(0, m_target.get());
    device.clear(gfx::ClearFlags::Both, kBlack, 1.0f);
    device.renderState().cullMode = gfx::Cull::None;
    device.renderState().zEnable = false;
  }
  void TearDown() override {
    if (gfxtest::device() != nullptr) gfxtest::device()->setRenderTarget(0, nullptr);
  }

  std::uint32_t pixel(int x, int y) const {
    return gfxtest::readTarget(*m_target).at(static_cast<std::size_t>(y * 8 + x));
  }

  std::unique_ptr<Texture> m_target;
};

TEST_F(VertexBufferTest, TargetPixelsDivideByW) {
  VertexBuffer buffer;
  const std::vector<Vertex> quad = rectangle(2, 2, 4, 4, kRed, 0.5f, 2.0f);
  buffer.upload(quad.data(), quad.size());
  ASSERT_TRUE(buffer.resident());
  gfxtest::device()->drawTriangles(buffer, 0, buffer.size(), gfx::VertexSpace::TargetPixels, gfx::Matrix4::identity());
  EXPECT_EQ(pixel(2, 2), kRed);
  EXPECT_EQ(pixel(3, 3), kRed);
  EXPECT_EQ(pixel(1, 1), kBlack);
  EXPECT_EQ(pixel(4, 4), kBlack);
}

TEST_F(VertexBufferTest, ClipSpaceGoesThroughThePositionTransform) {
  VertexBuffer buffer;
  // Pixels to clip space with y down, as a row-vector matrix; then a translation by (4, 0) applied first.
  gfx::Matrix4 projection;
  projection.m[0] = {2.0f / 8.0f, 0, 0, 0};
  projection.m[1] = {0, -2.0f / 8.0f, 0, 0};
  projection.m[3] = {-1, 1, 0, 1};
  const std::vector<Vertex> quad = rectangle(0, 0, 2, 2, kBlue);
  buffer.upload(quad.data(), quad.size());
  gfxtest::device()->drawTriangles(buffer, 0, buffer.size(), gfx::VertexSpace::Clip,
                                   gfx::Matrix4::translation(4, 0) * projection);
  EXPECT_EQ(pixel(4, 0), kBlue);
  EXPECT_EQ(pixel(5, 1), kBlue);
  EXPECT_EQ(pixel(0, 0), kBlack);
  EXPECT_EQ(pixel(4, 7), kBlack);
}

TEST_F(VertexBufferTest, RefillsReplaceTheContentsAndCountsAreBounded) {
  VertexBuffer buffer;
  std::vector<Vertex> both = rectangle(0, 0, 2, 2, kRed);
  const std::vector<Vertex> second = rectangle(6, 6, 8, 8, kRed);
  both.insert(both.end(), second.begin(), second.end());
  buffer.upload(both.data(), both.size());
  const std::vector<Vertex> small = rectangle(3, 3, 5, 5, kBlue);
  buffer.upload(small.data(), small.size());
  EXPECT_EQ(buffer.size(), 6u);
  EXPECT_EQ(buffer.uploadCount(), 2u);
  // Asking for more than the buffer holds draws what it holds, never the stale vertices of the larger fill.
  gfxtest::device()->drawTriangles(buffer, 0, 12, gfx::VertexSpace::TargetPixels, gfx::Matrix4::identity());
  gfxtest::device()->drawTriangles(buffer, 6, 6, gfx::VertexSpace::TargetPixels, gfx::Matrix4::identity());
  EXPECT_EQ(pixel(3, 3), kBlue);
  EXPECT_EQ(pixel(0, 0), kBlack);
  EXPECT_EQ(pixel(7, 7), kBlack);
}

TEST_F(VertexBufferTest, ReleasedBuffersDrawNothingUntilFilledAgain) {
  VertexBuffer buffer;
  const std::vector<Vertex> quad = rectangle(0, 0, 8, 8, kRed);
  buffer.upload(quad.data(), quad.size());
  gfx::releaseVertexBuffers();
  EXPECT_FALSE(buffer.resident());
  gfxtest::device()->drawTriangles(buffer, 0, 6, gfx::VertexSpace::TargetPixels, gfx::Matrix4::identity());
  EXPECT_EQ(pixel(4, 4), kBlack);
  buffer.upload(quad.data(), quad.size());
  gfxtest::device()->drawTriangles(buffer, 0, 6, gfx::VertexSpace::TargetPixels, gfx::Matrix4::identity());
  EXPECT_EQ(pixel(4, 4), kRed);
}

TEST_F(VertexBufferTest, IndexedRangesDrawOnlyListsNamingItsVertices) {
  VertexBuffer buffer;
  const std::vector<Vertex> corners = {{2, 2, 0.5f, 1, kRed, 0, 0},
                                       {6, 2, 0.5f, 1, kRed, 0, 0},
                                       {2, 6, 0.5f, 1, kRed, 0, 0},
                                       {6, 6, 0.5f, 1, kRed, 0, 0}};
  buffer.upload(corners.data(), corners.size());
  const std::vector<std::uint32_t> indices = {0, 1, 2, 2, 1, 3};
  buffer.uploadIndices(indices.data(), indices.size());
  // The second triangle alone: the lower right half of the square.
  gfxtest::device()->drawIndexedTriangles(buffer, 3, 3, gfx::VertexSpace::TargetPixels, gfx::Matrix4::identity());
  EXPECT_EQ(pixel(5, 5), kRed);
  EXPECT_EQ(pixel(2, 2), kBlack);
  const std::vector<std::uint32_t> beyond = {0, 1, 4};
  buffer.uploadIndices(beyond.data(), beyond.size());
  gfxtest::device()->drawIndexedTriangles(buffer, 0, 3, gfx::VertexSpace::TargetPixels, gfx::Matrix4::identity());
  EXPECT_EQ(pixel(2, 2), kBlack);
}

TEST_F(VertexBufferTest, DepthClearedWithTheBackBufferReachesEveryTarget) {
  gfx::Device& device = *gfxtest::device();
  device.renderState().zEnable = true;
  device.renderState().zWriteEnable = true;
  device.renderState().zFunc = gfx::Compare::LessEqual;
  VertexBuffer near;
  const std::vector<Vertex> front = rectangle(0, 0, 8, 8, kRed, 0.2f);
  near.upload(front.data(), front.size());
  device.drawTriangles(near, 0, 6, gfx::VertexSpace::TargetPixels, gfx::Matrix4::identity());

  // The next frame clears depth while the back buffer is bound, then draws farther away into the same target.
  device.setRenderTarget(0, nullptr);
  device.clear(gfx::ClearFlags::ZBuffer, 0, 1.0f);
  device.setRenderTarget(0, m_target.get());
  VertexBuffer far;
  const std::vector<Vertex> back = rectangle(0, 0, 8, 8, kBlue, 0.8f);
  far.upload(back.data(), back.size());
  device.drawTriangles(far, 0, 6, gfx::VertexSpace::TargetPixels, gfx::Matrix4::identity());
  EXPECT_EQ(pixel(4, 4), kBlue);
  // Within one frame the depth test still holds.
  device.drawTriangles(near, 0, 6, gfx::VertexSpace::TargetPixels, gfx::Matrix4::identity());
  device.drawTriangles(far, 0, 6, gfx::VertexSpace::TargetPixels, gfx::Matrix4::identity());
  EXPECT_EQ(pixel(4, 4), kRed);
}

}  // namespace
