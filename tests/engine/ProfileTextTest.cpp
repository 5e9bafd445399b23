#include "engine/private/ProfileText.h"

#include <gtest/gtest.h>

namespace engine {
namespace {

const std::string kFile =
    "\xEF\xBB\xBF; settings\r\n[Game]\r\n  Title = Old  "
    "\r\nLibrary=System\\RGSS301.dll\r\n\r\n[Audio]\r\nVolume=80\r\n";

struct WriteCase {
  const char* name;
  std::string text;
  std::string section;
  std::optional<std::string> key;
  std::optional<std::string> value;
  std::string expected;
};

class ProfileWriteTest : public ::testing::TestWithParam<WriteCase> {};

TEST_P(ProfileWriteTest, ChangesOnlyTheLinesItMust) {
  const WriteCase& c = GetParam();
  EXPECT_EQ(profileWrite(c.text, c.section, c.key, c.value), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Edits, ProfileWriteTest,
    ::testing::Values(
        WriteCase{"ReplacesValueKeepingKeySpelling", kFile, "game", "TITLE", "New",
                  "\xEF\xBB\xBF; settings\r\n[Game]\r\n  Title=New\r\nLibrary=System\\RGSS301.dll\r\n\r\n[Audio]\r\n"
                  "Volume=80\r\n"},
        WriteCase{
            "AddsKeyAfterTheSectionsLastKey", kFile, "Game", "Scale", "2",
            "\xEF\xBB\xBF; settings\r\n[Game]\r\n  Title = Old  \r\nLibrary=System\\RGSS301.dll\r\nScale=2\r\n\r\n"
            "[Audio]\r\nVolume=80\r\n"},
        WriteCase{"AddsSectionAtTheEnd", "[A]\nx=1", "B", "y", "2", "[A]\nx=1\n[B]\ny=2\n"},
        WriteCase{"AddsKeyToLastLineWithoutTerminator", "[A]\nx=1", "A", "y", "2", "[A]\nx=1\ny=2"},
        WriteCase{"CreatesFileText", "", "Game", "Title", "T", "[Game]\r\nTitle=T\r\n"},
        WriteCase{"NoValueDeletesKey", kFile, "Audio", "volume", std::nullopt,
                  "\xEF\xBB\xBF; settings\r\n[Game]\r\n  Title = Old  \r\nLibrary=System\\RGSS301.dll\r\n\r\n"
                  "[Audio]\r\n"},
        WriteCase{"NoKeyDeletesSection", kFile, "Game", std::nullopt, std::nullopt,
                  "\xEF\xBB\xBF; settings\r\n[Audio]\r\nVolume=80\r\n"},
        WriteCase{"DeletingWhatIsMissingChangesNothing", kFile, "Nope", "x", std::nullopt, kFile},
        WriteCase{"CommentedKeyIsNotTheKey", "[A]\n;x=1\n", "A", "x", "2", "[A]\n;x=1\nx=2\n"}),
    [](const ::testing::TestParamInfo<WriteCase>& info) { return info.param.name; });

TEST(ProfileText, ListsSectionsAndKeysOfTheFirstMatchingSection) {
  EXPECT_EQ(profileSectionNames(kFile), (std::vector<std::string>{"Game", "Audio"}));
  EXPECT_EQ(profileKeyNames(kFile, "GAME"), (std::vector<std::string>{"Title", "Library"}));
  EXPECT_TRUE(profileKeyNames(kFile, "Missing").empty());
}

}  // namespace
}  // namespace engine
