#include <gtest/gtest.h>

#include "GfxTestSupport.h"
#include "platform/gfx/MeshProgram.h"

namespace {

using gfx::MeshProgram;
using gfx::Texture;

constexpr const char* kVertex = R"(#version 330 core
layout(location = 0) in vec4 aPosition;
layout(location = 2) in vec2 aTexCoord;
uniform mat4 uTransform;
uniform mat4 uPlacement;
out vec2 vTexCoord;
void main() {
  gl_Position = uTransform * (uPlacement * vec4(aPosition.xy, 0.0, 1.0));
  vTexCoord = aTexCoord;
}
)";

constexpr const char* kFragment = R"(#version 330 core
uniform vec4 uColour;
uniform sampler2D uTexture;
uniform int uUseTexture;
in vec2 vTexCoord;
layout(location = 0) out vec4 oColour;
void main() { oColour = uUseTexture != 0 ? texture(uTexture, vTexCoord) : uColour; }
)";

// Clip space, y up: the whole target as two triangles over four shared corners.
const gfx::Vertex kCorners[4] = {{-1, 1, 0, 1, 0xFFFFFFFF, 0, 0},
                                 {1, 1, 0, 1, 0xFFFFFFFF, 1, 0},
                                 {-1, -1, 0, 1, 0xFFFFFFFF, 0, 1},
                                 {1, -1, 0, 1, 0xFFFFFFFF, 1, 1}};

class MeshProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    GFX_REQUIRE_DEVICE();
    std::string log;
    program = MeshProgram::create(*gfxtest::device(), kVertex, kFragment, &log);
    ASSERT_TRUE(program) << log;
    const float identity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    program->setMatrix(program->uniform("uPlacement"), identity);
    program->setInt(program->uniform("uUseTexture"), 0);
    target = Texture::createRenderTarget(4, 4);
    gfx::Device& device = *gfxtest::device();
    device.setRenderTarget(0, target.get());
    device.clear(gfx::ClearFlags::Target, 0);
    device.renderState().zEnable = false;
    device.renderState().cullMode = gfx::Cull::None;
    device.setProgram(program->program());
  }

  void TearDown() override {
    if (gfxtest::device() == nullptr) return;
    gfxtest::device()->setProgram(nullptr);
    gfxtest::device()->setRenderTarget(0, nullptr);
  }

  void setColour(float r, float g, float b, float a) {
    const float colour[4] = {r, g, b, a};
    program->setVector(program->uniform("uColour"), colour);
  }

  std::unique_ptr<MeshProgram> program;
  std::unique_ptr<Texture> target;
};

TEST_F(MeshProgramTest, DrawsSharedVerticesThroughIndicesWithItsUniforms) {
  setColour(1, 0, 0, 1);
  const std::uint16_t indices[6] = {0, 1, 2, 2, 1, 3};
  gfxtest::device()->drawIndexedTriangles(kCorners, 4, indices, 6);
  for (std::uint32_t pixel : gfxtest::readTarget(*target)) EXPECT_EQ(pixel, 0xFFFF0000u);
}

TEST_F(MeshProgramTest, PlacementMatrixUsesRowVectorStorage) {
  setColour(0, 1, 0, 1);
  // Half size, moved right by half the target: only the right half's middle rows are covered.
  const float placement[16] = {0.5f, 0, 0, 0, 0, 0.5f, 0, 0, 0, 0, 1, 0, 0.5f, 0, 0, 1};
  program->setMatrix(program->uniform("uPlacement"), placement);
  const std::uint16_t indices[6] = {0, 1, 2, 2, 1, 3};
  gfxtest::device()->drawIndexedTriangles(kCorners, 4, indices, 6);
  const auto pixels = gfxtest::readTarget(*target);
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 4; ++x) {
      const bool covered = x >= 2 && y >= 1 && y <= 2;
      EXPECT_EQ(pixels[static_cast<std::size_t>(y * 4 + x)], covered ? 0xFF00FF00u : 0u) << x << "," << y;
    }
  }
}

TEST_F(MeshProgramTest, LeavesOutTrianglesNamingMissingVertices) {
  setColour(0, 0, 1, 1);
  // The second triangle would cover the bottom-right half but names vertex 9 of four.
  const std::uint16_t indices[6] = {0, 1, 2, 2, 1, 9};
  gfxtest::device()->drawIndexedTriangles(kCorners, 4, indices, 6);
  const auto pixels = gfxtest::readTarget(*target);
  EXPECT_EQ(pixels[0], 0xFF0000FFu);
  EXPECT_EQ(pixels[15], 0u);
  // Nothing valid at all draws nothing and does not fail.
  const std::uint16_t bad[3] = {7, 8, 9};
  gfxtest::device()->drawIndexedTriangles(kCorners, 4, bad, 3);
  EXPECT_EQ(gfxtest::readTarget(*target)[15], 0u);
}

TEST_F(MeshProgramTest, QuadDrawsAfterAMeshStillUseTheirOwnIndices) {
  setColour(1, 1, 1, 1);
  const std::uint16_t indices[3] = {3, 3, 3};  // degenerate, but replaces whatever index data a draw left
  gfxtest::device()->drawIndexedTriangles(kCorners, 4, indices, 3);
  gfx::Device& device = *gfxtest::device();
  device.setProgram(nullptr);
  const gfx::Vertex quad[4] = {{0, 0, 0, 1, 0xFF123456, 0, 0},
                               {4, 0, 0, 1, 0xFF123456, 1, 0},
                               {0, 4, 0, 1, 0xFF123456, 0, 1},
                               {4, 4, 0, 1, 0xFF123456, 1, 1}};
  device.drawQuads(quad, 1);
  for (std::uint32_t pixel : gfxtest::readTarget(*target)) EXPECT_EQ(pixel, 0xFF123456u);
}

TEST_F(MeshProgramTest, SamplesTexturesBoundOnTheDevice) {
  auto texture = gfxtest::managedTexture(2, 1, {0xFF0000FF, 0xFFFF0000});
  gfx::Device& device = *gfxtest::device();
  device.setTexture(0, texture.get());
  program->setInt(program->uniform("uTexture"), 0);
  program->setInt(program->uniform("uUseTexture"), 1);
  const std::uint16_t indices[6] = {0, 1, 2, 2, 1, 3};
  device.drawIndexedTriangles(kCorners, 4, indices, 6);
  const auto pixels = gfxtest::readTarget(*target);
  EXPECT_EQ(pixels[0], 0xFF0000FFu);
  EXPECT_EQ(pixels[3], 0xFFFF0000u);
  device.setTexture(0, nullptr);
}

TEST(MeshProgramCreateTest, SharesLinkedProgramsAndReportsErrors) {
  GFX_REQUIRE_DEVICE();
  gfx::Device& device = *gfxtest::device();
  auto first = MeshProgram::create(device, kVertex, kFragment);
  auto second = MeshProgram::create(device, kVertex, kFragment);
  ASSERT_TRUE(first && second);
  EXPECT_EQ(first->program(), second->program());
  EXPECT_EQ(first->uniform("uNotThere"), MeshProgram::kNoUniform);
  std::string log;
  EXPECT_FALSE(MeshProgram::create(device, kVertex, "#version 330 core\nvoid main() { nonsense; }\n", &log));
  EXPECT_NE(log.find("fragment"), std::string::npos) << log;
}

}  // namespace
