// Input, Input::Controller and Mouse driven end to end: SDL events pushed onto the queue go through the real
// pump and window procedure into the modules the host defines, and scripts read them after Input.update.

#include <SDL.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "engine/Engine.h"
#include "host/Installers.h"
#include "host/MessagePump.h"
#include "host/WindowProcedure.h"
#include "host/private/Session.h"
#include "platform/window/GameWindow.h"
#include "platform/window/Screen.h"

namespace input {
namespace {

using namespace windowing;

engine::ScriptApi g_api;

class InputScriptTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    engine::fillScriptApi(g_api);
    engine::g_scriptApi = &g_api;
    RGSSInitialize3(nullptr);
    const engine::EngineGlobals& globals = engine::globals();
    g_api.object_class = globals.object_class;
    g_api.type_error = globals.type_error;
    g_api.script_error = globals.script_error;
    g_api.eval_string(R"(
      def __input_probe
        yield.inspect
      rescue Exception => error
        "#{error.class}: #{error.message}"
      end
    )");
    std::string error;
    ASSERT_TRUE(startVideo(&error)) << error;
    g_screenWidth = 320;
    g_screenHeight = 240;
    s_window = GameWindow::create("input test", 640, 480, &error);
    ASSERT_NE(s_window, nullptr) << error;
    host::session().window = s_window.get();
  }
  static void TearDownTestSuite() {
    host::session().window = nullptr;
    s_window.reset();
  }

  void SetUp() override {
    ASSERT_NE(s_window, nullptr);
    Message stale;
    while (s_window->pollMessage(&stale)) {
    }
    procedure.install();
    // Every case starts from what a fresh run of the initialiser builds.
    host::defineInputModules();
  }

  static std::string run(const std::string& code) {
    std::string wrapped = "__input_probe {\n" + code + "\n}";
    int state = 0;
    engine::Value result = g_api.eval_string_protect(wrapped.c_str(), &state);
    if (state != 0) {
      return "uncaught error";
    }
    return std::string(g_api.string_ptr(result), static_cast<std::size_t>(g_api.string_length(result)));
  }

  // Delivers everything queued through the pump and the window procedure, one message per step.
  void pump() {
    for (int step = 0; step < 64; ++step) {
      host::pumpStep(*s_window, procedure, {}, 0);
    }
  }

  void key(SDL_Keycode code, bool down) {
    SDL_Event event{};
    event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.key.keysym.sym = code;
    SDL_PushEvent(&event);
    pump();
  }

  void button(Uint8 which, bool down, Uint8 clicks = 1) {
    SDL_Event event{};
    event.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
    event.button.button = which;
    event.button.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.button.clicks = clicks;
    event.button.windowID = SDL_GetWindowID(s_window->sdlWindow());
    SDL_PushEvent(&event);
    pump();
  }

  void activate(bool active) {
    SDL_Event event{};
    event.type = SDL_WINDOWEVENT;
    event.window.event = active ? SDL_WINDOWEVENT_FOCUS_GAINED : SDL_WINDOWEVENT_FOCUS_LOST;
    event.window.windowID = SDL_GetWindowID(s_window->sdlWindow());
    SDL_PushEvent(&event);
    pump();
  }

  static std::unique_ptr<GameWindow> s_window;
  host::WindowProcedure procedure{{}};
};

std::unique_ptr<GameWindow> InputScriptTest::s_window;

TEST_F(InputScriptTest, HoldingZ) {
  key(SDLK_z, true);
  EXPECT_EQ(run("Input.press?(:C)"), "false") << "nothing counts before an update";
  std::string triggered;
  std::string repeated;
  for (int update = 1; update <= 31; ++update) {
    if (update % 5 == 0) {
      key(SDLK_z, true);  // auto-repeat
    }
    run("Input.update");
    if (run("Input.trigger?(:C)") == "true") triggered += std::to_string(update) + " ";
    if (run("Input.repeat?(:C)") == "true") repeated += std::to_string(update) + " ";
    ASSERT_EQ(run("[Input.press?(:C), Input.press?(13), Input.press?('c'), Input.press?(21)]"),
              "[true, true, true, false]");
  }
  EXPECT_EQ(triggered, "1 ");
  EXPECT_EQ(repeated, "1 24 30 ");
  EXPECT_EQ(run("[Input.press_key?(0x5A), Input.trigger_key?(0x5A), Input.recent_pressed]"), "[true, false, 90]");
  key(SDLK_z, false);
  EXPECT_EQ(run("[Input.press?(:C), Input.recent_pressed]"), "[true, 0]");
  run("Input.update");
  EXPECT_EQ(run("Input.press?(:C)"), "false");
}

