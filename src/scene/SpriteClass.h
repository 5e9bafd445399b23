#pragma once

// The Sprite script class over the scene's renderable record.

#include "engine/ScriptApi.h"

namespace scene {

// Defines `Sprite`; Bitmap, Color, Tone and Rect must be defined first. Viewports are accepted once the
// Viewport class exists.
void defineSpriteClass();

// What `sprite.bitmap = image` does (image a Bitmap or nil), for methods other subsystems add to Sprite. Throws
// bindings::ScriptError, so call it inside a guarded binding body.
void setSpriteBitmap(engine::Value sprite, engine::Value image);

}  // namespace scene
