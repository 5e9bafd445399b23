#pragma once

// The decisions of rendering a viewport: the device rectangle its objects are clipped to, the fast-layer groups its
// list is drawn in, and the alpha and colour it is composited with.

#include <cstdint>
#include <map>
#include <span>
#include <vector>

#include "bindings/Color.h"
#include "bindings/Tone.h"
#include "engine/ScriptApi.h"
#include "platform/gfx/Types.h"
#include "scene/FlashMath.h"

namespace scene {

// The rectangle clipped to a screen of `screenWidth` × `screenHeight`; never negative in size.
gfx::Viewport clipToScreen(const engine::RectData& rect, int screenWidth, int screenHeight);

// How one object of a viewport's sorted list is drawn.
struct LayerStep {
  bool endGroupBefore = false;  // flush and end the running group's pass first
  bool beginGroup = false;      // then begin `pass` for a group starting with this object
  int pass = 0;
  bool batched = false;  // drawn inside a running group
  bool operator==(const LayerStep&) const = default;
};

// Groups runs of objects whose effective z (truncated) is a fast layer into one pass of the layer's blend mode. The
// object that ends a group is drawn on its own; the one after it may start the next group. A layer key may be any
// integer, negative ones included.
std::vector<LayerStep> planFastLayers(std::span<const double> effectiveZ,
                                      const std::map<std::int32_t, std::int32_t>& layers);
// Whether a group is still running after the last object.
bool groupOpenAtEnd(std::span<const LayerStep> steps);

// The alpha of the whole viewport picture: opaque, except that it fades in over a flash without colour.
int compositeAlpha(const FlashState& flash);

// Whether a viewport's objects are drawn straight onto the screen, clipped to its rectangle, instead of into its own
// target: its picture would be composited unchanged (visible, no tone, no custom effect, not fading in over a flash).
// So drawn, objects that add or subtract do so with what lies beneath the viewport, not with an empty target that
// then covers it.
bool drawsOnScreen(bool visible, const bindings::Tone& tone, bool customEffect, const FlashState& flash);

// The translucent rectangle laid over a viewport for its colour and coloured flash.
struct OverlayColour {
  bool drawn = false;
  bindings::Color colour;  // alpha 255
  std::int32_t opacity = 0;
};
OverlayColour overlayColour(const bindings::Color& colour, const FlashState& flash);

}  // namespace scene
