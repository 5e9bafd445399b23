#include "host/Boot.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>

#ifdef QUILLON_HAS_AUDIO
#include "audio/Audio.h"
#endif
#include "engine/Engine.h"
#include "engine/FileLayer.h"
#include "engine/UserFolders.h"
#include "host/BlankRenderer.h"
#include "host/EngineLibrary.h"
#include "host/Installers.h"
#include "host/LaunchConfig.h"
#include "host/RuntimeInstall.h"
#include "host/Screenshot.h"
#include "host/SignalStop.h"
#ifdef QUILLON_HAS_RENDER
#include "host/RendererBridge.h"
#endif
#include "host/StartupMessages.h"
#include "host/Teardown.h"
#include "host/VornModule.h"
#include "host/WindowProcedure.h"
#include "host/private/Session.h"
#include "platform/window/GameWindow.h"
#include "platform/window/MessageBox.h"
#include "platform/window/Screen.h"

namespace host {

namespace {

constexpr int kStartupFailed = 1;
constexpr int kUsageError = 2;
// How long a game asked to stop by signal has to end on its own.
constexpr int kSignalGraceMs = 2000;

// What the end of a run undoes, in this order: the library, then the window. The window class's
// counterpart, SDL's video subsystem, stays up until the process ends.
struct StartedPieces {
  EngineLibrary library;
  std::unique_ptr<windowing::GameWindow> window;

