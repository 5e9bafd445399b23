#pragma once

// The Window script class over the window record.

namespace scene {

// Defines `Window`; Bitmap, Tone and Rect must be defined first. Viewports are accepted once the Viewport
// class exists.
void defineWindowClass();

}  // namespace scene
