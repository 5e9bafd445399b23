#pragma once

// The Plane script class over the scene's tiling record.

namespace scene {

// Defines `Plane`; Bitmap, Color, Tone and Viewport must be defined first.
void definePlaneClass();

}  // namespace scene
