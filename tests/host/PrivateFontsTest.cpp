#include "host/PrivateFonts.h"

#include <fontconfig/fontconfig.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "TempFolder.h"

namespace host {
namespace {

constexpr const char* kSampleFont = "/usr/share/fonts/truetype/liberation2/LiberationSans-Regular.ttf";

int applicationFontCount() {
  FcFontSet* set = FcConfigGetFonts(FcConfigGetCurrent(), FcSetApplication);
  return set != nullptr ? set->nfont : 0;
}

class PrivateFontsTest : public ::testing::Test {
 protected:
  // Fontconfig keeps its configuration until told to let go; leak checks would report it otherwise.
  static void TearDownTestSuite() { FcFini(); }
};

TEST_F(PrivateFontsTest, AddsFilesSkipsFoldersAndRemovesThemAgain) {
  if (!std::filesystem::exists(kSampleFont)) {
    GTEST_SKIP() << "sample font " << kSampleFont << " is not installed";
  }
  TempFolder game;
  std::filesystem::create_directories(game.path() / "fonts" / "nested");
  std::filesystem::copy_file(kSampleFont, game.path() / "fonts" / "Sample.ttf");
  std::filesystem::copy_file(kSampleFont, game.path() / "fonts" / "nested" / "Hidden.ttf");
  game.write("fonts/readme.txt", "not a font");

  PrivateFonts fonts;
  // Asked for as "Fonts": the folder's letter case differs, as in games made on Windows.
  EXPECT_EQ(fonts.addFolder((game.path() / "Fonts").string()), 1);
  ASSERT_EQ(fonts.added().size(), 1u);
  EXPECT_EQ(std::filesystem::path(fonts.added()[0]).filename(), "Sample.ttf");
  EXPECT_EQ(applicationFontCount(), 1);

  fonts.removeAll();
  EXPECT_EQ(applicationFontCount(), 0);
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
