#pragma once

// The launch configuration: Game.ini's [Game] section and the command line, read once at start. The record
// lives for the whole process and is published through g_launchConfig; nothing is ever written back.

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "host/ConsoleBuffer.h"

namespace host {

// `quillon [--game PATH] [WORDS...]`, `quillon --install-rtp SOURCE [NAME]`, `quillon --help`, `--version`.
// Options start with "-" and come before the words; "--" ends them.
struct Invocation {
  enum class Action { Play, Help, Version, InstallRuntime, UsageError };
  Action action = Action::Play;
  std::string gamePath = ".";
  // The WORDS joined by single spaces: the text searched for "btest", "test" and "console". The game path is
  // never part of it, since folder names may well contain "test".
  std::string commandLine;
  // --install-rtp: the package's folder or archive, and the name to install it as (empty: its own name).
  std::string runtimeSource;
  std::string runtimeName;
  // UsageError: what was wrong, one line.
  std::string error;
};
Invocation parseInvocation(int argc, const char* const* argv);
// The text of --help.
std::string usageText();

// What stands for the Windows executable's full path: PATH itself when it names a file, else PATH/Game.exe;
// made absolute.
std::string executablePathFor(const std::string& gamePath);

// One accelerator: a virtual key pressed without modifiers sends a command.
struct Accelerator {
  int virtualKey = 0;
  int command = 0;
};

// The six engine entry points, as resolved from the engine library. Text is UTF-8.
struct EngineEntryPoints {
  int (*setupRtp)(const char* configPath, char* buffer, int bufferSize) = nullptr;
  void (*setupFonts)() = nullptr;
  void (*initialize3)(void* library) = nullptr;
  void (*eval)(const char* text) = nullptr;
  void (*gameMain)(void* window, const char* scripts, const char* archive) = nullptr;
  int (*exInitialize)(void* window) = nullptr;  // optional
};

// Profile values are read into buffers of 260 UTF-16 units, so at most 259 survive.
inline constexpr std::size_t kProfileValueUnits = 259;
// Screen sizes outside this range cannot make a window or render targets; they fall back to the defaults.
inline constexpr int kMaxScreenSide = 16384;

// Cuts UTF-8 text to at most `units` UTF-16 code units, never inside a character. Invalid bytes become
// U+FFFD first, so the result is always valid UTF-8.
std::string cutToUtf16Units(std::string_view text, std::size_t units);
// The path with its last three UTF-16 units replaced by "ini" (Game.exe gives Game.ini). Bytes that are not
// UTF-8 count one unit each and are otherwise kept, so any file name on disk still works.
std::string configPathFor(std::string_view executablePath);

struct LaunchConfig {
  // Builds the record from the executable's path and the command line (steps 1 to 6 of start-up, except
  // changing the current directory, which the boot does with executableFolder).
  LaunchConfig(const std::string& executablePath, std::string commandLineText);
  LaunchConfig(const LaunchConfig&) = delete;
  LaunchConfig& operator=(const LaunchConfig&) = delete;

  std::string windowClassName = "RGSS Player";
  std::string defaultLibrary = "RGSS301.dll";
  std::string defaultTitle = "Untitled";
  std::string defaultScripts = "Data\\Scripts.rvdata2";
  std::string defaultArchive = "Game.rgss3a";
  std::string defaultConsole = "0";
  // Set when the engine loads its accelerators.
  std::span<const Accelerator> accelerators;
  int screenWidth = 544;
  int screenHeight = 416;
  void* window = nullptr;  // the game window (windowing::GameWindow)
  std::string commandLine;
  std::string executableFolder;
  std::string configPath;
  std::string archiveValue;
  std::string libraryValue;
  std::string titleValue;
  std::string scriptsValue;
  std::string consoleValue;
  // The archive value when that file exists and no test mode is on (its name on disk when only the letter
  // case differs).
  std::optional<std::string> archivePath;
  void* engineLibrary = nullptr;
  EngineEntryPoints entryPoints;
  ConsoleBuffer consoleInput;
  bool showConsole = false;

  bool battleTest() const { return contains("btest"); }
  bool testMode() const { return battleTest() || contains("test"); }
  bool consoleRequested() const { return showConsole || contains("console"); }

 private:
  bool contains(std::string_view word) const { return commandLine.find(word) != std::string::npos; }
};

// Published by the boot right after construction.
extern LaunchConfig* g_launchConfig;

}  // namespace host
