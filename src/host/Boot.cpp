#include "host/Boot.h"

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "engine/Engine.h"
#include "engine/IniFile.h"

namespace host {

int runPlayer(int argc, char** argv) {
  std::string gamePath = ".";
  std::string words;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--game" && i + 1 < argc) {
      gamePath = argv[++i];
    } else {
      words += (words.empty() ? "" : " ") + arg;
    }
  }
  std::error_code error;
  std::filesystem::path game = std::filesystem::absolute(gamePath, error);
  std::filesystem::path executable = std::filesystem::is_directory(game, error) ? game / "Game.exe" : game;
  if (chdir(executable.parent_path().c_str()) != 0) {
    std::perror(executable.parent_path().c_str());
    return 1;
  }
  std::string exe = executable.string();
  std::string ini = exe.substr(0, exe.size() - 3) + "ini";
  engine::IniFile config = engine::IniFile::load(ini);

  char rtp[1024] = {};
  if (RGSSSetupRTP(ini.c_str(), rtp, sizeof(rtp)) == 0) {
    std::fprintf(stderr, "RTP %s not found\n", rtp);
    return 0;
  }
  RGSSInitialize3(nullptr);
  RGSSSetupFonts();
  bool battleTest = words.find("btest") != std::string::npos;
  bool test = battleTest || words.find("test") != std::string::npos;
  RGSSEval(test ? "$TEST = true" : "$TEST = false");
  RGSSEval(battleTest ? "$BTEST = true" : "$BTEST = false");
  RGSSEval("$VORN = true");
  std::string archive = config.value("Game", "Rgssad", "Game.rgss3a");
  if (test || !std::filesystem::exists(archive, error)) {
    archive.clear();
  }
  std::string scripts = config.value("Game", "Scripts", "Data\\Scripts.rvdata2");
  RGSSGameMain(nullptr, scripts.c_str(), archive.c_str());
  return engine::exitStatus();
}

}  // namespace host
