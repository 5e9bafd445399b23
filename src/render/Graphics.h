#pragma once

// The Graphics script module: the frame loop over the renderer (update, waits, fades, freeze and transitions),
// screen and window size, full screen, vertical sync, filtering, custom shaders and movies.

#include <memory>

#include "engine/ScriptApi.h"

namespace gfx {
class Texture;
}

namespace windowing {
class GameWindow;
}

namespace render {

class Renderer;

// Defines `Graphics` (the engine's Graphics class-initialiser slot).
void defineGraphicsModule();

// Makes the renderer for the game window; when no device can be made, says so in a message box and ends the
// process, as a game cannot run without one.
std::unique_ptr<Renderer> createRendererOrExit(windowing::GameWindow* window);

// How a screen snapshot becomes a Bitmap script object. The Bitmap class registers this; the function takes
// ownership of the texture (a screen-sized managed texture) and returns the new Bitmap with its Font.
using SnapshotWrapper = engine::Value (*)(gfx::Texture* snapshot);
void setSnapshotWrapper(SnapshotWrapper wrapper);

// Loads a transition image: the game's files (archive first), then a plain file of that name. Null when
// neither can be read or decoded.
std::unique_ptr<gfx::Texture> loadTransitionImage(const char* name);

// The text Graphics.play_movie evaluates; false when the name does not fit the movie buffer.
bool movieScript(const char* fileName, char* buffer, std::size_t capacity);

}  // namespace render
