#include "platform/window/VirtualKeys.h"

#include <SDL.h>
#include <gtest/gtest.h>

namespace windowing {
namespace {

TEST(VirtualKeysTest, RangesMapOntoTheWindowsCodes) {
  EXPECT_EQ(virtualKeyFromKeycode(SDLK_a), 0x41);
  EXPECT_EQ(virtualKeyFromKeycode(SDLK_z), 0x5A);
  EXPECT_EQ(virtualKeyFromKeycode(SDLK_0), 0x30);
  EXPECT_EQ(virtualKeyFromKeycode(SDLK_9), 0x39);
  EXPECT_EQ(virtualKeyFromKeycode(SDLK_F1), 0x70);
  EXPECT_EQ(virtualKeyFromKeycode(SDLK_F12), 0x7B);
  EXPECT_EQ(virtualKeyFromKeycode(SDLK_F13), 0x7C);
  EXPECT_EQ(virtualKeyFromKeycode(SDLK_KP_0), 0x60);
  EXPECT_EQ(virtualKeyFromKeycode(SDLK_KP_9), 0x69);
}

TEST(VirtualKeysTest, NamedKeysAndGenericModifiers) {
  struct Case {
    SDL_Keycode key;
    int code;
  };
  for (const Case& c : {Case{SDLK_LEFT, 0x25}, Case{SDLK_UP, 0x26}, Case{SDLK_RIGHT, 0x27}, Case{SDLK_DOWN, 0x28},
                        Case{SDLK_RETURN, 0x0D}, Case{SDLK_KP_ENTER, 0x0D}, Case{SDLK_ESCAPE, 0x1B},
                        Case{SDLK_SPACE, 0x20}, Case{SDLK_LSHIFT, 0x10}, Case{SDLK_RSHIFT, 0x10},
                        Case{SDLK_LCTRL, 0x11}, Case{SDLK_RCTRL, 0x11}, Case{SDLK_LALT, 0x12},
                        Case{SDLK_RALT, 0x12}, Case{SDLK_PAGEDOWN, 0x22}, Case{SDLK_DELETE, 0x2E},
                        Case{SDLK_SEMICOLON, 0xBA}, Case{SDLK_QUOTE, 0xDE}}) {
    EXPECT_EQ(virtualKeyFromKeycode(c.key), c.code) << SDL_GetKeyName(c.key);
  }
}

TEST(VirtualKeysTest, KeysWithoutAWindowsCodeGiveZero) {
  EXPECT_EQ(virtualKeyFromKeycode(SDLK_UNKNOWN), 0);
  EXPECT_EQ(virtualKeyFromKeycode(SDLK_AUDIOPLAY), 0);
  EXPECT_EQ(virtualKeyFromKeycode(0x20AC), 0);  // a layout's euro sign
}

}  // namespace
}  // namespace windowing
