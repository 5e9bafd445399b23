#include "host/Screenshot.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

namespace host {
namespace {

TEST(ScreenshotTest, NamedAfterTheTitleAndTheLocalTime) {
  const char* zone = std::getenv("TZ");
  const std::optional<std::string> saved = zone != nullptr ? std::optional<std::string>(zone) : std::nullopt;
  ::setenv("TZ", "UTC", 1);
  ::tzset();
  EXPECT_EQ(screenshotName("Shot: Test", 1700000000), "Shot_ Test 2023-11-14 22-13-20.png");
  EXPECT_EQ(screenshotName("Shot: Test", 1700000000, 2), "Shot_ Test 2023-11-14 22-13-20 (2).png");
  saved ? ::setenv("TZ", saved->c_str(), 1) : ::unsetenv("TZ");
  ::tzset();
}

}  // namespace
}  // namespace host
