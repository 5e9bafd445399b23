#include <gtest/gtest.h>

#include "live2d/cubism/CubismDrawList.h"
#include "live2d/cubism/private/D3D9DrawStates.h"
#include "tests/live2d/cubism/CubismTestSupport.h"

namespace live2d::cubism::test {
namespace {

using detail::MaskPlan;
using gfx::Blend;

struct FactorCase {
  CubismBlendMode mode;
  Blend src;
  Blend dest;
  Blend srcAlpha;
  Blend destAlpha;
};

TEST(D3D9DrawStatesTest, BlendFactorsPerMode) {
  const FactorCase cases[] = {
      {CubismBlendMode::Normal, Blend::One, Blend::InvSrcAlpha, Blend::One, Blend::InvSrcAlpha},
      {CubismBlendMode::Additive, Blend::One, Blend::One, Blend::Zero, Blend::One},
      {CubismBlendMode::Multiplicative, Blend::DestColor, Blend::InvSrcAlpha, Blend::Zero, Blend::One},
  };
  for (const FactorCase& c : cases) {
    const gfx::RenderState state = detail::drawState(c.mode, false);
    SCOPED_TRACE(static_cast<int>(c.mode));
    EXPECT_TRUE(state.alphaBlendEnable);
    EXPECT_TRUE(state.separateAlphaBlendEnable);
    EXPECT_EQ(state.srcBlend, c.src);
    EXPECT_EQ(state.destBlend, c.dest);
    EXPECT_EQ(state.srcBlendAlpha, c.srcAlpha);
    EXPECT_EQ(state.destBlendAlpha, c.destAlpha);
    EXPECT_EQ(state.blendOp, gfx::BlendOp::Add);
    // The frame's depth buffer holds nothing of the model's.
    EXPECT_FALSE(state.zEnable);
    EXPECT_EQ(state.colorWriteMask, 0xF);
    EXPECT_EQ(state.cullMode, gfx::Cull::None);
    EXPECT_EQ(detail::drawState(c.mode, true).cullMode, gfx::Cull::Clockwise);
  }
}

TEST(D3D9DrawStatesTest, MaskStateKeepsTheGreatestCoverageInOneChannel) {
  for (int channel = 0; channel < detail::kMaskChannels; ++channel) {
    const gfx::RenderState state = detail::maskState(channel);
    EXPECT_EQ(state.colorWriteMask, 1 << channel);
    EXPECT_EQ(state.blendOp, gfx::BlendOp::Max);
    EXPECT_EQ(state.cullMode, gfx::Cull::None);
    EXPECT_FALSE(state.zEnable);
  }
  EXPECT_EQ(detail::maskState(7).colorWriteMask, 8) << "out of range picks the last channel, never all four";
}

// `clippedOpacities`: one clipped mesh per entry, each with a mask of its own; an opacity of 0 leaves the
// mesh out of the frame's items.
CubismDrawList listWithContexts(ModelBuilder& b, const std::vector<float>& clippedOpacities,
                                std::unique_ptr<CubismModel>& model) {
  const std::vector<float> quad = {-1, -1, 1, -1, 1, 1, -1, 1};
  std::vector<int> masks;
  for (std::size_t i = 0; i < clippedOpacities.size(); ++i) {
    masks.push_back(b.addMesh("Mask" + std::to_string(i), 0, {quad}, {100}, {1}));
  }
  b.data.drawableMasks = masks;
  for (std::size_t i = 0; i < clippedOpacities.size(); ++i) {
    const int mesh = b.addMesh("Clipped" + std::to_string(i), 0, {quad}, {200}, {clippedOpacities[i]});
    b.data.artMeshes[static_cast<std::size_t>(mesh)].maskBegin = static_cast<int>(i);
    b.data.artMeshes[static_cast<std::size_t>(mesh)].maskCount = 1;
  }
  for (int m : masks) b.data.artMeshes[static_cast<std::size_t>(m)].maskBegin = static_cast<int>(masks.size());
  model = b.build();
  CubismDrawList list;
  if (!model) return list;
  model->update();
  list.build(*model, {}, false);
  return list;
}

TEST(D3D9DrawStatesTest, MaskPlanGivesSlotsOnlyToContextsInUse) {
  ModelBuilder b;
  std::unique_ptr<CubismModel> model;
  const CubismDrawList list = listWithContexts(b, {1, 0, 1, 1, 1, 1}, model);
  ASSERT_TRUE(model);
  ASSERT_EQ(list.clipContexts().size(), 6u);
  const MaskPlan plan = detail::planMasks(list);
  ASSERT_EQ(plan.slots.size(), 6u);
  // Five contexts in use: four channels of the first target, then the red channel of a second.
  EXPECT_EQ(plan.textureCount, 2);
  const std::vector<std::pair<int, int>> expected = {{0, 0}, {-1, 0}, {0, 1}, {0, 2}, {0, 3}, {1, 0}};
  for (std::size_t c = 0; c < expected.size(); ++c) {
    EXPECT_EQ(plan.slots[c].texture, expected[c].first) << "context " << c;
    if (expected[c].first >= 0) {
      EXPECT_EQ(plan.slots[c].channel, expected[c].second) << "context " << c;
    }
  }
}

TEST(D3D9DrawStatesTest, MaskPlanOfAnUnclippedListIsEmpty) {
  ModelBuilder b;
  std::unique_ptr<CubismModel> model;
  const CubismDrawList list = listWithContexts(b, {0, 0}, model);
  ASSERT_TRUE(model);
  const MaskPlan plan = detail::planMasks(list);
  EXPECT_EQ(plan.textureCount, 0);
  for (const detail::MaskSlot& slot : plan.slots) EXPECT_EQ(slot.texture, -1);
}

TEST(D3D9DrawStatesTest, MaskLookupFindsTheTexelUnderEachPixel) {
  // A render target and its mask share rows; pixel centres land on texel centres of a larger mask.
  const detail::MaskLookup target = detail::maskLookup(false, 0, 64, 32);
  EXPECT_FLOAT_EQ(0.5f * target.scaleX, 0.5f / 64);
  EXPECT_FLOAT_EQ(31.5f * target.scaleY + target.offsetY, 31.5f / 32);
  // The back buffer's window row 0.5 is its bottom picture row, 47 of 48, kept in mask row 47 of 64.
  const detail::MaskLookup back = detail::maskLookup(true, 48, 64, 64);
  EXPECT_FLOAT_EQ(0.5f * back.scaleY + back.offsetY, 47.5f / 64);
  EXPECT_FLOAT_EQ(47.5f * back.scaleY + back.offsetY, 0.5f / 64);
  // A zero-sized mask never divides by zero.
  const detail::MaskLookup empty = detail::maskLookup(false, 0, 0, 0);
  EXPECT_FLOAT_EQ(empty.scaleX, 1.0f);
}

TEST(D3D9DrawStatesTest, TexelConversionsPremultiplyAndSwapToBgra) {
  const std::uint8_t rgba[8] = {200, 100, 50, 128, 255, 255, 255, 0};
  std::uint8_t bgra[8] = {};
  detail::rgbaToPremultipliedBgra(rgba, 2, false, bgra);
  const std::uint8_t straight[8] = {25, 50, 100, 128, 0, 0, 0, 0};
  for (int i = 0; i < 8; ++i) EXPECT_EQ(bgra[i], straight[i]) << i;
  detail::rgbaToPremultipliedBgra(rgba, 2, true, bgra);
  const std::uint8_t kept[8] = {50, 100, 200, 128, 255, 255, 255, 0};
  for (int i = 0; i < 8; ++i) EXPECT_EQ(bgra[i], kept[i]) << i;
  std::uint8_t inPlace[8] = {50, 100, 200, 128, 10, 20, 30, 255};
  detail::premultiplyBgra(inPlace, 2);
  const std::uint8_t premultiplied[8] = {25, 50, 100, 128, 10, 20, 30, 255};
  for (int i = 0; i < 8; ++i) EXPECT_EQ(inPlace[i], premultiplied[i]) << i;
}

}  // namespace
}  // namespace live2d::cubism::test
