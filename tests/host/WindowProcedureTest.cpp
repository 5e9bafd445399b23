#include "host/WindowProcedure.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "host/InputSink.h"
#include "host/MessagePump.h"
#include "host/RendererControl.h"
#include "host/Teardown.h"
#include "platform/window/GameWindow.h"

namespace host {
namespace {

using namespace windowing;

class FakeRenderer final : public RendererControl {
 public:
  void release() override { ++releases; }
  bool released() const override { return releases > 0; }
  void setInactive(bool value) override { inactive = value; }
  void setFocusEventDone(bool done) override { focusEventDone = done; }
  void requestFullScreenToggle() override { ++toggleRequests; }
  void toggleFrameRateTitle() override { ++frameRateToggles; }

  int releases = 0;
  bool inactive = false;
  bool focusEventDone = true;
  int toggleRequests = 0;
  int frameRateToggles = 0;
};

class FakeInput final : public InputSink {
 public:
  void message(const Message& message) override { seen.push_back(message.id); }
  void keyDown(int key) override { down.push_back(key); }
  void keyUp(int key) override { up.push_back(key); }
  void setActive(bool value) override { active = value; }

  std::vector<std::uint32_t> seen;
  std::vector<int> down;
  std::vector<int> up;
  bool active = true;
};

// Drives the real pump and window procedure with SDL events pushed onto the queue, as the player receives
// them, with fakes standing in for the renderer and the input state.
class WindowProcedureTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    std::string error;
    ASSERT_TRUE(startVideo(&error)) << error;
    s_window = GameWindow::create("procedure test", 320, 240, &error);
    ASSERT_NE(s_window, nullptr) << error;
  }
  static void TearDownTestSuite() {
    s_window.reset();
  }

  void SetUp() override {
    ASSERT_NE(s_window, nullptr);
    Message stale;
    while (s_window->pollMessage(&stale)) {
    }
    auto owned = std::make_unique<FakeRenderer>();
    renderer = owned.get();
    publishRenderer(std::move(owned));
    setInputSink(&input);
    procedure.install();
  }
  void TearDown() override { setInputSink(nullptr); }

  void pushKey(SDL_Keycode key, bool down, Uint16 modifiers = KMOD_NONE) {
    SDL_Event event{};
    event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.key.keysym.sym = key;
    event.key.keysym.mod = modifiers;
    SDL_PushEvent(&event);
  }
  void pushWindowEvent(Uint8 what) {
    SDL_Event event{};
    event.type = SDL_WINDOWEVENT;
    event.window.event = what;
    event.window.windowID = SDL_GetWindowID(s_window->sdlWindow());
    SDL_PushEvent(&event);
  }
  bool step() { return pumpStep(*s_window, procedure, kAcceleratorTable); }

  static std::unique_ptr<GameWindow> s_window;
  FakeRenderer* renderer = nullptr;
  FakeInput input;
  int teardowns = 0;
  int aboutBoxes = 0;
  int closeRequests = 0;
  int screenshots = 0;
  int resetRequests = 0;
  WindowProcedure procedure{{[this] { ++teardowns; }, [this] { ++aboutBoxes; }, [this] { ++closeRequests; },
                             [this] { ++screenshots; }, [this] { ++resetRequests; }}};
};

std::unique_ptr<GameWindow> WindowProcedureTest::s_window;

TEST_F(WindowProcedureTest, ActivationSetsTheRendererAndInputFlags) {
  pushWindowEvent(SDL_WINDOWEVENT_FOCUS_LOST);
  step();
  EXPECT_TRUE(renderer->inactive);
  EXPECT_FALSE(renderer->focusEventDone);
  EXPECT_FALSE(input.active);

  renderer->focusEventDone = true;
  pushWindowEvent(SDL_WINDOWEVENT_FOCUS_GAINED);
  step();
  EXPECT_FALSE(renderer->inactive);
  EXPECT_FALSE(renderer->focusEventDone);
  EXPECT_TRUE(input.active);
}

TEST_F(WindowProcedureTest, KeysReachTheInputStateAndTheMouseHandlerSeesEverything) {
  pushKey(SDLK_a, true);
  pushKey(SDLK_a, false);
  step();
  EXPECT_EQ(input.down, std::vector<int>{0x41});
  EXPECT_TRUE(input.up.empty()) << "a step takes at most one message";
  step();
  EXPECT_EQ(input.up, std::vector<int>{0x41});
  EXPECT_EQ(input.seen, (std::vector<std::uint32_t>{kWmKeyDown, kWmKeyUp}));
}

