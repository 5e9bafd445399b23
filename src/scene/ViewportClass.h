#pragma once

// The Viewport script class over the scene's viewport record.

namespace scene {

// Defines `Viewport`; Bitmap, Color, Tone and Rect must be defined first.
void defineViewportClass();

}  // namespace scene
