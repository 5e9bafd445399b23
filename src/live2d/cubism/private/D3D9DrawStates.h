#pragma once

// The pure decisions of the graphics-layer model renderer: device states per blend mode and mask channel,
// which mask texture and channel each clipping context gets, where a fragment finds its mask texel, and the
// pixel conversions of model textures.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "live2d/cubism/CubismDrawList.h"
#include "platform/gfx/Types.h"

namespace live2d::cubism::detail {

// Premultiplied source over the target, with the model's blend factors; culling keeps counter-clockwise
// triangles of y-up clip space (so, as seen on screen, clockwise ones go).
gfx::RenderState drawState(CubismBlendMode mode, bool culling);
// Mask coverage accumulates as the greatest texture alpha, into one channel (0 red … 3 alpha) of a mask texture.
gfx::RenderState maskState(int channel);

// The four channels of each mask texture hold four clipping contexts.
inline constexpr int kMaskChannels = 4;

struct MaskSlot {
  int texture = -1;  // -1: no drawable this frame uses the context
  int channel = 0;
};

struct MaskPlan {
  std::vector<MaskSlot> slots;  // one per clipping context of the list
  int textureCount = 0;
};

// Only contexts that a drawn item uses take a slot, in order of first use.
MaskPlan planMasks(const CubismDrawList& list);

// Maps gl-style fragment coordinates (x right, y as the target stores rows) to mask texture coordinates:
// u = x·scaleX, v = y·scaleY + offsetY. Render targets store rows top-down as masks do; the back buffer's window
// rows run upwards from its bottom.
struct MaskLookup {
  float scaleX = 0.0f;
  float scaleY = 0.0f;
  float offsetY = 0.0f;
};
MaskLookup maskLookup(bool drawingIntoBackBuffer, int backBufferHeight, int maskWidth, int maskHeight);

// R, G, B, A bytes (straight, or premultiplied already) to the layer's B, G, R, A premultiplied bytes.
void rgbaToPremultipliedBgra(const std::uint8_t* rgba, std::size_t pixelCount, bool alreadyPremultiplied,
                             std::uint8_t* bgra);
// Straight B, G, R, A bytes premultiplied in place.
void premultiplyBgra(std::uint8_t* bgra, std::size_t pixelCount);

}  // namespace live2d::cubism::detail
