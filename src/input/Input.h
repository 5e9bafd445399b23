#pragma once

// The script modules Input, Input::Controller (with Input::Controller::State) and Mouse, and the entry
// points through which the window procedure feeds them.

#include "platform/window/Messages.h"

namespace windowing {
class GameWindow;
}

namespace input {

class SystemKeys;

// The initialiser: defines Input with its constants and functions, builds a fresh keyboard state, defines
// Input::Controller with a fresh controller table and its State class, then Mouse with fresh event records.
// Each run replaces everything the previous run built.
void defineInput();

// Window messages. Before the first defineInput they go nowhere.
// Every message, before the window procedure's own handling: the mouse handler.
void feedMessage(const windowing::Message& message);
void feedKeyDown(int virtualKey);
void feedKeyUp(int virtualKey);
// Deactivation also releases every key at once.
void feedActivation(bool active);

// The Windows key-state table for the whole process: fed by every key and mouse-button message, before and
// across runs of the initialiser, and emptied by deactivation.
SystemKeys& systemKeys();
// Whether the latest activation message activated the game window (true until one says otherwise).
bool windowActive();

// Where to find the game window that the mouse's positions are relative to and that its pointer calls act
// on: asked at each use, so a window that goes away is never touched (the source then answers null).
using WindowSource = windowing::GameWindow* (*)();
void setWindowSource(WindowSource source);

}  // namespace input
