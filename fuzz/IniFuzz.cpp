// Game.ini and any other profile file a game reads.
#include "engine/IniFile.h"
#include "fuzz/FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const engine::IniFile ini = engine::IniFile::parse(fuzz::text(data, size));
  for (const char* key : {"Library", "Title", "Scripts", "Rgssad", "ScreenWidth", "ScreenHeight", "ShowConsole"}) {
    (void)ini.value("Game", key);
    (void)ini.intValue("Game", key, 0);
  }
  return 0;
}
