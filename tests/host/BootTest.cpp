// The boot as a whole: the real player started on small game folders, headless, its standard error and
// exit status checked. Start-up error boxes print "caption: text" there.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "TempFolder.h"

namespace {

struct PlayerRun {
  std::string output;
  int status = -1;
};

PlayerRun runPlayer(const TempFolder& game, const std::string& words = "", const std::string& videoDriver = "offscreen") {
  std::string command = "SDL_VIDEODRIVER=" + videoDriver + " SDL_AUDIODRIVER=dummy '" QUILLON_PLAYER "' --game '" +
                        game.path().string() + "' " + words + " < /dev/null 2>&1";
  PlayerRun run;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) {
    return run;
  }
  char chunk[4096];
  size_t count = 0;
  while ((count = std::fread(chunk, 1, sizeof(chunk), pipe)) > 0) {
    run.output.append(chunk, count);
  }
  int raw = ::pclose(pipe);
  run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  return run;
}

std::string stub(const char* variant) {
  return std::string(QUILLON_STUB_DIR) + "/engine_" + variant + ".so";
}

TEST(BootTest, NoVideoShowsTheClassRegistrationError) {
  TempFolder game;
  game.write("Game.ini", "[Game]\nTitle=Boot Test\n");
  PlayerRun run = runPlayer(game, "", "no-such-driver");
  EXPECT_NE(run.output.find("Boot Test: 注册窗口类失败 RGSS Player。"), std::string::npos) << run.output;
  EXPECT_EQ(run.status, 0);
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
  EXPECT_NE(run.output.find("Untitled: 加载RGSS核心库失败 broken.so。"), std::string::npos) << run.output;
  EXPECT_EQ(run.status, 0);
}

TEST(BootTest, LibraryWithAnotherEngineAbiIsRefused) {
  TempFolder game;
  game.write("Game.ini", "[Game]\nLibrary=" + stub("wrong_abi") + "\n");
  PlayerRun run = runPlayer(game);
  EXPECT_NE(run.output.find("Untitled: 错误的DLL文件。"), std::string::npos) << run.output;
  EXPECT_EQ(run.output.find("stub:"), std::string::npos) << "an entry point of a refused library ran";
  EXPECT_EQ(run.status, 0);
}

TEST(BootTest, MissingExportIsNamed) {
  TempFolder game;
  game.write("Game.ini", "[Game]\nLibrary=" + stub("missing_export") + "\n");
  PlayerRun run = runPlayer(game);
  EXPECT_NE(run.output.find("Untitled: 获取RGSS核心库导出函数失败 RGSSEval。"), std::string::npos) << run.output;
  EXPECT_EQ(run.output.find("stub:"), std::string::npos) << run.output;
  EXPECT_EQ(run.status, 0);
}

TEST(BootTest, FailedExtensionInitialisationStopsBeforeTheFonts) {
  TempFolder game;
  game.write("Game.ini", "[Game]\nLibrary=" + stub("exinit_fails") + "\n");
  PlayerRun run = runPlayer(game);
  EXPECT_NE(run.output.find("stub: setup rtp\nstub: initialize\nstub: ex initialize with window\n"
                            "Untitled: RGSS扩展库初始化失败 RGSSExInitialize。"),
            std::string::npos)
      << run.output;
  EXPECT_EQ(run.output.find("stub: setup fonts"), std::string::npos) << run.output;
  EXPECT_EQ(run.status, 0);
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
  EXPECT_EQ(run.status, 0);
}

TEST(BootTest, MissingGameFolderIsAnError) {
  TempFolder game;
  std::string missing = game.path().string() + "/absent/Game.exe";
  std::string command = "'" QUILLON_PLAYER "' --game '" + missing + "' < /dev/null > /dev/null 2>&1";
  int raw = std::system(command.c_str());
  EXPECT_EQ(WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, 1);
}

}  // namespace
