#pragma once

// The built-in engine: the script interpreter, the game's main function and the engine's own script
// classes. The host calls the six exports in the boot order; the player fills the hook slots, which the
// engine calls at fixed moments of its boot and main loop.

#include <string>
#include <vector>

#include "engine/ScriptApi.h"

namespace engine {

// Version of the engine ABI that a replacement engine library must export as `quillon_engine_abi`.
inline constexpr int kEngineAbiVersion = 1;

struct EngineHooks {
  // Early class initialisers, run inside RGSSInitialize3.
  void (*defineAudio)() = nullptr;
  void (*defineColor)() = nullptr;
  void (*defineTone)() = nullptr;

  // The nine class initialisers, run inside RGSSGameMain before the first script section, in this order.
  void (*defineGraphics)() = nullptr;
  void (*defineBitmap)() = nullptr;
  void (*defineViewport)() = nullptr;
  void (*defineSprite)() = nullptr;
  void (*defineTilemap)() = nullptr;
  void (*definePlane)() = nullptr;
  void (*defineWindow)() = nullptr;
  void (*defineFont)() = nullptr;
  void (*defineInput)() = nullptr;

  // Window set-up inside RGSSGameMain, in the order listed; `window` is what the host passed in.
  void (*installWindowProc)(void* window) = nullptr;  // own window procedure, then foreground
  void (*loadAccelerators)() = nullptr;
  void (*extendSystemMenu)(void* window) = nullptr;
  long (*registryOpen)(const char* keyName) = nullptr;  // returns a status code, 0 = success
  void (*idle)() = nullptr;
  // Brings the game window to the foreground; the engine calls it after its own message boxes.
  bool (*foreground)() = nullptr;
  // One step of the message pump, called by the engine's own waiting loops (rgss_stop, message boxes).
  void (*pumpStep)() = nullptr;

  // The family names (UTF-8) of a font file, for the font registry that RGSSSetupFonts fills; without it a
  // file is known by its name without extension.
  std::vector<std::string> (*fontFamilies)(const std::string& path) = nullptr;

  // Element reader and writer of Table, used when the engine defines the class (set them before
  // RGSSInitialize3).
  VariadicMethod tableGet = nullptr;
  VariadicMethod tableSet = nullptr;
};

// Classes and objects of the engine that the player's hooks copy into ScriptApi.
struct EngineGlobals {
  Value object_class = 0;
  Value type_error = 0;
  Value script_error = 0;
  Value rect_class = 0;
  Value table_class = 0;
  FontRegistry* font_registry = nullptr;
  // RGSSReset: raised in the script to start the game over.
  Value reset_class = 0;
};

// Marks the outermost stack frame that will ever hold script values; call it first thing in main(). The
// interpreter's collector scans the machine stack from there.
void initInterpreterStack(void* stackBase);

EngineHooks& hooks();
const EngineGlobals& globals();

// Shows a message box; the default prints "caption: text" to stderr. The host replaces it.
using MessageBoxFunc = void (*)(const char* caption, const char* text);
void setMessageBox(MessageBoxFunc function);
void showMessageBox(const char* text);

// Completes the collector's sweep in progress and runs the release functions it queued. Records that point at
// other objects' records (a sprite at its bitmap) stay valid only while both objects are alive or both are released:
// a walk over the scene calls this first, so no object freed together with what it points at is still listed.
// Does nothing before the interpreter starts.
void settleCollector();

// Where RGSSSetupRTP looks for the runtime package `name`, in search order: each $QUILLON_RTP_PATH entry (a
// folder holding packages, or the package folder itself), the per-user folder that `quillon --install-rtp`
// fills, the share folder beside an installed player, and /usr/share/quillon/rtp.
std::vector<std::string> runtimePackageFolders(const std::string& name);

// Exit status the game asked for with `exit(n)`; 1 when its scripts file or archive cannot be read; 0 for every
// other way a game ends.
int exitStatus();

}  // namespace engine

// The six exports. Text, paths included, is UTF-8.
extern "C" {
// Nonzero when the runtime package named by "RTP" in section "Game" of the configuration file is found or
// none is needed; otherwise `buffer` (of `bufferSize` bytes) receives the package's name.
int RGSSSetupRTP(const char* configPath, char* buffer, int bufferSize);
void RGSSInitialize3(void* library);
void RGSSSetupFonts();
void RGSSEval(const char* text);
// Runs the game: the engine's window set-up and class hooks, then every section of the scripts file.
// `archive` is the game archive's path or "".
void RGSSGameMain(void* window, const char* scripts, const char* archive);
}
