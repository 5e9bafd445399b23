#include "host/PrivateFonts.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "TempFolder.h"
#include "platform/text/FontSystem.h"
#include "tests/platform/text/RenamedFont.h"

namespace host {
namespace {

constexpr const char* kRenamedFamily = "Quillon Private";

class PrivateFontsTest : public ::testing::Test {
 protected:
  // Leak checks would report fontconfig's and FreeType's state otherwise.
  static void TearDownTestSuite() { text::shutdownFontSystem(); }
};

TEST_F(PrivateFontsTest, AddsFilesSkipsFoldersAndRemovesThemAgain) {
  if (!std::filesystem::exists(test::kLiberationSans)) {
    GTEST_SKIP() << "sample font " << test::kLiberationSans << " is not installed";
  }
  TempFolder game;
  std::filesystem::create_directories(game.path() / "fonts" / "nested");
  test::writeRenamedFont(game.file("fonts/Sample.ttf"), kRenamedFamily);
  std::filesystem::copy_file(test::kLiberationSans, game.path() / "fonts" / "nested" / "Hidden.ttf");
  game.write("fonts/readme.txt", "not a font");

  PrivateFonts fonts;
  // Asked for as "Fonts": the folder's letter case differs, as in games made on Windows.
  EXPECT_EQ(fonts.addFolder((game.path() / "Fonts").string()), 1);
  ASSERT_EQ(fonts.added().size(), 1u);
  EXPECT_EQ(std::filesystem::path(fonts.added()[0]).filename(), "Sample.ttf");
  // Known to the lookup that Font and text drawing use, not only to some other font configuration.
  EXPECT_TRUE(text::fontExists(kRenamedFamily));

  fonts.removeAll();
  EXPECT_FALSE(text::fontExists(kRenamedFamily));
  EXPECT_TRUE(fonts.added().empty());
}

TEST_F(PrivateFontsTest, MissingFolderAddsNothing) {
  TempFolder game;
  PrivateFonts fonts;
  EXPECT_EQ(fonts.addFolder((game.path() / "Fonts").string()), 0);
  fonts.removeAll();
}

}  // namespace
}  // namespace host