TEST_F(InputScriptTest, KeyDownAndUpBetweenUpdatesIsOnlyRecentTriggered) {
  key(SDLK_x, true);
  key(SDLK_x, false);
  run("Input.update");
  EXPECT_EQ(run("[Input.press?(:B), Input.trigger?(:B), Input.recent_triggered]"), "[false, false, 88]");
}

TEST_F(InputScriptTest, ShiftIsBothShiftAndA) {
  key(SDLK_LSHIFT, true);
  run("Input.update");
  EXPECT_EQ(run("[Input.press?(:SHIFT), Input.press?(:A), Input.press?(Input::A), Input.press?(11)]"),
            "[true, true, true, true]");
  EXPECT_EQ(run("Input.set_keys_from_flag(:A, [90]); [Input.press?(:A), Input.press?(:SHIFT)]"), "[false, true]");
  key(SDLK_z, true);
  run("Input.update");
  EXPECT_EQ(run("[Input.press?(:A), Input.press?(:C)]"), "[true, false]");
}

TEST_F(InputScriptTest, DirectionsFromArrowKeys) {
  key(SDLK_LEFT, true);
  run("Input.update");
  EXPECT_EQ(run("[Input.dir4, Input.dir8]"), "[4, 4]");
  key(SDLK_UP, true);
  run("Input.update");
  EXPECT_EQ(run("[Input.dir4, Input.dir8]"), "[8, 7]");
  key(SDLK_UP, false);
  key(SDLK_RIGHT, true);
  run("Input.update");
  EXPECT_EQ(run("[Input.dir4, Input.dir8]"), "[0, 0]");
}

TEST_F(InputScriptTest, DeactivationReleasesEverythingUntilKeysGoDownAgain) {
  key(SDLK_z, true);
  run("Input.update");
  activate(false);
  run("Input.update");
  EXPECT_EQ(run("Input.press?(:C)"), "false");
  activate(true);
  run("Input.update");
  EXPECT_EQ(run("Input.press?(:C)"), "false");
  key(SDLK_z, true);
  run("Input.update");
  EXPECT_EQ(run("Input.trigger?(:C)"), "true");
}

TEST_F(InputScriptTest, AltCombinationsNeverReachTheKeys) {
  SDL_Event event{};
  event.type = SDL_KEYDOWN;
  event.key.state = SDL_PRESSED;
  event.key.keysym.sym = SDLK_z;
  event.key.keysym.mod = KMOD_LALT;
  SDL_PushEvent(&event);
  pump();
  run("Input.update");
  EXPECT_EQ(run("[Input.press?(:C), Input.press?(:ALT)]"), "[false, false]");
}

TEST_F(InputScriptTest, AClickBetweenUpdatesIsOneFrameOfDownAndUp) {
  button(SDL_BUTTON_LEFT, true);
  button(SDL_BUTTON_LEFT, false);
  EXPECT_EQ(run("Mouse.down?"), "false") << "events show after the next update";
  run("Input.update");
  EXPECT_EQ(run("[Mouse.down?, Mouse.up?, Mouse.press?, Mouse.down?(:L), Mouse.down?(1), Mouse.down?(:l), "
                "Mouse.click?(:R)]"),
            "[true, true, false, true, true, false, false]");
  run("Input.update");
  EXPECT_EQ(run("[Mouse.down?, Mouse.up?]"), "[false, false]");
  button(SDL_BUTTON_RIGHT, true);
  EXPECT_EQ(run("[Mouse.press?(:R), Mouse.press?(:L), Mouse.press?('R')]"), "[true, false, true]");
  button(SDL_BUTTON_RIGHT, false);
  button(SDL_BUTTON_RIGHT, true, 2);
  run("Input.update");
  EXPECT_EQ(run("[Mouse.dbl_clk?, Mouse.dbl_clk?(2), Mouse.dbl_clk?(:L)]"), "[true, true, false]");
}

