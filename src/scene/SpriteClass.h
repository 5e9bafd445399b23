#pragma once

// The Sprite script class over the scene's renderable record.

namespace scene {

// Defines `Sprite`; Bitmap, Color, Tone and Rect must be defined first. Viewports are accepted once the
// Viewport class exists.
void defineSpriteClass();

}  // namespace scene
