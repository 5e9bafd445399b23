// The hook slots run at fixed moments of the boot and the main loop. Early slots run only
// in the first RGSSInitialize3 of a process, so this suite has a process of its own.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/Engine.h"
#include "engine/ScriptApi.h"

namespace engine {
namespace {

std::vector<std::string> g_calls;
void* g_window = nullptr;
int g_pumps = 0;

template <const char* Name>
void record() {
  g_calls.push_back(Name);
}

constexpr char kAudio[] = "Audio", kColor[] = "Color", kTone[] = "Tone", kGraphics[] = "Graphics",
               kBitmap[] = "Bitmap", kViewport[] = "Viewport", kSprite[] = "Sprite", kTilemap[] = "Tilemap",
               kPlane[] = "Plane", kWindow[] = "Window", kFont[] = "Font", kInput[] = "Input",
               kAccelerators[] = "accelerators", kIdle[] = "idle";

Value countingGet(int, const Value*, Value) {
  return g_scriptApi->int2num(1234);
}

std::string runPacker(const std::string& folder, const std::string& code) {
  std::string source = folder + "/001_Main.rb";
  FILE* file = std::fopen(source.c_str(), "w");
  std::fputs(code.c_str(), file);
  std::fclose(file);
  std::string scripts = folder + "/Scripts.rvdata2";
  std::string command = std::string(QUILLON_SOURCE_DIR) + "/tools/pack-scripts -o " + scripts + " " + source;
  EXPECT_EQ(std::system(command.c_str()), 0);
  return scripts;
}

TEST(HookOrder, SlotsRunAtTheirMomentsInOrder) {
  static ScriptApi api;
  fillScriptApi(api);
  g_scriptApi = &api;
  EngineHooks& slots = hooks();
  slots.defineAudio = record<kAudio>;
  // The Color slot is where the player first defines classes: the interpreter must be up by then.
  slots.defineColor = [] {
    g_calls.push_back(kColor);
    g_scriptApi->eval_string("$color_hook_saw = !!(defined?(Table) && defined?(Rect))");
  };
  slots.defineTone = record<kTone>;
  slots.defineGraphics = record<kGraphics>;
  slots.defineBitmap = record<kBitmap>;
  slots.defineViewport = record<kViewport>;
  slots.defineSprite = record<kSprite>;
  slots.defineTilemap = record<kTilemap>;
  slots.definePlane = record<kPlane>;
  slots.defineWindow = record<kWindow>;
  slots.defineFont = record<kFont>;
  slots.defineInput = record<kInput>;
  slots.installWindowProc = [](void* window) {
    g_window = window;
    g_calls.push_back("window procedure");
  };
  slots.loadAccelerators = record<kAccelerators>;
  slots.extendSystemMenu = [](void*) { g_calls.push_back("system menu"); };
  slots.registryOpen = [](const char* key) -> long {
    g_calls.push_back(std::string("registry ") + key);
    return 0;
  };
  slots.idle = record<kIdle>;
  slots.foreground = [] {
    g_calls.push_back("foreground");
    return true;
  };
  // rgss_stop waits through the pump; the third step ends the game the way closing the window would.
  slots.pumpStep = [] {
    if (++g_pumps == 3) {
      g_scriptApi->eval_string("exit 5");
    }
  };
  slots.tableGet = countingGet;

  RGSSInitialize3(nullptr);
  EXPECT_EQ(g_calls, (std::vector<std::string>{"Audio", "Color", "Tone"}));
  EXPECT_EQ(api.eval_string("$color_hook_saw"), api.true_value);
  EXPECT_EQ(api.num2int(api.eval_string("Table.new(1)[0]")), 1234);

  char folder[] = "/tmp/quillon-hooks-XXXXXX";
  ASSERT_NE(mkdtemp(folder), nullptr);
  std::string scripts = runPacker(folder, "$sections_ran = true\nmsgbox 'hello'\nrgss_stop\n");
  g_calls.clear();
  int window = 0;
  RGSSGameMain(&window, scripts.c_str(), "");
  EXPECT_EQ(g_window, &window);
  EXPECT_EQ(g_calls, (std::vector<std::string>{"window procedure", "accelerators", "system menu",
                                                "registry Software\\Quillon", "idle", "Graphics",
                                                "Bitmap", "Viewport", "Sprite", "Tilemap", "Plane", "Window",
                                                "Font", "Input", "foreground"}));
  EXPECT_EQ(api.eval_string("$sections_ran"), api.true_value);
  EXPECT_EQ(g_pumps, 3);
  EXPECT_EQ(exitStatus(), 5);
  std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace engine
