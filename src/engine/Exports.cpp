#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "engine/Engine.h"
#include "engine/FileLayer.h"
#include "engine/FontRegistry.h"
#include "engine/IniFile.h"
#include "engine/UserFolders.h"
#include "engine/private/AtomicFile.h"
#include "engine/private/EngineClasses.h"
#include "engine/private/EngineState.h"
#include "engine/private/GameMain.h"
#include "engine/private/Interpreter.h"

namespace engine {

namespace {

std::vector<std::string> g_runtimeFolders;

void call(void (*slot)()) {
  if (slot != nullptr) {
    slot();
  }
}

// PREFIX/share/quillon/rtp/NAME for a player installed as PREFIX/bin/quillon; empty elsewhere.
std::string runtimeFolderBesideExecutable(const std::string& name) {
  std::error_code error;
  std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error || executable.parent_path().filename() != "bin") {
    return {};
  }
  return (executable.parent_path().parent_path() / "share/quillon/rtp" / name).lexically_normal().string();
}

}  // namespace

// A $QUILLON_RTP_PATH entry is either a folder holding packages or a package folder itself. An installed
// player also looks in the share folder of its own prefix.
std::vector<std::string> runtimePackageFolders(const std::string& name) {
  std::vector<std::string> folders;
  if (const char* list = std::getenv("QUILLON_RTP_PATH")) {
    std::string paths = list;
    for (size_t start = 0; start <= paths.size();) {
      size_t end = paths.find(':', start);
      if (end == std::string::npos) {
        end = paths.size();
      }
      if (end > start) {
        std::string entry = paths.substr(start, end - start);
        folders.push_back(entry + "/" + name);
        if (std::filesystem::path(entry).filename() == name) {
          folders.push_back(entry);
        }
      }
      start = end + 1;
    }
  }
  folders.push_back(installedRuntimeFolder(name));
  std::string beside = runtimeFolderBesideExecutable(name);
  std::string system = "/usr/share/quillon/rtp/" + name;
  if (!beside.empty() && beside != system) {
    folders.push_back(beside);
  }
  folders.push_back(system);
  return folders;
}

void initInterpreterStack(void* stackBase) {
  ruby_init_stack(static_cast<volatile VALUE*>(stackBase));
}
}  // namespace engine

using namespace engine;

extern "C" int RGSSSetupRTP(const char* configPath, char* buffer, int bufferSize) {
  IniFile ini = IniFile::load(configPath);
  setGameTitle(ini.value("Game", "Title", "Untitled"));
  std::string name = ini.value("Game", "RTP", "");
  g_runtimeFolders.clear();
  if (name.empty()) {
    return 1;
  }
  std::error_code error;
  for (const std::string& folder : runtimePackageFolders(name)) {
    if (std::filesystem::is_directory(folder, error)) {
      g_runtimeFolders.push_back(folder);
      FileLayer::instance().setRuntimeFolders(g_runtimeFolders);
      return 1;
    }
  }
  if (buffer != nullptr && bufferSize > 0) {
    snprintf(buffer, static_cast<size_t>(bufferSize), "%s", name.c_str());
  }
  return 0;
}

extern "C" void RGSSInitialize3(void*) {
  startInterpreter();
  EngineGlobals& globals = editableGlobals();
  globals.object_class = rb_cObject;
  globals.type_error = rb_eTypeError;
  globals.script_error = scriptErrorClass();
  globals.rect_class = rectClass();
  globals.table_class = tableClass();
  globals.reset_class = resetClass();
  globals.font_registry = &fontRegistry();
  const EngineHooks& slots = hooks();
  call(slots.defineAudio);
  call(slots.defineColor);
  call(slots.defineTone);
}

extern "C" void RGSSSetupFonts() {
  FontRegistry& fonts = fontRegistry();
  fonts.setFamilyReader(hooks().fontFamilies);
  fonts.addFolder("Fonts");
  for (const std::string& folder : g_runtimeFolders) {
    fonts.addFolder(folder + "/Fonts");
  }
}

extern "C" void RGSSEval(const char* text) {
  if (evalProtected(text, "eval") != 0) {
    std::string message = describeError(rb_errinfo());
    rb_set_errinfo(Qnil);
    std::fprintf(stderr, "[engine] evaluation failed: %s\n", message.c_str());
  }
}

extern "C" void RGSSGameMain(void* window, const char* scripts, const char* archive) {
  std::string archiveError;
  if (archive != nullptr && *archive != '\0' && !FileLayer::instance().setArchive(archive, &archiveError)) {
    showMessageBox(
        ("Failed to open the game archive " + FileLayer::instance().describePath(archive) + ": " + archiveError)
            .c_str());
    setExitStatus(1);
    return;
  }
  const EngineHooks& slots = hooks();
  if (slots.installWindowProc != nullptr) {
    slots.installWindowProc(window);
  }
  call(slots.loadAccelerators);
  if (slots.extendSystemMenu != nullptr) {
    slots.extendSystemMenu(window);
  }
  if (slots.registryOpen != nullptr) {
    slots.registryOpen("Software\\Quillon");
  }
  call(slots.idle);
  for (auto slot : {slots.defineGraphics, slots.defineBitmap, slots.defineViewport, slots.defineSprite,
                    slots.defineTilemap, slots.definePlane, slots.defineWindow, slots.defineFont,
                    slots.defineInput}) {
    call(slot);
  }
  // What a killed save left goes before the game starts: saves go beside the game (the current folder) or, when
  // that cannot be written, to the game's user data folder.
  removeStaleTemporaries(".");
  if (!FileLayer::instance().userDataFolder().empty()) {
    removeStaleTemporaries(FileLayer::instance().userDataFolder());
  }
  runScripts(scripts != nullptr ? scripts : "");
  flushScriptOutput();
}
