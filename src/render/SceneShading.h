#pragma once

// The built-in effect's sprite shading (its passes AlphaBlend, Additive and Subtractive, pixel shader PS) for the
// sprite batch's shaded quads, which carry the effect's per-object parameters as values of their own:
//
//   quadValues[0]  tone (red, green, blue, gray)
//   quadValues[1]  blendColor
//   quadValues[2]  bushDepth, bushOpacity, texcoordYBottom, sampHeight
//   quadValues[3]  wave_amp, wave_speedangle, wave_freq, wave_phase
//   quadValues[4]  texcoordScale (x, y), texcoordOffset (x, y)
//   quadValues[5]  sampWidth, unused
//
// The plain shading is what the formulas leave when those values are neutral: the texel times the quad colour,
// premultiplied; the toned one keeps only the tone and the blend colour; the valued one leaves out the wave.

#include <vector>

#include "platform/gfx/SpriteBatch.h"

namespace render {

// The shadings a quad may need, from the least general (the indices of gfx::ShadedQuad::shading).
enum QuadShading : int { kPlainShading, kTonedShading, kValuedShading, kWavedShading };

// The sprite batch's shadings, in QuadShading order.
std::vector<gfx::ShadingSource> quadShadings();

}  // namespace render
