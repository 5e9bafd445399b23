#include "platform/window/Controllers.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace windowing {
namespace {

TEST(GamepadConversionTest, TriggersAndUpwardSticks) {
  EXPECT_EQ(triggerByte(0), 0);
  EXPECT_EQ(triggerByte(-5), 0);
  EXPECT_EQ(triggerByte(32767), 255);
  EXPECT_EQ(triggerByte(16384), 127);
  EXPECT_EQ(upwardAxis(0), 0);
  EXPECT_EQ(upwardAxis(32767), -32767);
  EXPECT_EQ(upwardAxis(-32768), 32767);
  EXPECT_EQ(upwardAxis(-100), 100);
}

// Virtual controllers stand in for hardware: SDL gives them a standard mapping.
class GamepadsTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER), 0) << SDL_GetError(); }
  void TearDown() override {
    while (!attached.empty()) {
      detach(attached.back());
    }
    SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
  }

  SDL_Joystick* attach() {
    int device = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, SDL_CONTROLLER_AXIS_MAX,
                                           SDL_CONTROLLER_BUTTON_MAX, 0);
    EXPECT_GE(device, 0) << SDL_GetError();
    SDL_Joystick* joystick = SDL_JoystickOpen(device);
    EXPECT_NE(joystick, nullptr) << SDL_GetError();
    attached.push_back(joystick);
    return joystick;
  }

  // Device indices shift as devices go, so the device is found by its instance.
  void detach(SDL_Joystick* joystick) {
    SDL_JoystickID id = SDL_JoystickInstanceID(joystick);
    SDL_JoystickClose(joystick);
    for (int device = 0; device < SDL_NumJoysticks(); ++device) {
      if (SDL_JoystickGetDeviceInstanceID(device) == id) {
        SDL_JoystickDetachVirtual(device);
        break;
      }
    }
    std::erase(attached, joystick);
  }

  std::vector<SDL_Joystick*> attached;
};

TEST_F(GamepadsTest, ButtonsMapToXInputBitsByPosition) {
  Gamepads pads;
  SDL_Joystick* joystick = attach();
  const std::pair<SDL_GameControllerButton, int> buttons[] = {
      {SDL_CONTROLLER_BUTTON_DPAD_UP, 0},      {SDL_CONTROLLER_BUTTON_DPAD_DOWN, 1},
      {SDL_CONTROLLER_BUTTON_DPAD_LEFT, 2},    {SDL_CONTROLLER_BUTTON_DPAD_RIGHT, 3},
      {SDL_CONTROLLER_BUTTON_START, 4},        {SDL_CONTROLLER_BUTTON_BACK, 5},
      {SDL_CONTROLLER_BUTTON_LEFTSTICK, 6},    {SDL_CONTROLLER_BUTTON_RIGHTSTICK, 7},
      {SDL_CONTROLLER_BUTTON_LEFTSHOULDER, 8}, {SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, 9},
      {SDL_CONTROLLER_BUTTON_A, 12},           {SDL_CONTROLLER_BUTTON_B, 13},
      {SDL_CONTROLLER_BUTTON_X, 14},           {SDL_CONTROLLER_BUTTON_Y, 15},
  };
  for (const auto& [button, bit] : buttons) {
    SDL_JoystickSetVirtualButton(joystick, button, 1);
    GamepadReading reading;
    ASSERT_TRUE(pads.read(0, &reading));
    EXPECT_EQ(reading.buttons, 1u << bit) << "SDL button " << button;
    SDL_JoystickSetVirtualButton(joystick, button, 0);
  }
  SDL_JoystickSetVirtualButton(joystick, SDL_CONTROLLER_BUTTON_GUIDE, 1);
  GamepadReading reading;
  ASSERT_TRUE(pads.read(0, &reading));
  EXPECT_EQ(reading.buttons, 0u) << "the guide button has no XInput bit";
}

TEST_F(GamepadsTest, AxesBecomeTriggerBytesAndUpwardSticks) {
  Gamepads pads;
  SDL_Joystick* joystick = attach();
  GamepadReading reading;
  // SDL takes an axis's first value as its resting one, as a real pad reports it at rest.
  ASSERT_TRUE(pads.read(0, &reading));
  SDL_JoystickSetVirtualAxis(joystick, SDL_CONTROLLER_AXIS_TRIGGERLEFT, 32767);
  // A virtual pad's trigger axes span the whole range: their lowest value is the released trigger.
  SDL_JoystickSetVirtualAxis(joystick, SDL_CONTROLLER_AXIS_TRIGGERRIGHT, -32768);
  SDL_JoystickSetVirtualAxis(joystick, SDL_CONTROLLER_AXIS_LEFTX, -32768);
  SDL_JoystickSetVirtualAxis(joystick, SDL_CONTROLLER_AXIS_LEFTY, -32768);
  SDL_JoystickSetVirtualAxis(joystick, SDL_CONTROLLER_AXIS_RIGHTX, 1234);
  SDL_JoystickSetVirtualAxis(joystick, SDL_CONTROLLER_AXIS_RIGHTY, 1000);
  ASSERT_TRUE(pads.read(0, &reading));
  EXPECT_EQ(reading.leftTrigger, 255);
  EXPECT_EQ(reading.rightTrigger, 0);
  EXPECT_EQ(reading.thumbLeftX, -32768);
  EXPECT_EQ(reading.thumbLeftY, 32767);
  EXPECT_EQ(reading.thumbRightX, 1234);
  EXPECT_EQ(reading.thumbRightY, -1000);
}

TEST_F(GamepadsTest, HotPluggedPadsTakeTheLowestAskingSlot) {
  Gamepads pads;
  GamepadReading reading;
  EXPECT_FALSE(pads.read(0, &reading));
  EXPECT_FALSE(pads.read(4, &reading));
  EXPECT_FALSE(pads.read(-1, &reading));
  SDL_Joystick* first = attach();
  SDL_Joystick* second = attach();
  SDL_JoystickSetVirtualButton(second, SDL_CONTROLLER_BUTTON_B, 1);
  EXPECT_TRUE(pads.read(0, &reading));
  EXPECT_EQ(reading.buttons, 0u);
  EXPECT_TRUE(pads.read(1, &reading));
  EXPECT_EQ(reading.buttons, 1u << 13);
  EXPECT_FALSE(pads.read(2, &reading));
  detach(first);
  EXPECT_FALSE(pads.read(0, &reading));
  EXPECT_TRUE(pads.read(1, &reading)) << "the other pad keeps its slot";
  attach();
  EXPECT_TRUE(pads.read(0, &reading));
  EXPECT_EQ(reading.buttons, 0u);
}

}  // namespace
}  // namespace windowing
