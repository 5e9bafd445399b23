#include "platform/text/FontSystem.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/platform/text/RenamedFont.h"

namespace {

using test::kLiberationSans;

struct ExistsCase {
  const char* name;
  bool exists;
};

class FontExistsTest : public testing::TestWithParam<ExistsCase> {};

TEST_P(FontExistsTest, MatchesInstalledFamiliesAndAliases) {
  EXPECT_EQ(text::fontExists(GetParam().name), GetParam().exists) << GetParam().name;
}

INSTANTIATE_TEST_SUITE_P(
    Names, FontExistsTest,
    testing::Values(
        // Installed families, by any of their names and in any case.
        ExistsCase{"WenQuanYi Zen Hei", true}, ExistsCase{"文泉驿正黑", true}, ExistsCase{"文泉驛正黑", true},
        ExistsCase{"liberation sans", true}, ExistsCase{"AR PL UMing CN", true},
        // The Windows default names, through the alias table.
        ExistsCase{"黑体", true}, ExistsCase{"SimHei", true}, ExistsCase{"宋体", true}, ExistsCase{"SimSun", true},
        ExistsCase{"Arial", true},
        // A match that fontconfig would substitute proves nothing: these do not exist.
        ExistsCase{"No Such Family Anywhere", false}, ExistsCase{"Liberation", false}, ExistsCase{"", false},
        ExistsCase{"LiberationSans", false}, ExistsCase{"Liberation Sans ", false},
        ExistsCase{"黑", false}));

TEST(ResolveFamily, TakesTheFirstExistingNameElseTheFallback) {
  using Names = std::vector<std::string>;
  EXPECT_EQ(text::resolveFamily(Names{"", "No Such Family Anywhere", "宋体", "Arial"}, "黑体"), "宋体");
  EXPECT_EQ(text::resolveFamily(Names{"No Such Family Anywhere"}, "黑体"), "黑体");
  EXPECT_EQ(text::resolveFamily(Names{}, "Arial"), "Arial");
}

TEST(PrivateFonts, AddedFileIsFoundUntilRemoved) {
  if (!std::filesystem::exists(kLiberationSans)) GTEST_SKIP() << "fonts-liberation2 is not installed";
  const auto folder = std::filesystem::temp_directory_path() / "quillon-text-test";
  std::filesystem::create_directories(folder);
  const std::string path = (folder / "QuillonTesting.ttf").string();
  test::writeRenamedFont(path, "Quillon Testing");

  EXPECT_FALSE(text::fontExists("Quillon Testing"));
  EXPECT_EQ(text::fontFileFamilies(path), std::vector<std::string>{"Quillon Testing"}) << "read without adding";
  EXPECT_FALSE(text::fontExists("Quillon Testing"));
  ASSERT_TRUE(text::addPrivateFontFile(path));
  EXPECT_TRUE(text::fontExists("Quillon Testing"));
  text::removePrivateFontFiles();
  EXPECT_FALSE(text::fontExists("Quillon Testing"));
  EXPECT_TRUE(text::fontExists("Arial")) << "system fonts stay after the private ones go";
  std::filesystem::remove_all(folder);
}

TEST(PrivateFonts, FilesThatAreNotFontsAreRefused) {
  const auto folder = std::filesystem::temp_directory_path() / "quillon-text-garbage";
  std::filesystem::create_directories(folder);
  const std::string garbage = (folder / "Broken.ttf").string();
  std::ofstream(garbage, std::ios::binary) << "this is not a font file at all";
  EXPECT_FALSE(text::addPrivateFontFile(garbage));
  EXPECT_TRUE(text::fontFileFamilies(garbage).empty());
  EXPECT_FALSE(text::addPrivateFontFile((folder / "Missing.ttf").string()));
  std::filesystem::remove_all(folder);
}

TEST(FontSystem, StartsAgainAfterShutdown) {
  ASSERT_TRUE(text::fontExists("Arial"));
  text::shutdownFontSystem();
  EXPECT_TRUE(text::fontExists("Arial"));
  EXPECT_FALSE(text::fontExists("No Such Family Anywhere"));
}

}  // namespace
