#include "engine/private/WindowsEnvironment.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <string>

namespace engine {
namespace {

std::map<std::string, std::string> made(const std::map<std::string, std::string>& variables) {
  HostFacts facts{"ada", "/home/ada", "Engine-7", [&](const char* name) -> std::optional<std::string> {
                    auto found = variables.find(name);
                    return found != variables.end() ? std::optional<std::string>(found->second) : std::nullopt;
                  }};
  std::map<std::string, std::string> result;
  for (const auto& [name, value] : windowsEnvironment(facts)) result[name] = value;
  return result;
}

TEST(WindowsEnvironmentTest, MadeFromTheUserHomeAndHost) {
  const std::map<std::string, std::string> expected = {{"USERNAME", "ada"},
                                                       {"USERPROFILE", "/home/ada"},
                                                       {"APPDATA", "/home/ada/.config"},
                                                       {"LOCALAPPDATA", "/home/ada/.local/share"},
                                                       {"TEMP", "/tmp"},
                                                       {"TMP", "/tmp"},
                                                       {"COMPUTERNAME", "ENGINE-7"},
                                                       {"HOMEDRIVE", ""},
                                                       {"HOMEPATH", "/home/ada"},
                                                       {"OS", "Windows_NT"}};
  EXPECT_EQ(made({}), expected);
}

TEST(WindowsEnvironmentTest, FoldersFollowAbsoluteXdgValuesAndTmpdir) {
  auto result = made({{"XDG_CONFIG_HOME", "/cfg"}, {"XDG_DATA_HOME", "relative/data"}, {"TMPDIR", "/var/tmp"}});
  EXPECT_EQ(result["APPDATA"], "/cfg");
  EXPECT_EQ(result["LOCALAPPDATA"], "/home/ada/.local/share") << "a relative XDG folder does not count";
  EXPECT_EQ(result["TEMP"], "/var/tmp");
  EXPECT_EQ(result["TMP"], "/var/tmp");
}

TEST(WindowsEnvironmentTest, FillingNeverOverridesWhatTheUserSet) {
  setenv("USERNAME", "chosen", 1);
  setenv("HOMEDRIVE", "", 1);
  unsetenv("OS");
  fillWindowsEnvironment();
  EXPECT_STREQ(std::getenv("USERNAME"), "chosen");
  EXPECT_STREQ(std::getenv("HOMEDRIVE"), "");
  EXPECT_STREQ(std::getenv("OS"), "Windows_NT");
}

}  // namespace
}  // namespace engine
