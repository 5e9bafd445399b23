#pragma once

// Models are drawn with premultiplied alpha, while the scene draws every texture as straight colour and
// multiplies by alpha itself. Drawing a model's frame as it is would darken each translucent pixel (edges, glows,
// shadows) by its alpha a second time, so the frame is first turned back into straight colour.

#include "platform/gfx/Types.h"

namespace gfx {
class Device;
class Texture;
}  // namespace gfx

namespace live2d {

// Writes `premultiplied` divided by its alpha into `target` (a render target of the same size), texel for texel,
// within `area`; the rest of `target` becomes transparent. The device's states, targets, viewport and texture are
// as they were afterwards. False when the shader cannot be built.
bool copyStraightAlpha(gfx::Device& device, const gfx::Texture& premultiplied, gfx::Texture& target,
                       const gfx::Rect& area);
// Drops the shader before its device goes.
void releaseStraightAlphaShader();

}  // namespace live2d
