#pragma once

// Arguments the scene's script classes share: an optional viewport and an optional bitmap, each nil or an
// object of its class.

#include "engine/ScriptApi.h"

namespace bitmap {
class Bitmap;
}

namespace scene {

class Viewport;

// Null for nil; raises TypeError for anything but a live Viewport.
Viewport* viewportArgument(engine::Value value);
// Null for nil; raises TypeError for anything but a Bitmap. A disposed bitmap is accepted: drawing skips it.
bitmap::Bitmap* bitmapArgument(engine::Value value);

}  // namespace scene
