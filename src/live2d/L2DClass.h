#pragma once

// The L2D script class over the L2D record.

namespace live2d {

// Defines `L2D`. Runs at boot, once the renderer exists; Viewport, Color and Tone arguments are checked against
// the classes as they are when the methods run.
void defineL2DClass();

}  // namespace live2d
