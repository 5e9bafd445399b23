#include "engine/UserFolders.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

namespace engine {
namespace {

TEST(UserFoldersTest, TitlesBecomeFileNames) {
  const std::pair<std::string, std::string> cases[] = {
      {"Quest", "Quest"},
      {"Read/Only: A\\B?*<>|\"", "Read_Only_ A_B______"},
      {"  .hidden. ", "hidden"},
      {"..", "Untitled"},
      {"", "Untitled"},
      {"line\nbreak", "line_break"},
      {"勇者の冒険", "勇者の冒険"},
      {std::string(70, 'a'), std::string(64, 'a')},
      {std::string(63, 'a') + "の", std::string(63, 'a')},  // never half a character
  };
  for (const auto& [title, name] : cases) {
    EXPECT_EQ(fileSafeName(title), name) << title;
  }
}

TEST(UserFoldersTest, GameIdsTellFoldersApartAndStayTheSame) {
  EXPECT_EQ(gameId("Quest", "/games/quest"), gameId("Quest", "/games/quest"));
  EXPECT_NE(gameId("Quest", "/games/quest"), gameId("Quest", "/games/quest2"));
  EXPECT_EQ(gameId("Quest", "/games/quest"), "Quest-75fa92d8");
}

class XdgTest : public testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = testing::TempDir() + "quillon-xdg-XXXXXX";
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    m_home = pattern;
    for (const char* name : {"HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME"}) {
      const char* value = std::getenv(name);
      m_saved.emplace_back(name, value != nullptr ? std::optional<std::string>(value) : std::nullopt);
    }
    setenv("HOME", m_home.c_str(), 1);
    unsetenv("XDG_DATA_HOME");
    unsetenv("XDG_CONFIG_HOME");
  }
  void TearDown() override {
    for (const auto& [name, value] : m_saved) {
      value ? setenv(name, value->c_str(), 1) : unsetenv(name);
    }
    std::filesystem::remove_all(m_home);
  }
  std::string m_home;
  std::vector<std::pair<const char*, std::optional<std::string>>> m_saved;
};

TEST_F(XdgTest, FoldersFollowTheVariablesAndFallBackUnderHome) {
  EXPECT_EQ(dataHome(), m_home + "/.local/share");
  EXPECT_EQ(gameDataFolder("Quest", "/games/quest"), m_home + "/.local/share/quillon/games/Quest-75fa92d8");
  EXPECT_EQ(installedRuntimeFolder("BasePack"), m_home + "/.local/share/quillon/rtp/BasePack");
  EXPECT_EQ(picturesFolder(), m_home + "/Pictures");
  setenv("XDG_DATA_HOME", "relative/data", 1);  // only absolute values count
  EXPECT_EQ(dataHome(), m_home + "/.local/share");
  setenv("XDG_DATA_HOME", "/srv/data", 1);
  EXPECT_EQ(dataHome(), "/srv/data");
}

TEST_F(XdgTest, PicturesFolderComesFromUserDirs) {
  std::filesystem::create_directories(m_home + "/conf");
  setenv("XDG_CONFIG_HOME", (m_home + "/conf").c_str(), 1);
  const std::pair<std::string, std::string> cases[] = {
      {"XDG_PICTURES_DIR=\"$HOME/Bilder\"\n", m_home + "/Bilder"},
      {"# comment\nXDG_MUSIC_DIR=\"$HOME/Music\"\nXDG_PICTURES_DIR=\"/media/photos\"\n", "/media/photos"},
      {"XDG_PICTURES_DIR=\"$HOME/\"\n", m_home + "/Pictures"},
      {"XDG_PICTURES_DIR=relative\n", m_home + "/Pictures"},
  };
  for (const auto& [file, folder] : cases) {
    std::ofstream(m_home + "/conf/user-dirs.dirs") << file;
    EXPECT_EQ(picturesFolder(), folder) << file;
  }
}

}  // namespace
}  // namespace engine
