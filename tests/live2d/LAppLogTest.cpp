// The debug log: silent unless enabled, one newline per line, lines cut at 255 characters rather than dropped.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "live2d/LAppLog.h"

namespace {

std::vector<std::string>& written() {
  static std::vector<std::string> lines;
  return lines;
}

void capture(std::string_view line) { written().emplace_back(line); }

class LAppLogTest : public testing::Test {
 protected:
  void SetUp() override {
    written().clear();
    live2d::setLogSink(capture);
  }
  void TearDown() override {
    live2d::setDebugLogEnabled(false);
    live2d::setLogSink(nullptr);
  }
};

TEST_F(LAppLogTest, LinesAreCutAndEndWithOneNewline) {
  const std::string longText(300, 'x');
  const struct {
    std::string text;
    std::string line;
  } cases[] = {
      {"[APP]start motion: [Idle_0]", "[APP]start motion: [Idle_0]\n"},
      {"[CSM][I]CubismFramework::StartUp() is complete.\n", "[CSM][I]CubismFramework::StartUp() is complete.\n"},
      {"", "\n"},
      {longText, std::string(255, 'x') + "\n"},
      {std::string(255, 'y') + "\n", std::string(255, 'y') + "\n"},
  };
  for (const auto& c : cases) EXPECT_EQ(live2d::logLine(c.text), c.line) << c.text;
}

TEST_F(LAppLogTest, WritesOnlyWhileEnabled) {
  live2d::appLog("[APP]create buffer: %s ", "a/b");
  live2d::frameworkLog("[CSM][I]quiet\n");
  EXPECT_TRUE(written().empty());

  live2d::setDebugLogEnabled(true);
  live2d::appLog("[APP]create buffer: %s ", "a/b");
  live2d::appLog("[APP]load motion: %s => [%s_%d] ", std::string(400, 'p').c_str(), "Idle", 0);
  live2d::frameworkLog("[CSM][I]CubismFramework::Initialize() is complete.\n");
  ASSERT_EQ(written().size(), 3u);
  EXPECT_EQ(written()[0], "[APP]create buffer: a/b \n");
  EXPECT_EQ(written()[1].size(), 256u);
  EXPECT_EQ(written()[1].substr(0, 20), "[APP]load motion: pp");
  EXPECT_EQ(written()[2], "[CSM][I]CubismFramework::Initialize() is complete.\n");
}

}  // namespace
