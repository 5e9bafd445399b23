#pragma once

// The one procedure that draws every renderable: its transform into the renderer's sprite batch, the built-in effect's
// parameters, the pass of its blend type or its own effect, one quad of its texture, then the class's own drawing.
//
// An object that does not draw itself and has no effect of its own (or is in a fast layer) becomes one shaded quad
// carrying its parameters, queued behind the previous objects' quads; consecutive quads share draw calls, in order.
// Everything else is drawn at once, after the queued quads, through its pass.

#include "engine/ScriptApi.h"
#include "platform/gfx/Types.h"

namespace gfx {
class Texture;
}
namespace render {
class Renderer;
}

namespace scene {

class Sprite;
class Viewport;

// `viewport`: whose list is being drawn (its rectangle and origin offset the object), or null for objects drawn
// straight onto the target. `batched`: a fast layer's pass is already running for a group of objects, so only the
// parameters are committed between quads, without passes or flushes.
void drawSprite(render::Renderer& renderer, Sprite& object, const Viewport* viewport, bool batched);

// The object's values of the built-in effect's parameters as a shaded quad carries them, for its `texture` and
// `source` rectangle (the texture's or bitmap's sizes, neutral ones without either).
gfx::QuadValues shadingValues(const Sprite& object, const gfx::Texture* texture, const engine::RectData& source);

}  // namespace scene
