#include "host/Boot.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#ifdef QUILLON_HAS_AUDIO
#include "audio/Audio.h"
#endif
#include "engine/Engine.h"
#include "host/BlankRenderer.h"
#include "host/EngineLibrary.h"
#include "host/Installers.h"
#include "host/LaunchConfig.h"
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

// What the end of a run undoes, in the original's order: the library, then the window. The window class's
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
                  std::string_view value = {}) {
  windowing::showErrorBox(config.titleValue, formatStartupMessage(format, value), owner);
}

void engineMessageBox(const char* caption, const char* text) {
  windowing::showErrorBox(caption, text, session().window);
}

// Step 3: window, console and library. False after an error box; `pieces` then holds what to undo.
bool createWindowAndLoadLibrary(LaunchConfig& config, StartedPieces& pieces) {
  std::string reason;
  if (!windowing::startVideo(&reason)) {
    std::fprintf(stderr, "[host] video: %s\n", reason.c_str());
    startupError(config, nullptr, kRegisterClassFailed, config.windowClassName);
    return false;
  }
  pieces.window = windowing::GameWindow::create(config.titleValue, config.screenWidth, config.screenHeight, &reason);
  if (pieces.window == nullptr) {
    std::fprintf(stderr, "[host] window: %s\n", reason.c_str());
    startupError(config, nullptr, kCreateWindowFailed, config.titleValue);
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
      std::fprintf(stderr, "[host] engine library: %s\n", detail.c_str());
      startupError(config, &window, kLoadLibraryFailed, config.libraryValue);
      return false;
    case LibraryFailure::WrongAbi:
      std::fprintf(stderr, "[host] engine library: %s\n", detail.c_str());
      startupError(config, &window, kWrongLibrary);
      return false;
  }
  config.engineLibrary = pieces.library.handle();
  return true;
}

// Step 7: the exports and the interpreter. False after an error box.
bool startInterpreter(LaunchConfig& config, StartedPieces& pieces) {
  std::string missing;
  if (!pieces.library.resolve(&config.entryPoints, &missing)) {
    startupError(config, pieces.window.get(), kExportMissing, missing);
    return false;
  }
  const EngineEntryPoints& engine = config.entryPoints;
  char runtime[1024] = {};
  if (engine.setupRtp(config.configPath.c_str(), runtime, sizeof(runtime)) == 0) {
    runtime[sizeof(runtime) - 1] = '\0';
    startupError(config, pieces.window.get(), kRuntimeMissing, runtime);
    return false;
  }
  engine.initialize3(pieces.library.handle());
  if (engine.exInitialize != nullptr && engine.exInitialize(pieces.window.get()) == 0) {
    startupError(config, pieces.window.get(), kExInitializeFailed, "RGSSExInitialize");
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

}  // namespace

int runPlayer(int argc, char** argv) {
  Invocation invocation = parseInvocation(argc, argv);
  std::string executable = executablePathFor(invocation.gamePath);

  // Step 1. Never freed: the console reader may still be appending while the process exits.
  g_launchConfig = std::make_unique<LaunchConfig>(executable, invocation.commandLine).release();
  LaunchConfig& config = *g_launchConfig;
  if (::chdir(config.executableFolder.c_str()) != 0) {
    std::fprintf(stderr, "quillon: cannot enter the game folder %s: %s\n", config.executableFolder.c_str(),
                 std::strerror(errno));
    return 1;
  }

  // Step 2.
  windowing::g_screenWidth = windowing::g_windowWidth = config.screenWidth;
  windowing::g_screenHeight = windowing::g_windowHeight = config.screenHeight;
  windowing::g_titleCopy = config.titleValue;

  // Step 3.
  StartedPieces pieces;
  if (!createWindowAndLoadLibrary(config, pieces)) {
    pieces.release();
    return 0;
  }
  WindowProcedure procedure({teardown, [] { windowing::showAboutBox(session().window); },
                             [] {
                               if (session().window != nullptr) {
                                 session().window->requestClose();
                               }
                             }});
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
    return 0;
  }

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

}  // namespace host
