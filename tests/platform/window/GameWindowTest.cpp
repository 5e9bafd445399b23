#include "platform/window/GameWindow.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "platform/window/MessageBox.h"

namespace windowing {
namespace {

TEST(CentredOriginTest, TruncatesTowardZeroAndAllowsNegativePositions) {
  EXPECT_EQ(centredOrigin(1024, 768, 544, 416).x, 240);
  EXPECT_EQ(centredOrigin(1024, 768, 544, 416).y, 176);
  EXPECT_EQ(centredOrigin(1024, 768, 545, 417).x, 239);
  EXPECT_EQ(centredOrigin(1000, 700, 1025, 1001).x, -12);
  EXPECT_EQ(centredOrigin(1000, 700, 1025, 1001).y, -150);
}

// SDL events pushed onto the queue, read back as the messages the window procedure gets.
class GameWindowTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    std::string error;
    ASSERT_TRUE(startVideo(&error)) << error;
    s_window = GameWindow::create("window test", 544, 416, &error);
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
  }

  static Message next() {
    Message message;
    EXPECT_TRUE(s_window->pollMessage(&message)) << "no message";
    return message;
  }
  static void push(SDL_Event event) { ASSERT_EQ(SDL_PushEvent(&event), 1); }
  static SDL_Event key(SDL_Keycode code, bool down, Uint16 modifiers = KMOD_NONE, Uint8 repeat = 0) {
    SDL_Event event{};
    event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    event.key.keysym.sym = code;
    event.key.keysym.mod = modifiers;
    event.key.repeat = repeat;
    return event;
  }
  static SDL_Event button(Uint8 which, bool down, int x, int y, Uint8 clicks = 1) {
    SDL_Event event{};
    event.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
    event.button.button = which;
    event.button.clicks = clicks;
    event.button.x = x;
    event.button.y = y;
    return event;
  }
  static SDL_Event windowEvent(Uint8 what, Uint32 id = 0) {
    SDL_Event event{};
    event.type = SDL_WINDOWEVENT;
    event.window.event = what;
    event.window.windowID = id != 0 ? id : SDL_GetWindowID(s_window->sdlWindow());
    return event;
  }

  static std::unique_ptr<GameWindow> s_window;
};

std::unique_ptr<GameWindow> GameWindowTest::s_window;

TEST_F(GameWindowTest, IsCentredOnTheUsableArea) {
  SDL_Rect work{};
  ASSERT_EQ(SDL_GetDisplayUsableBounds(0, &work), 0);
  s_window->placeCentred();
  Point expected = centredOrigin(work.w, work.h, 544, 416);
  EXPECT_EQ(s_window->position().x, work.x + expected.x);
  EXPECT_EQ(s_window->position().y, work.y + expected.y);
  int width = 0;
  int height = 0;
  s_window->clientSize(&width, &height);
  EXPECT_EQ(width, 544);
  EXPECT_EQ(height, 416);
}

TEST_F(GameWindowTest, KeysBecomeKeyMessagesWithTheirStateBits) {
  push(key(SDLK_x, true));
  push(key(SDLK_x, true, KMOD_NONE, 1));
  push(key(SDLK_x, false));
  Message down = next();
  EXPECT_EQ(down.id, kWmKeyDown);
  EXPECT_EQ(down.wParam, 0x58u);
  EXPECT_EQ(down.lParam, 1);
  Message repeat = next();
  EXPECT_EQ(repeat.id, kWmKeyDown);
  EXPECT_EQ(repeat.lParam, 1 | (1 << 30));
  Message up = next();
  EXPECT_EQ(up.id, kWmKeyUp);
  EXPECT_EQ(static_cast<std::uint32_t>(up.lParam), 1u | (1u << 30) | (1u << 31));
}

TEST_F(GameWindowTest, AltItselfAndKeysHeldWithAltAreSystemKeys) {
  push(key(SDLK_LALT, true, KMOD_LALT));
  push(key(SDLK_RETURN, true, KMOD_RALT));
  push(key(SDLK_F10, true));
  push(key(SDLK_LALT, false));
  Message alt = next();
  EXPECT_EQ(alt.id, kWmSysKeyDown);
  EXPECT_EQ(alt.wParam, 0x12u);
  Message enter = next();
  EXPECT_EQ(enter.id, kWmSysKeyDown);
  EXPECT_EQ(enter.wParam, 0x0Du);
  EXPECT_TRUE(enter.altHeld);
  EXPECT_NE(enter.lParam & (1 << 29), 0);
  EXPECT_EQ(next().id, kWmSysKeyDown);
  EXPECT_EQ(next().id, kWmSysKeyUp);
}