TEST_F(InputScriptTest, WheelAndMotion) {
  for (int notch = 0; notch < 2; ++notch) {
    SDL_Event event{};
    event.type = SDL_MOUSEWHEEL;
    event.wheel.y = 1;
    event.wheel.preciseY = 1.0f;
    event.wheel.windowID = SDL_GetWindowID(s_window->sdlWindow());
    SDL_PushEvent(&event);
  }
  SDL_Event motion{};
  motion.type = SDL_MOUSEMOTION;
  motion.motion.x = 101;
  motion.motion.y = 61;
  motion.motion.windowID = SDL_GetWindowID(s_window->sdlWindow());
  SDL_PushEvent(&motion);
  pump();
  // The 640 x 480 window shows the 320 x 240 game at twice its size.
  EXPECT_EQ(run("[Mouse.x, Mouse.y]"), "[50, 30]");
  run("Input.update");
  EXPECT_EQ(run("[Mouse.scroll, Mouse.move]"), "[240, true]");
}

TEST_F(InputScriptTest, ControllerStatesWithoutPads) {
  run("Input.update");
  EXPECT_EQ(run("Input::Controller.first_state"), "nil");
  EXPECT_EQ(run("Input::Controller.states.map { |s| s.press?(:A) }"), "[false, false, false, false]");
}

TEST_F(InputScriptTest, AVirtualPadIsSeenAndReadThroughTheScripts) {
  ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER), 0) << SDL_GetError();
  run("Input.update");  // pad 0 asked and missing: not asked again for 60 updates
  int device = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, SDL_CONTROLLER_AXIS_MAX,
                                         SDL_CONTROLLER_BUTTON_MAX, 0);
  ASSERT_GE(device, 0) << SDL_GetError();
  SDL_Joystick* joystick = SDL_JoystickOpen(device);
  ASSERT_NE(joystick, nullptr) << SDL_GetError();
  SDL_JoystickSetVirtualAxis(joystick, SDL_CONTROLLER_AXIS_LEFTX, 20000);
  SDL_JoystickSetVirtualAxis(joystick, SDL_CONTROLLER_AXIS_RIGHTX, 10000);
  SDL_JoystickSetVirtualAxis(joystick, SDL_CONTROLLER_AXIS_RIGHTY, -10000);
  SDL_JoystickSetVirtualButton(joystick, SDL_CONTROLLER_BUTTON_A, 1);
  int seenAt = 0;
  for (int update = 1; update <= 61 && seenAt == 0; ++update) {
    run("Input.update");
    if (run("Input::Controller.first_state.nil?") == "false") {
      seenAt = update;
    }
  }
  EXPECT_EQ(seenAt, 61);
  EXPECT_EQ(run("s = Input::Controller.first_state; [s.thumb_left_x, s.thumb_left_y, s.press?(:A), s.press?(12), "
                "s.trigger?(:A), s.pressed_buttons, s.thumb_right_dir8, s.thumb_right_dir4]"),
            "[15978, 0, true, true, true, [12], 9, 8]");
  EXPECT_EQ(run("Input::Controller.states[0].press?(16)"), "RGSSError: index out of range");
  run("Input.update");
  EXPECT_EQ(run("s = Input::Controller.states[0]; [s.trigger?(:A), s.repeat?(:A), s.press?(:a)]"),
            "[false, false, false]");
  SDL_JoystickClose(joystick);
  SDL_JoystickDetachVirtual(device);
  for (int update = 0; update < 2; ++update) {
    run("Input.update");
  }
  EXPECT_EQ(run("Input::Controller.first_state"), "nil");
}

}  // namespace
}  // namespace input
