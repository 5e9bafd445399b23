#pragma once

// The graphics layer: what the renderer and the scene use of Direct3D 9 and its extension library, over one
// OpenGL 3.3 core context.
//
//   Context      the GL context on the game window (or a hidden one for headless runs)
//   Device       render and sampler states, textures, render targets, viewport, clears, draws, present
//   Texture      32-bit B,G,R,A textures: managed (processor copy, lock/unlock) or render targets (read-back)
//   SpriteBatch  textured quads under a 4×4 row-vector transform, texel-exact at integer positions
//   Effect       HLSL effect text: techniques of passes with states and pixel shaders, parameters by name
//
// Every target keeps Direct3D's orientation (row 0 at the top), so coordinates are target pixels with y down.

#include "platform/gfx/Context.h"
#include "platform/gfx/Device.h"
#include "platform/gfx/Effect.h"
#include "platform/gfx/SpriteBatch.h"
#include "platform/gfx/Texture.h"
#include "platform/gfx/Types.h"