TEST_F(WindowProcedureTest, AltAloneIsSwallowedAndAltEnterRequestsFullScreen) {
  pushKey(SDLK_LALT, true, KMOD_LALT);
  step();
  EXPECT_EQ(renderer->toggleRequests, 0);
  EXPECT_TRUE(input.down.empty()) << "system keys are not key-downs";

  pushKey(SDLK_RETURN, true, KMOD_LALT);
  step();
  EXPECT_EQ(renderer->toggleRequests, 1);

  pushKey(SDLK_RETURN, true);
  step();
  EXPECT_EQ(renderer->toggleRequests, 1) << "Enter without Alt is a plain key";
  EXPECT_EQ(input.down, std::vector<int>{0x0D});
}

TEST_F(WindowProcedureTest, F2TogglesTheFrameRateTitleThroughTheAccelerator) {
  pushKey(SDLK_F2, true);
  step();
  EXPECT_EQ(renderer->frameRateToggles, 1);
  EXPECT_TRUE(input.down.empty()) << "an accelerator's key message is not dispatched";
  pushKey(SDLK_F2, true, KMOD_LSHIFT);
  step();
  EXPECT_EQ(renderer->frameRateToggles, 1) << "Shift+F2 is no accelerator";
  EXPECT_EQ(input.down, std::vector<int>{0x71});
}

TEST_F(WindowProcedureTest, F1OpensTheAboutBoxAndAltF4AsksToClose) {
  pushKey(SDLK_F1, true);
  step();
  EXPECT_EQ(aboutBoxes, 1);
  pushKey(SDLK_F4, true, KMOD_LALT);
  step();
  EXPECT_EQ(closeRequests, 1);
}

TEST_F(WindowProcedureTest, F10AndPrintScreenTakeAScreenshotOncePerPress) {
  pushKey(SDLK_F10, true);
  step();
  EXPECT_EQ(screenshots, 1);
  SDL_Event held{};
  held.type = SDL_KEYDOWN;
  held.key.state = SDL_PRESSED;
  held.key.repeat = 1;
  held.key.keysym.sym = SDLK_F10;
  SDL_PushEvent(&held);
  step();
  EXPECT_EQ(screenshots, 1) << "a held key repeating";
  pushKey(SDLK_PRINTSCREEN, true);
  step();
  EXPECT_EQ(screenshots, 2);
  EXPECT_EQ(input.down, std::vector<int>{0x2C}) << "the game still gets the key";
  pushKey(SDLK_F9, true);
  step();
  EXPECT_EQ(screenshots, 2);
}

TEST_F(WindowProcedureTest, F12AsksForOneResetPerPress) {
  pushKey(SDLK_F12, true);
  SDL_Event held{};
  held.type = SDL_KEYDOWN;
  held.key.keysym.sym = SDLK_F12;
  held.key.repeat = 1;
  SDL_PushEvent(&held);
  pushKey(SDLK_F12, false);
  for (int i = 0; i < 3; ++i) step();
  EXPECT_EQ(resetRequests, 1) << "the repeated key-down of a held key is no new press";
  EXPECT_EQ(input.down, (std::vector<int>{0x7B, 0x7B})) << "the input state still sees the key";
}

TEST_F(WindowProcedureTest, CloseTearsDownAndTheStepReportsTheRendererItStartedWith) {
  procedure = WindowProcedure({[this] {
                                 ++teardowns;
                                 renderer->release();
                                 clearCurrentRenderer();
                               },
                               nullptr, nullptr});
  procedure.install();
  EXPECT_FALSE(step());
  pushWindowEvent(SDL_WINDOWEVENT_CLOSE);
  EXPECT_TRUE(step()) << "the step began with a renderer that the close released";
  EXPECT_EQ(teardowns, 1);
  EXPECT_FALSE(step()) << "no renderer left to report";
}

TEST_F(WindowProcedureTest, BeforeInstallationMessagesGetOnlyDefaultProcessing) {
  procedure = WindowProcedure({[this] { ++teardowns; }, [this] { ++aboutBoxes; }, [this] { ++closeRequests; }});
  pushKey(SDLK_a, true);
  pushWindowEvent(SDL_WINDOWEVENT_CLOSE);
  step();
  step();
  EXPECT_TRUE(input.seen.empty());
  EXPECT_EQ(teardowns, 0);
}

TEST_F(WindowProcedureTest, TheQuitMessageIsNotDispatched) {
  s_window->postQuit();
  step();
  EXPECT_TRUE(input.seen.empty());
}

TEST(TeardownTest, RunsOnceReleasingAndForgettingTheRenderer) {
  auto owned = std::make_unique<FakeRenderer>();
  FakeRenderer* renderer = owned.get();
  publishRenderer(std::move(owned));
  teardown();
  teardown();
  EXPECT_EQ(renderer->releases, 1);
  EXPECT_EQ(currentRenderer(), nullptr);
  EXPECT_TRUE(tornDown());
}

}  // namespace
}  // namespace host