  void release() {
    library.close();
    session().window = nullptr;
    window.reset();
  }
};

void startupError(const LaunchConfig& config, const windowing::GameWindow* owner, std::string_view format,
                  std::string_view value, std::string_view english) {
  windowing::reportError(config.titleValue, formatStartupMessage(format, value, english), owner);
}

void engineMessageBox(const char* caption, const char* text) {
  windowing::showErrorBox(caption, text, session().window);
}

// Step 3: window, console and library. False after an error box; `pieces` then holds what to undo.
bool createWindowAndLoadLibrary(LaunchConfig& config, StartedPieces& pieces) {
  std::string reason;
  if (!windowing::startVideo(&reason)) {
    startupError(config, nullptr, kRegisterClassFailed, config.windowClassName,
                 "Cannot start the display: " + reason + ".");
    return false;
  }
  pieces.window = windowing::GameWindow::create(config.titleValue, config.screenWidth, config.screenHeight, &reason);
  if (pieces.window == nullptr) {
    startupError(config, nullptr, kCreateWindowFailed, config.titleValue,
                 "Cannot create the game window: " + reason + ".");
    return false;
  }
  windowing::GameWindow& window = *pieces.window;
  session().window = &window;
  config.window = &window;
  engine::setMessageBox(engineMessageBox);
  window.placeCentred();
  if (config.consoleRequested()) {
    startConsoleReader(config.consoleInput, STDIN_FILENO);
  }
  window.show();
  std::string detail;
  switch (pieces.library.load(config.libraryValue, &detail)) {
    case LibraryFailure::None:
      break;
    case LibraryFailure::LoadFailed:
      startupError(config, &window, kLoadLibraryFailed, config.libraryValue,
                   "Cannot load the engine library " + realPath(config.libraryValue) + ": " + detail);
      return false;
    case LibraryFailure::WrongAbi:
      startupError(config, &window, kWrongLibrary, {},
                   realPath(config.libraryValue) + " is not an engine library for this player (" + detail + ").");
      return false;
  }
  config.engineLibrary = pieces.library.handle();
  return true;
}

// Step 7: the exports and the interpreter. False after an error box.
bool startInterpreter(LaunchConfig& config, StartedPieces& pieces) {
  std::string missing;
  if (!pieces.library.resolve(&config.entryPoints, &missing)) {
    startupError(config, pieces.window.get(), kExportMissing, missing,
                 "The engine library " + realPath(config.libraryValue) + " lacks the function " + missing + ".");
    return false;
  }
  const EngineEntryPoints& engine = config.entryPoints;
  char runtime[1024] = {};
  if (engine.setupRtp(config.configPath.c_str(), runtime, sizeof(runtime)) == 0) {
    runtime[sizeof(runtime) - 1] = '\0';
    startupError(config, pieces.window.get(), kRuntimeMissing, runtime,
                 runtimeMissingText(runtime, engine::runtimePackageFolders(runtime)));
    return false;
  }
  engine.initialize3(pieces.library.handle());
  if (engine.exInitialize != nullptr && engine.exInitialize(pieces.window.get()) == 0) {
    startupError(config, pieces.window.get(), kExInitializeFailed, "RGSSExInitialize",
                 "The engine library " + realPath(config.libraryValue) +
                     " could not initialise its extensions (RGSSExInitialize).");
    return false;
  }
  engine.setupFonts();
  engine.eval(config.testMode() ? "$TEST = true" : "$TEST = false");
  engine.eval(config.battleTest() ? "$BTEST = true" : "$BTEST = false");
  if (config.testMode()) {
    config.archivePath.reset();
  }
  engine.eval("$VORN = true");
  return true;
}

// Where a game folder that cannot be written keeps what the game writes; one line tells the player where.
void redirectWritesWhenReadOnly(const LaunchConfig& config) {
  std::error_code error;
  std::string folder = std::filesystem::current_path(error).string();
  if (error || engine::folderWritable(folder)) {
    return;
  }
  std::string data = engine::gameDataFolder(config.titleValue, folder);
  engine::FileLayer::instance().setUserDataFolder(data);
  std::fprintf(stderr, "quillon: the game folder %s cannot be written; the game saves in %s\n", folder.c_str(),
               data.c_str());
}

// Relative entries of $QUILLON_RTP_PATH mean the folder the player was started in, not the game folder it
// moves to.
void anchorRuntimePath() {
  const char* list = std::getenv("QUILLON_RTP_PATH");
  if (list == nullptr) {
    return;
  }
  std::string anchored;
  std::string_view rest = list;
  for (bool first = true; first || !rest.empty(); first = false) {
    std::size_t end = std::min(rest.find(':'), rest.size());
    std::string_view entry = rest.substr(0, end);
    rest = end < rest.size() ? rest.substr(end + 1) : std::string_view();
    if (!first) {
      anchored += ':';
    }
    anchored += entry.empty() ? std::string() : realPath(entry);
  }
  ::setenv("QUILLON_RTP_PATH", anchored.c_str(), 1);
}

// A start-up failure before there is a window or a title.
int fail(const std::string& text) {
  windowing::reportError("Quillon", text, nullptr);
  return kStartupFailed;
}

int playGame(const Invocation& invocation) {
  std::error_code error;
  if (!std::filesystem::exists(invocation.gamePath, error)) {
    return fail("There is no game at " + realPath(invocation.gamePath) + ".");
  }
  std::string executable = executablePathFor(invocation.gamePath);
  anchorRuntimePath();

  // Step 1. Never freed: the console reader may still be appending while the process exits.
  g_launchConfig = std::make_unique<LaunchConfig>(executable, invocation.commandLine).release();
  LaunchConfig& config = *g_launchConfig;
  if (!std::filesystem::is_regular_file(config.configPath, error)) {
    return fail("No game in " + config.executableFolder + ": " + config.configPath +
                " does not exist. Give the game's folder with --game PATH.");
  }
  if (::chdir(config.executableFolder.c_str()) != 0) {
    return fail("Cannot enter the game folder " + config.executableFolder + ": " + std::strerror(errno) + ".");
  }
  redirectWritesWhenReadOnly(config);

  // Step 2.
  windowing::g_screenWidth = windowing::g_windowWidth = config.screenWidth;
  windowing::g_screenHeight = windowing::g_windowHeight = config.screenHeight;
  windowing::g_titleCopy = config.titleValue;

  // Step 3.
  StartedPieces pieces;
  if (!createWindowAndLoadLibrary(config, pieces)) {
    pieces.release();
    return kStartupFailed;
  }
  WindowProcedure procedure({teardown, [] { windowing::showAboutBox(session().window); },
                             [] {
                               if (session().window != nullptr) {
                                 session().window->requestClose();
                               }
                             },
                             [&config] { takeScreenshot(config.titleValue); },
                             [] { session().resetRequested = true; }});
  session().procedure = &procedure;

  // Steps 4 and 5. The script interface lives as long as the process: script objects reach it until exit.
  installTableAccessors();
  static engine::ScriptApi api;
  engine::fillScriptApi(api);
  api.launch_config = &config;
  api.library_base = pieces.library.base();
  engine::g_scriptApi = &api;
  installFirstHooks();

  // Step 6.
  session().fonts.addFolder("Fonts");

  // Step 7.
  if (!startInterpreter(config, pieces)) {
    teardown();
    pieces.release();
    session().procedure = nullptr;
    return kStartupFailed;
  }

  // The interpreter's signal handlers are in place now; ours goes on top of them.
  installSignalStop(kSignalGraceMs);

  // Step 8.
  installClassHooks();

  // A replacement engine library brings its own interpreter, which our script interface does not reach, so
  // only the built-in engine gets the player's script classes and functions.
  bool playerScripting = pieces.library.builtIn();

#ifdef QUILLON_HAS_AUDIO
  // Steps 9 and 10.
  if (playerScripting) {
    audio::defineAudioSlotClass();
  }
  audio::startAudio();
#endif

  // Step 11.
#ifdef QUILLON_HAS_RENDER
  publishRenderer(startRenderer(*pieces.window));
#else
  publishRenderer(std::make_unique<BlankRenderer>(*pieces.window));
#endif

  // Step 12.
  if (playerScripting) {
    defineInputModules();
#ifdef QUILLON_HAS_SCENE
    defineGeometry();
#endif
    defineLive2D();
    defineSpine();
    defineConsoleInput();
  }

  // Step 13.
  config.entryPoints.gameMain(pieces.window.get(), config.scriptsValue.c_str(),
                              config.archivePath ? config.archivePath->c_str() : "");
  // The renderer is released while its window still exists; then the library, the window and the class go.
  teardown();
#ifdef QUILLON_HAS_AUDIO
  audio::shutdownAudio();
#endif
  pieces.release();
  session().procedure = nullptr;
  return engine::exitStatus();
}

}  // namespace

int runPlayer(int argc, char** argv) {
  Invocation invocation = parseInvocation(argc, argv);
  switch (invocation.action) {
    case Invocation::Action::Help:
      std::fputs(usageText().c_str(), stdout);
      return 0;
    case Invocation::Action::Version:
      std::printf("quillon %s\n", QUILLON_VERSION);
      return 0;
    case Invocation::Action::UsageError:
      std::fprintf(stderr, "quillon: %s\n\n%s", invocation.error.c_str(), usageText().c_str());
      // Started from a desktop entry there is no terminal to read that.
      if (!::isatty(STDERR_FILENO) && windowing::hasDisplay()) {
        windowing::showErrorBox("Quillon", "quillon: " + invocation.error, nullptr);
      }
      return kUsageError;
    case Invocation::Action::InstallRuntime:
      return installRuntimePackage(invocation.runtimeSource, invocation.runtimeName) ? 0 : kStartupFailed;
    case Invocation::Action::Play:
      break;
  }
  return playGame(invocation);
}

}  // namespace host
