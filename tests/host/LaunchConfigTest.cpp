#include "host/LaunchConfig.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TempFolder.h"
#include "engine/Utf.h"

namespace host {
namespace {

class LaunchConfigTest : public ::testing::Test {
 protected:
  std::string executable() const { return game.file("Game.exe"); }
  void writeIni(std::string_view lines) const { game.write("Game.ini", std::string("[Game]\n").append(lines)); }

  TempFolder game;
};

TEST_F(LaunchConfigTest, NoFileGivesEveryDefault) {
  LaunchConfig config(executable(), "");
  EXPECT_EQ(config.libraryValue, "RGSS301.dll");
  EXPECT_EQ(config.titleValue, "Untitled");
  EXPECT_EQ(config.scriptsValue, "Data\\Scripts.rvdata2");
  EXPECT_EQ(config.archiveValue, "Game.rgss3a");
  EXPECT_EQ(config.consoleValue, "0");
  EXPECT_EQ(config.screenWidth, 544);
  EXPECT_EQ(config.screenHeight, 416);
  EXPECT_FALSE(config.archivePath.has_value());
  EXPECT_FALSE(config.showConsole);
  EXPECT_FALSE(config.consoleRequested());
  EXPECT_EQ(config.windowClassName, "RGSS Player");
  EXPECT_EQ(config.executableFolder, game.path().string());
  EXPECT_EQ(config.configPath, game.file("Game.ini"));
}

TEST_F(LaunchConfigTest, ReadsKeysCaseInsensitivelyAndIntegersLikeTheProfileFunctions) {
  game.write("Game.ini",
             "[game]\nlibrary = Engine.so \nTITLE=My Game\nscripts=Data\\Other.rvdata2\nRgssad=Pack.rgss3a\n"
             "screenwidth=640px\nScreenHeight= +480\n");
  LaunchConfig config(executable(), "");
  EXPECT_EQ(config.libraryValue, "Engine.so");
  EXPECT_EQ(config.titleValue, "My Game");
  EXPECT_EQ(config.scriptsValue, "Data\\Other.rvdata2");
  EXPECT_EQ(config.archiveValue, "Pack.rgss3a");
  EXPECT_EQ(config.screenWidth, 640);
  EXPECT_EQ(config.screenHeight, 480);
}

TEST_F(LaunchConfigTest, FindsTheIniFileInAnyLetterCase) {
  game.write("game.INI", "[Game]\nTitle=Lower\n");
  LaunchConfig config(executable(), "");
  EXPECT_EQ(config.titleValue, "Lower");
  EXPECT_EQ(config.configPath, game.file("game.INI"));
}

TEST_F(LaunchConfigTest, TitlesWrittenInALegacyCodePageArriveAsUtf8) {
  // "仙剑奇侠传" in GBK and "勇者の伝説" in Shift-JIS, as Chinese and Japanese systems write Game.ini.
  writeIni("Title=\xCF\xC9\xBD\xA3\xC6\xE6\xCF\xC0\xB4\xAB\n");
  EXPECT_EQ(LaunchConfig(executable(), "").titleValue, "仙剑奇侠传");
  writeIni("Title=\x97\x45\x8E\xD2\x82\xCC\x93\x60\x90\xE0\n");
  EXPECT_EQ(LaunchConfig(executable(), "").titleValue, "勇者の伝説");
}

TEST_F(LaunchConfigTest, OnlyTheFirstCharacterOfShowConsoleCounts) {
  writeIni("ShowConsole=10\n");
  EXPECT_TRUE(LaunchConfig(executable(), "").consoleRequested());
  writeIni("ShowConsole=yes\n");
  EXPECT_FALSE(LaunchConfig(executable(), "").consoleRequested());
  writeIni("ShowConsole=0\n");
  EXPECT_TRUE(LaunchConfig(executable(), "play console").consoleRequested());
}

TEST_F(LaunchConfigTest, TestWordsAreCaseSensitiveSubstringsOfTheCommandLine) {
  struct Case {
    const char* commandLine;
    bool test;
    bool battleTest;
  };
  for (const Case& c :
       {Case{"", false, false}, Case{"btest", true, true}, Case{"test", true, false}, Case{"contest", true, false},
        Case{"Test BTEST", false, false}, Case{"debug btest console", true, true}}) {
    LaunchConfig config(executable(), c.commandLine);
    EXPECT_EQ(config.testMode(), c.test) << c.commandLine;
    EXPECT_EQ(config.battleTest(), c.battleTest) << c.commandLine;
  }
}

TEST_F(LaunchConfigTest, ArchiveIsUsedOnlyWhenItExistsAndNoTestModeIsOn) {
  EXPECT_FALSE(LaunchConfig(executable(), "").archivePath.has_value());
  game.write("Game.rgss3a", "RGSSAD");
  EXPECT_EQ(LaunchConfig(executable(), "").archivePath, "Game.rgss3a");
  EXPECT_FALSE(LaunchConfig(executable(), "btest").archivePath.has_value());
  EXPECT_FALSE(LaunchConfig(executable(), "test").archivePath.has_value());
  std::filesystem::remove(game.path() / "Game.rgss3a");
  game.write("GAME.RGSS3A", "RGSSAD");
  EXPECT_EQ(LaunchConfig(executable(), "").archivePath, "GAME.RGSS3A") << "letter case differs on disk";
  writeIni("Rgssad=Data\n");
  std::filesystem::create_directory(game.path() / "Data");
  EXPECT_FALSE(LaunchConfig(executable(), "").archivePath.has_value()) << "a folder is no archive";
}

TEST_F(LaunchConfigTest, AbsurdScreenSizesFallBackToTheDefaults) {
  for (const char* value : {"0", "-640", "100000", "abc"}) {
    writeIni(std::string("ScreenWidth=") + value + "\nScreenHeight=" + value + "\n");
    LaunchConfig config(executable(), "");
    EXPECT_EQ(config.screenWidth, 544) << value;
    EXPECT_EQ(config.screenHeight, 416) << value;
  }
  writeIni("ScreenWidth=16384\nScreenHeight=1\n");
  LaunchConfig config(executable(), "");
  EXPECT_EQ(config.screenWidth, 16384);
  EXPECT_EQ(config.screenHeight, 1);
}

TEST_F(LaunchConfigTest, ValuesAreCutToTheProfileBufferInUtf16Units) {
  writeIni("Title=" + std::string(300, 'x') + "\n");
  EXPECT_EQ(LaunchConfig(executable(), "").titleValue, std::string(259, 'x'));

  std::string chinese;
  for (int i = 0; i < 300; ++i) {
    chinese += "游";
  }
  writeIni("Title=" + chinese + "\n");
  EXPECT_EQ(engine::utf8ToUtf16(LaunchConfig(executable(), "").titleValue).size(), 259u);

  // A character outside the basic plane takes two units; half of it is dropped, not mangled.
  writeIni("Title=" + std::string(258, 'a') + "\xF0\x9F\x98\x80\n");
  EXPECT_EQ(LaunchConfig(executable(), "").titleValue, std::string(258, 'a'));
}

TEST_F(LaunchConfigTest, NonUtf8TitleBecomesValidUtf8) {
  // Bytes no double-byte code page reads are Western European text.
  writeIni("Title=Caf\xE9 \xFF\n");
  EXPECT_EQ(LaunchConfig(executable(), "").titleValue, "Café ÿ");
}

TEST_F(LaunchConfigTest, UnreadableIniReadsAsMissing) {
  std::filesystem::create_directory(game.path() / "Game.ini");
  LaunchConfig config(executable(), "");
  EXPECT_EQ(config.titleValue, "Untitled");
  EXPECT_EQ(config.screenWidth, 544);
}

TEST(ConfigPathTest, ReplacesTheLastThreeUtf16Units) {
  EXPECT_EQ(configPathFor("/games/a/Game.exe"), "/games/a/Game.ini");
  EXPECT_EQ(configPathFor("/games/a/Game"), "/games/a/Gini");
  EXPECT_EQ(configPathFor("/games/a/play.x"), "/games/a/plaini");
  EXPECT_EQ(configPathFor("/games/游戏"), "/gamesini");
  EXPECT_EQ(configPathFor("/games/ab\xF0\x9F\x98\x80"), "/games/aini");
  EXPECT_EQ(configPathFor("/games/ab\xFF"), "/games/ini");
}

TEST(InvocationTest, GamePathIsNeverPartOfTheCommandLine) {
  const char* argv[] = {"quillon", "--game", "/home/me/test-games/one", "btest", "console"};
  Invocation invocation = parseInvocation(5, argv);
  EXPECT_EQ(invocation.gamePath, "/home/me/test-games/one");
  EXPECT_EQ(invocation.commandLine, "btest console");

  const char* bare[] = {"quillon"};
  EXPECT_EQ(parseInvocation(1, bare).gamePath, ".");
  EXPECT_EQ(parseInvocation(1, bare).commandLine, "");
}

TEST(InvocationTest, OptionsComeBeforeTheWords) {
  using Action = Invocation::Action;
  struct Case {
    std::vector<const char*> argv;
    Action action;
    std::string gamePath;
    std::string commandLine;
  };
  const Case cases[] = {
      {{"--game=/g", "test"}, Action::Play, "/g", "test"},
      {{"test", "--game", "/g"}, Action::Play, ".", "test --game /g"},  // after a word, options are words
      {{"--", "--game"}, Action::Play, ".", "--game"},
      {{"--game", "/g", "--version"}, Action::Version, "/g", ""},
      {{"-h", "--frobnicate"}, Action::Help, ".", ""},
      {{"--game="}, Action::UsageError, ".", ""},
      {{"-x"}, Action::UsageError, ".", ""},
  };
  for (const Case& c : cases) {
    std::vector<const char*> argv{"quillon"};
    argv.insert(argv.end(), c.argv.begin(), c.argv.end());
    Invocation invocation = parseInvocation(static_cast<int>(argv.size()), argv.data());
    EXPECT_EQ(invocation.action, c.action) << c.argv.front();
    EXPECT_EQ(invocation.gamePath, c.gamePath) << c.argv.front();
    EXPECT_EQ(invocation.commandLine, c.commandLine) << c.argv.front();
  }
  const char* install[] = {"quillon", "--install-rtp", "/dl/RTP.zip", "BasePack"};
  Invocation invocation = parseInvocation(4, install);
  EXPECT_EQ(invocation.action, Action::InstallRuntime);
  EXPECT_EQ(invocation.runtimeSource, "/dl/RTP.zip");
  EXPECT_EQ(invocation.runtimeName, "BasePack");
}

TEST(InvocationTest, ExecutablePathIsTheGameFileOrGameExeInTheFolder) {
  TempFolder folder;
  folder.write("Quest.exe", "");
  EXPECT_EQ(executablePathFor(folder.path().string()), folder.file("Game.exe"));
  EXPECT_EQ(executablePathFor(folder.file("Quest.exe")), folder.file("Quest.exe"));
}

}  // namespace
}  // namespace host
