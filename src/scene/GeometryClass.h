#pragma once

// The Geometry script class over the scene's triangle-list record.

namespace scene {

// Defines `Geometry`. Runs at boot, before the engine's class initialisers: Viewport and Bitmap arguments are
// checked against the classes as they are when the methods run.
void defineGeometryClass();

}  // namespace scene
