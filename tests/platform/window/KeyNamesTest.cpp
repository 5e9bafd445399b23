#include "platform/window/KeyNames.h"

#include <gtest/gtest.h>

namespace windowing {
namespace {

TEST(KeyNamesTest, LayoutNamesOfVirtualKeys) {
  EXPECT_EQ(keyNameOfVirtualKey(0x41), "A");
  EXPECT_EQ(keyNameOfVirtualKey(0x5A), "Z");
  EXPECT_EQ(keyNameOfVirtualKey(0x31), "1");
  EXPECT_EQ(keyNameOfVirtualKey(0x25), "Left") << "the arrow key, not the keypad's 4";
  EXPECT_EQ(keyNameOfVirtualKey(0x64), "Keypad 4");
  EXPECT_EQ(keyNameOfVirtualKey(0x0D), "Return");
  EXPECT_EQ(keyNameOfVirtualKey(0x10), "Shift");
  EXPECT_EQ(keyNameOfVirtualKey(0x11), "Ctrl");
  EXPECT_EQ(keyNameOfVirtualKey(0x70), "F1");
}

TEST(KeyNamesTest, CodesWithoutKeysHaveNoName) {
  EXPECT_EQ(keyNameOfVirtualKey(0), "");
  EXPECT_EQ(keyNameOfVirtualKey(0x07), "");
  EXPECT_EQ(keyNameOfVirtualKey(256), "");
  EXPECT_EQ(keyNameOfVirtualKey(-1), "");
}

}  // namespace
}  // namespace windowing
