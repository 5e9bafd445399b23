#include "live2d/cubism/private/D3D9DrawStates.h"

#include <algorithm>

namespace live2d::cubism::detail {

namespace {

std::uint8_t premultiplied(unsigned colour, unsigned alpha) {
  return static_cast<std::uint8_t>((colour * alpha + 127) / 255);
}

gfx::RenderState commonState() {
  gfx::RenderState state;
  state.alphaBlendEnable = true;
  state.separateAlphaBlendEnable = true;
  state.zEnable = false;
  state.zWriteEnable = false;
  state.cullMode = gfx::Cull::None;
  return state;
}

}  // namespace

gfx::RenderState drawState(CubismBlendMode mode, bool culling) {
  using gfx::Blend;
  gfx::RenderState state = commonState();
  switch (mode) {
    case CubismBlendMode::Normal:
      state.srcBlend = Blend::One;
      state.destBlend = Blend::InvSrcAlpha;
      state.srcBlendAlpha = Blend::One;
      state.destBlendAlpha = Blend::InvSrcAlpha;
      break;
    case CubismBlendMode::Additive:
      state.srcBlend = Blend::One;
      state.destBlend = Blend::One;
      state.srcBlendAlpha = Blend::Zero;
      state.destBlendAlpha = Blend::One;
      break;
    case CubismBlendMode::Multiplicative:
      state.srcBlend = Blend::DestColor;
      state.destBlend = Blend::InvSrcAlpha;
      state.srcBlendAlpha = Blend::Zero;
      state.destBlendAlpha = Blend::One;
      break;
  }
  // The device names windings as seen on screen, where y-up clip space's clockwise stays clockwise.
  if (culling) state.cullMode = gfx::Cull::Clockwise;
  return state;
}

gfx::RenderState maskState(int channel) {
  gfx::RenderState state = commonState();
  state.srcBlend = gfx::Blend::One;
  state.destBlend = gfx::Blend::One;
  state.blendOp = gfx::BlendOp::Max;
  state.srcBlendAlpha = gfx::Blend::One;
  state.destBlendAlpha = gfx::Blend::One;
  state.blendOpAlpha = gfx::BlendOp::Max;
  state.colorWriteMask = static_cast<std::uint8_t>(1u << std::clamp(channel, 0, kMaskChannels - 1));
  return state;
}

MaskPlan planMasks(const CubismDrawList& list) {
  MaskPlan plan;
  plan.slots.assign(list.clipContexts().size(), MaskSlot{});
  int used = 0;
  for (const CubismDrawItem& item : list.items()) {
    if (item.clipContext < 0 || static_cast<std::size_t>(item.clipContext) >= plan.slots.size()) continue;
    MaskSlot& slot = plan.slots[static_cast<std::size_t>(item.clipContext)];
    if (slot.texture >= 0) continue;
    slot.texture = used / kMaskChannels;
    slot.channel = used % kMaskChannels;
    ++used;
  }
  plan.textureCount = (used + kMaskChannels - 1) / kMaskChannels;
  return plan;
}

MaskLookup maskLookup(bool drawingIntoBackBuffer, int backBufferHeight, int maskWidth, int maskHeight) {
  const float width = static_cast<float>(std::max(1, maskWidth));
  const float height = static_cast<float>(std::max(1, maskHeight));
  if (!drawingIntoBackBuffer) return {1.0f / width, 1.0f / height, 0.0f};
  // Window row y is picture row (backBufferHeight − y), which the mask keeps as a top-down row.
  return {1.0f / width, -1.0f / height, static_cast<float>(backBufferHeight) / height};
}

void rgbaToPremultipliedBgra(const std::uint8_t* rgba, std::size_t pixelCount, bool alreadyPremultiplied,
                             std::uint8_t* bgra) {
  for (std::size_t i = 0; i < pixelCount * 4; i += 4) {
    const unsigned a = rgba[i + 3];
    const std::uint8_t r = alreadyPremultiplied ? rgba[i] : premultiplied(rgba[i], a);
    const std::uint8_t g = alreadyPremultiplied ? rgba[i + 1] : premultiplied(rgba[i + 1], a);
    const std::uint8_t b = alreadyPremultiplied ? rgba[i + 2] : premultiplied(rgba[i + 2], a);
    bgra[i] = b;
    bgra[i + 1] = g;
    bgra[i + 2] = r;
    bgra[i + 3] = static_cast<std::uint8_t>(a);
  }
}

void premultiplyBgra(std::uint8_t* bgra, std::size_t pixelCount) {
  for (std::size_t i = 0; i < pixelCount * 4; i += 4) {
    const unsigned a = bgra[i + 3];
    for (std::size_t c = 0; c < 3; ++c) bgra[i + c] = premultiplied(bgra[i + c], a);
  }
}

}  // namespace live2d::cubism::detail
