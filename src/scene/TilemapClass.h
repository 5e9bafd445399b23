#pragma once

// The Tilemap script class over the tile map record and its six layers.

namespace scene {

// Defines `Tilemap`; Bitmap, Table and Viewport must be defined first.
void defineTilemapClass();

}  // namespace scene
