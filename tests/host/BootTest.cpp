// The boot as a whole: the real player started on small game folders, headless, its standard error and
// exit status checked. Start-up error boxes print "caption: text" there, the Chinese line first and the
// English one under it; every start-up failure ends with status 1.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <regex>
#include <string>

#include "PlayerRun.h"
#include "TempFolder.h"
#include "tests/platform/text/RenamedFont.h"

namespace {

PlayerRun runPlayer(const TempFolder& game, const std::string& words = "", const std::string& videoDriver = "offscreen") {
  return runQuillon("--game '" + game.path().string() + "' " + words + " 2>&1", "SDL_VIDEODRIVER=" + videoDriver);
}

std::string stub(const char* variant) {
  return std::string(QUILLON_STUB_DIR) + "/engine_" + variant + ".so";
}

TEST(BootTest, NoVideoShowsTheClassRegistrationError) {
  TempFolder game;
  game.write("Game.ini", "[Game]\nTitle=Boot Test\n");
  PlayerRun run = runPlayer(game, "", "no-such-driver");
  EXPECT_NE(run.output.find("Boot Test: 注册窗口类失败 RGSS Player。\nCannot start the display: "), std::string::npos)
      << run.output;
  EXPECT_EQ(run.status, 1);
}

TEST(BootTest, LibraryThatCannotBeLoadedShowsItsPath) {
  TempFolder game;
  // An ELF shared-object header with nothing behind it.
  std::string header("\x7f" "ELF\x02\x01\x01", 7);
  header.resize(16, '\0');
  header += std::string("\x03\x00", 2);
  header.resize(64, '\0');
  game.write("broken.so", header);
  game.write("Game.ini", "[Game]\nLibrary=broken.so\n");
  PlayerRun run = runPlayer(game);
  EXPECT_NE(run.output.find("Untitled: 加载RGSS核心库失败 broken.so。\nCannot load the engine library " +
                            game.file("broken.so") + ": "),
            std::string::npos)
      << run.output;
  EXPECT_EQ(run.status, 1);
}

TEST(BootTest, LibraryWithAnotherEngineAbiIsRefused) {
  TempFolder game;
  game.write("Game.ini", "[Game]\nLibrary=" + stub("wrong_abi") + "\n");
  PlayerRun run = runPlayer(game);
  EXPECT_NE(run.output.find("Untitled: 错误的DLL文件。\n" + stub("wrong_abi") + " is not an engine library"),
            std::string::npos)
      << run.output;
  EXPECT_EQ(run.output.find("stub:"), std::string::npos) << "an entry point of a refused library ran";
  EXPECT_EQ(run.status, 1);
}

TEST(BootTest, MissingExportIsNamed) {
  TempFolder game;
  game.write("Game.ini", "[Game]\nLibrary=" + stub("missing_export") + "\n");
  PlayerRun run = runPlayer(game);
  EXPECT_NE(run.output.find("Untitled: 获取RGSS核心库导出函数失败 RGSSEval。\nThe engine library " +
                            stub("missing_export") + " lacks the function RGSSEval."),
            std::string::npos)
      << run.output;
  EXPECT_EQ(run.output.find("stub:"), std::string::npos) << run.output;
  EXPECT_EQ(run.status, 1);
}

TEST(BootTest, FailedExtensionInitialisationStopsBeforeTheFonts) {
  TempFolder game;
  game.write("Game.ini", "[Game]\nLibrary=" + stub("exinit_fails") + "\n");
  PlayerRun run = runPlayer(game);
  EXPECT_NE(run.output.find("stub: setup rtp\nstub: initialize\nstub: ex initialize with window\n"
                            "Untitled: RGSS扩展库初始化失败 RGSSExInitialize。\nThe engine library "),
            std::string::npos)
      << run.output;
  EXPECT_EQ(run.output.find("stub: setup fonts"), std::string::npos) << run.output;
  EXPECT_EQ(run.status, 1);
}

TEST(BootTest, ReplacementLibraryIsCalledInTheBootOrder) {
  TempFolder game;
  game.write("Game.ini", "[Game]\nLibrary=" + stub("working") + "\nScripts=Data\\Game.rvdata2\n");
  game.write("Game.rgss3a", "RGSSAD");
  PlayerRun run = runPlayer(game, "btest");
  EXPECT_NE(run.output.find("stub: setup rtp\nstub: initialize\nstub: ex initialize with window\n"
                            "stub: setup fonts\nstub: eval $TEST = true\nstub: eval $BTEST = true\n"
                            "stub: eval $VORN = true\nstub: game main [Data\\Game.rvdata2] []\n"),
            std::string::npos)
      << run.output;
  EXPECT_EQ(run.status, 0);

  run = runPlayer(game);
  EXPECT_NE(run.output.find("stub: eval $TEST = false\nstub: eval $BTEST = false\n"), std::string::npos)
      << run.output;
  EXPECT_NE(run.output.find("stub: game main [Data\\Game.rvdata2] [Game.rgss3a]"), std::string::npos)
      << run.output;
}

TEST(BootTest, WindowsEngineLibraryInTheFolderMeansTheBuiltInEngine) {
  TempFolder game;
  game.write("RGSS301.dll", "MZ\x90");
  game.write("Game.ini", "[Game]\nRTP=QuillonNoSuchRuntime\n");
  PlayerRun run = runPlayer(game);
  // Only the built-in engine knows runtime packages, so reaching this message proves it was chosen.
  EXPECT_NE(run.output.find("Untitled: 没有发现 RGSS-RTP QuillonNoSuchRuntime。"), std::string::npos) << run.output;
  EXPECT_EQ(run.status, 1);
}

TEST(BootTest, MissingGameFolderIsAnError) {
  TempFolder game;
  std::string missing = game.path().string() + "/absent/Game.exe";
  std::string command = "'" QUILLON_PLAYER "' --game '" + missing + "' < /dev/null > /dev/null 2>&1";
  int raw = std::system(command.c_str());
  EXPECT_EQ(WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, 1);
}

TEST(BootTest, RuntimePackageMessageNamesEveryFolderSearchedAndTheFix) {
  TempFolder game;
  game.write("Game.ini", "[Game]\nTitle=Needs RTP\nRTP=NoSuchPack\n");
  // A relative QUILLON_RTP_PATH entry means the folder the player started in, not the game folder.
  PlayerRun run = runQuillon("--game '" + game.path().string() + "' 2>&1",
                             "QUILLON_RTP_PATH=relative/packs XDG_DATA_HOME=" + game.file("data"));
  EXPECT_EQ(run.status, 1);
  for (const std::string& line :
       {std::string("Needs RTP: 没有发现 RGSS-RTP NoSuchPack。\nThe runtime package \"NoSuchPack\""),
        "\n  " + (std::filesystem::current_path() / "relative/packs/NoSuchPack").string() + "\n",
        "\n  " + game.file("data") + "/quillon/rtp/NoSuchPack\n",
        std::string("\n  /usr/share/quillon/rtp/NoSuchPack\n"), std::string("quillon --install-rtp SOURCE NoSuchPack"),
        std::string("QUILLON_RTP_PATH")}) {
    EXPECT_NE(run.output.find(line), std::string::npos) << line << " in\n" << run.output;
  }
}

TEST(BootTest, HelpAndVersionGoToStandardOutput) {
  for (const char* option : {"--help", "-h"}) {
    PlayerRun run = runQuillon(option, "");
    EXPECT_EQ(run.status, 0) << option;
    EXPECT_EQ(run.output.rfind("Usage: quillon [--game PATH] [WORDS...]\n", 0), 0u) << run.output;
    EXPECT_NE(run.output.find("--install-rtp SOURCE [NAME]"), std::string::npos) << run.output;
  }
  for (const char* option : {"--version", "-V"}) {
    PlayerRun run = runQuillon(option);
    EXPECT_EQ(run.status, 0) << option;
    EXPECT_TRUE(std::regex_match(run.output, std::regex("quillon [0-9]+\\.[0-9]+\\.[0-9]+\n"))) << run.output;
  }
}

TEST(BootTest, CommandLinesItDoesNotUnderstandGetTheUsageOnStandardError) {
  const std::pair<const char*, const char*> cases[] = {
      {"--frobnicate", "quillon: unknown option '--frobnicate'\n"},
      {"--game", "quillon: --game needs a game folder\n"},
      {"--install-rtp", "quillon: --install-rtp takes SOURCE and an optional NAME\n"},
      {"--install-rtp a b c", "quillon: --install-rtp takes SOURCE and an optional NAME\n"},
  };
  for (const auto& [arguments, message] : cases) {
    PlayerRun run = runQuillon(std::string(arguments) + " 2>&1 >/dev/null");
    EXPECT_EQ(run.status, 2) << arguments;
    EXPECT_EQ(run.output.rfind(message, 0), 0u) << run.output;
    EXPECT_NE(run.output.find("Usage: quillon"), std::string::npos) << run.output;
    EXPECT_EQ(runQuillon(std::string(arguments) + " 2>/dev/null").output, "") << arguments;
  }
}

TEST(BootTest, GameFoldersThatCannotStartNameWhatWasMissingByItsRealPath) {
  TempFolder parent;
  parent.write("empty/readme.txt", "");
  parent.write("noscripts/Game.ini", "[Game]\nTitle=No Scripts\nScripts=Data\\Scripts.rvdata2\n");
  const std::string root = parent.path().string();
  // Relative paths, given from the parent folder, come back absolute.
  const std::pair<const char*, std::string> cases[] = {
      {"absent", "Quillon: There is no game at " + root + "/absent."},
      {"empty", "Quillon: No game in " + root + "/empty: " + root + "/empty/Game.ini does not exist."},
      {"noscripts",
       "No Scripts: Failed to load the scripts file " + root + "/noscripts/Data/Scripts.rvdata2: file not found."},
  };
  for (const auto& [folder, message] : cases) {
    PlayerRun run = runQuillon(std::string("--game ") + folder + " 2>&1", "", root);
    EXPECT_EQ(run.status, 1) << folder;
    EXPECT_NE(run.output.find(message), std::string::npos) << message << " in\n" << run.output;
  }
}

// A font the game ships is known to Font.exist? by its family (not its file name) and draws text, with the
// folder's name in another letter case than "Fonts".
TEST(BootTest, FontsFolderFamiliesExistAndDraw) {
  if (!std::filesystem::exists(test::kLiberationSans)) GTEST_SKIP() << "fonts-liberation2 is not installed";
  TempFolder game;
  game.write("Game.ini", "[Game]\nTitle=Fonts\n");
  std::filesystem::create_directories(game.path() / "fonts");
  test::writeRenamedFont(game.file("fonts/Shipped.ttf"), "Quillon Shipped");
  game.write("main.rb",
             "b = Bitmap.new(200, 40)\n"
             "widths = ['Quillon Shipped', 'Liberation Sans'].map { |n| b.font.name = n; b.text_size('Hello').width }\n"
             "p [Font.exist?('Quillon Shipped'), Font.exist?('Shipped'), widths]\n");
  const std::string pack = QUILLON_SOURCE_DIR "/tools/pack-scripts -o '" + game.file("Data/Scripts.rvdata2") + "' '" +
                           game.file("main.rb") + "'";
  ASSERT_EQ(std::system(pack.c_str()), 0);
  PlayerRun run = runPlayer(game);
  EXPECT_EQ(run.status, 0) << run.output;
  const std::regex expected(R"(\[true, false, \[(\d+), \1\]\])");
  EXPECT_TRUE(std::regex_search(run.output, expected)) << run.output;
}

}  // namespace
