#pragma once

// The decisions of drawing one scene object, free of any device: its transform for the sprite batch, the effect pass of
// its blend type, the blend colour from its colour and flash, the sampling sizes and the quad colour.

#include <array>
#include <cstdint>

#include "bindings/Color.h"
#include "engine/ScriptApi.h"
#include "platform/gfx/SpriteBatch.h"
#include "platform/gfx/Types.h"

namespace scene {

// Direct3D's 2D transformation: scaling about `scalingCentre` (after turning the scaling axes by `scalingRotation`),
// rotation by `rotation` radians about `rotationCentre`, then translation. Row vectors.
gfx::Matrix4 transformation2D(gfx::Vector2 scalingCentre, float scalingRotation, gfx::Vector2 scaling,
                              gfx::Vector2 rotationCentre, float rotation, gfx::Vector2 translation);

struct TransformInput {
  std::int32_t effectiveX = 0;
  std::int32_t effectiveY = 0;
  std::int32_t ox = 0;
  std::int32_t oy = 0;
  float zoomX = 1.0f;  // effective zoom
  float zoomY = 1.0f;
  bool mirror = false;
  float angleDegrees = 0.0f;
  float shearX = 0.0f;
  float shearY = 0.0f;
  std::int32_t sourceWidth = 0;
  std::int32_t sourceHeight = 0;
  std::int32_t bitmapWidth = 0;  // 0 without a bitmap
  // The viewport's rectangle position less its scroll origin; 0 without a viewport. Wider than int32: both
  // terms are script values of the full range.
  std::int64_t viewportOffsetX = 0;
  std::int64_t viewportOffsetY = 0;
};

// The object's transform: placed at its effective position less its origin, zoomed and turned about the origin
// (positive angles counter-clockwise on screen), mirrored in place, sheared about the unmirrored origin.
gfx::Matrix4 spriteTransform(const TransformInput& input);

// Pass of the built-in technique: 1 adds, 2 subtracts, everything else draws normally.
int passForBlendType(std::int32_t blendType);
// The blend of a shaded quad drawn as pass 0, 1 or 2 would draw it.
gfx::QuadBlend blendOfPass(int pass);

// The "blendColor" vector (red, green, blue, alpha): the object's colour with the flash laid over it, each component
// held between the renderer's bounds.
std::array<float, 4> blendColor(const bindings::Color& effective, const std::array<float, 4>& flash,
                                const float (&lower)[4], const float (&upper)[4]);

gfx::Rect sourceRectangle(const engine::RectData& source);

struct SamplingParams {
  float sampWidth = 1.0f;
  float sampHeight = 1.0f;
  float texcoordYBottom = 1.0f;
};
// From the bitmap, for a source rectangle inside it.
SamplingParams samplingFromBitmap(int bitmapWidth, int bitmapHeight, const engine::RectData& source);
// From a texture of a class that has no bitmap.
SamplingParams samplingFromTexture(int textureWidth, int textureHeight);

// White with the opacity in the alpha byte.
std::uint32_t quadColour(float effectiveOpacity);

// The least general shading (render::QuadShading) that draws an object's effect parameters, laid out as a shaded
// quad carries them (render/SceneShading.h): plain when they leave its texels as they are (no tone, no blend colour,
// no bush, no wave, no texture-coordinate transform), waved when it waves.
int quadShading(const gfx::QuadValues& values);

}  // namespace scene
