#include "platform/window/KeyNames.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/window/GameWindow.h"

namespace windowing {
namespace {

// The keyboard layout is read once video is up, as it is in the player.
class KeyNamesTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    std::string error;
    ASSERT_TRUE(startVideo(&error)) << error;
  }
};

TEST_F(KeyNamesTest, LayoutNamesOfVirtualKeys) {
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

TEST_F(KeyNamesTest, CodesWithoutKeysHaveNoName) {
  EXPECT_EQ(keyNameOfVirtualKey(0), "");
  EXPECT_EQ(keyNameOfVirtualKey(0x07), "");
  EXPECT_EQ(keyNameOfVirtualKey(256), "");
  EXPECT_EQ(keyNameOfVirtualKey(-1), "");
}

}  // namespace
}  // namespace windowing
