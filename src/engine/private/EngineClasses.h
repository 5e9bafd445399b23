#pragma once

// The engine's own script classes and functions that the player does not replace.

#include <ruby.h>

#include "engine/ScriptApi.h"

namespace engine {

// Defines Rect, Table and the engine's Kernel functions (load_data, save_data, msgbox, msgbox_p, rgss_main,
// rgss_stop). Table's element accessors come from the hook slots when they are filled.
void defineEngineClasses();

// Win32API::Native, which the Win32API and DL stand-ins answer through.
void defineWin32Natives();

// For a game whose folder cannot be written: the helpers that the user data script (scripts/userdata.rb) maps
// file names with. False, defining nothing, when the game folder is written directly.
bool defineUserDataFiles();

VALUE rectClass();
VALUE tableClass();
RectData* rectData(VALUE rect);
TableData* tableData(VALUE table);
VALUE newRect(int x, int y, int width, int height);

// The engine's default element reader and writer, used when the player installs none.
VALUE tableGetDefault(int argc, const VALUE* argv, VALUE self);
VALUE tableSetDefault(int argc, const VALUE* argv, VALUE self);

}  // namespace engine
