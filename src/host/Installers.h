#pragma once

// The player's side of the engine's hook slots, filled at the moments the engine reaches them:
// the table accessors right after loading, the first group once the script interface is
// built, the class initialisers once the interpreter runs.

namespace host {

// Table element reader and writer.
void installTableAccessors();
// Audio, Color, Tone; window procedure and foreground; system menu; accelerators; the do-nothing routine;
// the message pumps; registry open.
void installFirstHooks();
// The answers to the Windows functions scripts call through Win32API: keys, pointer, window, display,
// clipboard, message boxes, the browser.
void installSystemServices();
// The nine class initialisers.
void installClassHooks();
// Input with Input::Controller and its State class, and Mouse, each run with fresh state; the window
// procedure's input messages go to them from then on. Run at boot and by the engine's Input initialiser.
void defineInputModules();
// Geometry, which the engine does not have: defined once at boot, after the input modules.
void defineGeometry();
// L2D, likewise, after Geometry; its debug log is on with the console or with QUILLON_DEBUG_LOG set (not "0").
void defineLive2D();
// Spine, skeletal animations: defined once at boot, after L2D.
void defineSpine();

// What the engine's message pumps run: one pump step while a renderer exists, and the end of the process
// (exit status 0) once that step finds the renderer released.
void patchedPumpStep();

}  // namespace host