TEST_F(GameWindowTest, MouseButtonsWithDoubleClicksAndClientCoordinates) {
  push(button(SDL_BUTTON_LEFT, true, 10, 20));
  push(button(SDL_BUTTON_LEFT, false, 10, 20));
  push(button(SDL_BUTTON_LEFT, true, 11, 21, 2));
  push(button(SDL_BUTTON_RIGHT, true, -3, 5, 3));
  push(button(SDL_BUTTON_X2, true, 0, 0));
  Message first = next();
  EXPECT_EQ(first.id, kWmLButtonDown);
  EXPECT_EQ(first.lParam, makePointParam(10, 20));
  EXPECT_NE(first.wParam & kMkLButton, 0u);
  Message release = next();
  EXPECT_EQ(release.id, kWmLButtonUp);
  EXPECT_EQ(release.wParam & kMkLButton, 0u);
  EXPECT_EQ(next().id, kWmLButtonDblClk);
  Message third = next();
  EXPECT_EQ(third.id, kWmRButtonDown) << "the third click of a series is a plain click again";
  EXPECT_EQ(third.lParam & 0xFFFF, 0xFFFD);
  Message extra = next();
  EXPECT_EQ(extra.id, kWmXButtonDown);
  EXPECT_EQ(extra.wParam >> 16, 2u);
}

TEST_F(GameWindowTest, WheelNotchesAre120AndMotionCarriesHeldButtons) {
  SDL_Event wheel{};
  wheel.type = SDL_MOUSEWHEEL;
  wheel.wheel.y = -2;
  wheel.wheel.preciseY = -2.0f;
  wheel.wheel.mouseX = 30;
  wheel.wheel.mouseY = 40;
  push(wheel);
  SDL_Event motion{};
  motion.type = SDL_MOUSEMOTION;
  motion.motion.x = 100;
  motion.motion.y = 50;
  motion.motion.state = SDL_BUTTON_RMASK;
  push(motion);
  Message turned = next();
  EXPECT_EQ(turned.id, kWmMouseWheel);
  EXPECT_EQ(static_cast<std::int16_t>(turned.wParam >> 16), -240);
  EXPECT_EQ(turned.lParam, makePointParam(30, 40));
  Message moved = next();
  EXPECT_EQ(moved.id, kWmMouseMove);
  EXPECT_EQ(moved.wParam, kMkRButton);
  EXPECT_EQ(moved.lParam, makePointParam(100, 50));
}

TEST_F(GameWindowTest, FocusIsActivationAndCloseIsDestroy) {
  push(windowEvent(SDL_WINDOWEVENT_FOCUS_LOST));
  push(windowEvent(SDL_WINDOWEVENT_FOCUS_GAINED));
  push(windowEvent(SDL_WINDOWEVENT_CLOSE, 9999));
  push(windowEvent(SDL_WINDOWEVENT_CLOSE));
  Message lost = next();
  EXPECT_EQ(lost.id, kWmActivateApp);
  EXPECT_EQ(lost.wParam, 0u);
  Message gained = next();
  EXPECT_EQ(gained.id, kWmActivateApp);
  EXPECT_EQ(gained.wParam, 1u);
  EXPECT_EQ(next().id, kWmDestroy) << "another window's close was taken for ours";
  Message none;
  EXPECT_FALSE(s_window->pollMessage(&none));
}

TEST_F(GameWindowTest, PostedQuitAndTextInputTranslate) {
  SDL_Event text{};
  text.type = SDL_TEXTINPUT;
  push(text);
  s_window->postQuit();
  EXPECT_EQ(next().id, kWmQuit) << "text input is no message of ours";
}

TEST_F(GameWindowTest, TestHookClosesTheWindowAfterTheGivenTime) {
  ::setenv("QUILLON_TEST_CLOSE_AFTER_MS", "30", 1);
  Message message;
  EXPECT_FALSE(s_window->pollMessage(&message));
  std::this_thread::sleep_for(std::chrono::milliseconds(40));
  ASSERT_TRUE(s_window->pollMessage(&message));
  EXPECT_EQ(message.id, kWmDestroy);
  ::unsetenv("QUILLON_TEST_CLOSE_AFTER_MS");
}

TEST_F(GameWindowTest, WaitingPollReturnsAMessageThatArrivesLater) {
  std::thread sender([] {
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    push(windowEvent(SDL_WINDOWEVENT_FOCUS_LOST));
  });
  Message message;
  bool received = s_window->pollMessage(&message, 2000);
  sender.join();
  ASSERT_TRUE(received);
  EXPECT_EQ(message.id, kWmActivateApp);
  EXPECT_FALSE(s_window->pollMessage(&message, 20)) << "nothing more was sent";
}

TEST(MessageBoxTest, WithoutADisplayBoxesGoToStandardError) {
  ::setenv("SDL_VIDEODRIVER", "offscreen", 1);
  EXPECT_FALSE(hasDisplay());
  ::testing::internal::CaptureStderr();
  showErrorBox("Caption", "没有发现 RGSS-RTP X。", nullptr);
  showAboutBox(nullptr);
  std::string printed = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(printed, std::string("Caption: 没有发现 RGSS-RTP X。\n") + kAboutCaption + ": " + kAboutText + "\n");
}

}  // namespace
}  // namespace windowing
