#include "input/SystemKeys.h"

#include <gtest/gtest.h>

namespace input {
namespace {

using namespace windowing;

Message message(std::uint32_t id, std::uintptr_t wParam) {
  Message made;
  made.id = id;
  made.wParam = wParam;
  return made;
}

TEST(SystemKeys, PressesToggleOnceAndRepeatsDoNot) {
  SystemKeys keys;
  keys.handle(message(kWmKeyDown, 0x41));
  keys.handle(message(kWmKeyDown, 0x41));
  EXPECT_EQ(keys.table()[0x41], kKeyHeldBit | kKeyToggledBit);
  EXPECT_EQ(keys.keyState(0x41), -32767);
  keys.handle(message(kWmKeyUp, 0x41));
  EXPECT_EQ(keys.table()[0x41], kKeyToggledBit);
  EXPECT_EQ(keys.keyState(0x41), 1);
  keys.handle(message(kWmKeyDown, 0x41));
  keys.handle(message(kWmKeyUp, 0x41));
  EXPECT_EQ(keys.keyState(0x41), 0);
  EXPECT_EQ(keys.keyState(256), 0);
}

TEST(SystemKeys, AsyncStateReportsAPressOnceEvenAfterRelease) {
  SystemKeys keys;
  keys.handle(message(kWmKeyDown, 0x20));
  keys.handle(message(kWmKeyUp, 0x20));
  EXPECT_EQ(keys.asyncKeyState(0x20), 1);
  EXPECT_EQ(keys.asyncKeyState(0x20), 0);
  keys.handle(message(kWmKeyDown, 0x20));
  EXPECT_EQ(keys.asyncKeyState(0x20), -32767);
  EXPECT_EQ(keys.asyncKeyState(0x20), -32768);
}

TEST(SystemKeys, SystemKeysModifiersAndMouseButtonsAreHeld) {
  SystemKeys keys;
  keys.handle(message(kWmSysKeyDown, kVkMenu));
  keys.handle(message(kWmLButtonDown, kMkLButton));
  keys.handle(message(kWmXButtonDblClk, std::uintptr_t{2} << 16));
  EXPECT_TRUE(keys.held(kVkMenu));
  EXPECT_TRUE(keys.held(0xA4)) << "left Alt";
  EXPECT_TRUE(keys.held(0x01));
  EXPECT_TRUE(keys.held(0x06));
  keys.handle(message(kWmSysKeyUp, kVkMenu));
  EXPECT_FALSE(keys.held(0xA4));
  keys.releaseAll();
  EXPECT_FALSE(keys.held(0x01));
  EXPECT_EQ(keys.table()[0x01], kKeyToggledBit) << "deactivation keeps toggles";
}

}  // namespace
}  // namespace input
