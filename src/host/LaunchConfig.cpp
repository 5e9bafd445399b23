#include "host/LaunchConfig.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "engine/IniFile.h"
#include "engine/Utf.h"

namespace host {

LaunchConfig* g_launchConfig = nullptr;

Invocation parseInvocation(int argc, const char* const* argv) {
  Invocation invocation;
  auto fail = [&](std::string error) {
    invocation.action = Invocation::Action::UsageError;
    invocation.error = std::move(error);
    return invocation;
  };
  int i = 1;
  for (; i < argc && argv[i][0] == '-'; ++i) {
    std::string_view option = argv[i];
    if (option == "--") {
      ++i;
      break;
    }
    if (option == "-h" || option == "--help") {
      invocation.action = Invocation::Action::Help;
      return invocation;
    }
    if (option == "-V" || option == "--version") {
      invocation.action = Invocation::Action::Version;
      return invocation;
    }
    if (option == "--game" || option.starts_with("--game=")) {
      std::string path = option == "--game" ? (i + 1 < argc ? argv[++i] : "") : std::string(option.substr(7));
      if (path.empty()) {
        return fail("--game needs a game folder");
      }
      invocation.gamePath = std::move(path);
      continue;
    }
    if (option == "--install-rtp") {
      if (i + 1 >= argc || argc - i > 3) {
        return fail("--install-rtp takes SOURCE and an optional NAME");
      }
      invocation.action = Invocation::Action::InstallRuntime;
      invocation.runtimeSource = argv[i + 1];
      invocation.runtimeName = i + 2 < argc ? argv[i + 2] : "";
      return invocation;
    }
    return fail("unknown option '" + std::string(option) + "'");
  }
  for (; i < argc; ++i) {
    if (!invocation.commandLine.empty()) {
      invocation.commandLine += ' ';
    }
    invocation.commandLine += argv[i];
  }
  return invocation;
}

std::string usageText() {
  return R"(Usage: quillon [--game PATH] [WORDS...]
       quillon --install-rtp SOURCE [NAME]
Plays the game in PATH: a game folder (holding Game.ini) or a file in it; default: the current folder.

Options:
  --game PATH                  the game to play
  --install-rtp SOURCE [NAME]  installs a runtime package from a folder or a .zip into
                               ~/.local/share/quillon/rtp/NAME (default NAME: the package's folder name)
  -h, --help                   shows this text
  -V, --version                shows the version

Words, passed on to the game:
  test     test mode: $TEST is true and the game archive is not used
  btest    battle test: $TEST and $BTEST are true
  console  reads lines typed in this terminal (VORN.console_input)

Keys: F1 about, F2 frame rate in the title, F10 or Print Screen screenshot (to ~/Pictures/quillon),
F12 restart, Alt+Enter full screen.
A game whose folder cannot be written saves to ~/.local/share/quillon/games/<title>-<hash>.
Environment: QUILLON_RTP_PATH (folders holding runtime packages, colon-separated), QUILLON_SOUNDFONT.
)";
}

std::string executablePathFor(const std::string& gamePath) {
  std::error_code error;
  std::filesystem::path path = std::filesystem::absolute(gamePath.empty() ? "." : gamePath, error);
  if (error) {
    path = gamePath;
  }
  if (std::filesystem::is_directory(path, error)) {
    path /= "Game.exe";
  }
  return path.lexically_normal().string();
}

std::string cutToUtf16Units(std::string_view text, std::size_t units) {
  std::u16string wide = engine::utf8ToUtf16(text);
  if (wide.size() > units) {
    wide.resize(units);
    // Half a surrogate pair is no character: drop it rather than turn it into U+FFFD.
    if (!wide.empty() && wide.back() >= 0xD800 && wide.back() <= 0xDBFF) {
      wide.pop_back();
    }
  }
  return engine::utf16ToUtf8(wide);
}

std::string configPathFor(std::string_view executablePath) {
  std::size_t end = executablePath.size();
  for (int unit = 0; unit < 3 && end > 0;) {
    // Step back over one character: its continuation bytes, then its lead byte.
    std::size_t start = end - 1;
    int continuations = 0;
    while (start > 0 && continuations < 3 && (static_cast<unsigned char>(executablePath[start]) & 0xC0) == 0x80) {
      --start;
      ++continuations;
    }
    auto lead = static_cast<unsigned char>(executablePath[start]);
    int expected = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : 0;
    if (continuations == 0 || expected != continuations) {
      start = end - 1;  // not a well-formed character: one byte, one unit
    }
    unit += (expected == 3 && continuations == 3) ? 2 : 1;
    end = start;
  }
  return std::string(executablePath.substr(0, end)) + "ini";
}

namespace {

std::string folderOf(const std::string& path) {
  // Scanned back to the second character only: a path's leading separator stays.
  for (std::size_t i = path.size(); i-- > 1;) {
    if (path[i] == '/' || path[i] == '\\') {
      return path.substr(0, i);
    }
  }
  return path;
}

int screenSide(const engine::IniFile& ini, const char* key, int fallback) {
  int value = ini.intValue("Game", key, fallback);
  if (value < 1 || value > kMaxScreenSide) {
    std::fprintf(stderr, "[host] %s=%d is outside 1..%d; using %d\n", key, value, kMaxScreenSide, fallback);
    return fallback;
  }
  return value;
}

// The file as named, or one whose name differs only in letter case: games come from file systems that ignore
// case. Empty when there is none.
std::string findIgnoringCase(const std::string& folder, const std::string& value) {
  std::error_code error;
  std::filesystem::path named = value;
  std::filesystem::path base = named.is_relative() ? std::filesystem::path(folder) : std::filesystem::path();
  if (std::filesystem::is_regular_file(base / named, error)) {
    return value;
  }
  std::filesystem::path parent = (base / named).parent_path();
  std::string wanted = named.filename().string();
  auto lower = [](std::string text) {
    for (char& c : text) {
      c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    }
    return text;
  };
  for (const auto& entry : std::filesystem::directory_iterator(parent, error)) {
    if (lower(entry.path().filename().string()) == lower(wanted) && entry.is_regular_file(error)) {
      return (named.parent_path() / entry.path().filename()).string();
    }
  }
  return {};
}

}  // namespace

LaunchConfig::LaunchConfig(const std::string& executablePath, std::string commandLineText)
    : commandLine(std::move(commandLineText)) {
  executableFolder = folderOf(executablePath);
  configPath = configPathFor(executablePath);
  if (std::string found = findIgnoringCase(executableFolder, configPath); !found.empty()) {
    configPath = found;
  }
  engine::IniFile ini = engine::IniFile::load(configPath);
  auto read = [&](const char* key, const std::string& fallback) {
    return cutToUtf16Units(ini.exists() ? ini.value("Game", key, fallback) : fallback, kProfileValueUnits);
  };
  archiveValue = read("Rgssad", defaultArchive);
  libraryValue = read("Library", defaultLibrary);
  titleValue = read("Title", defaultTitle);
  scriptsValue = read("Scripts", defaultScripts);
  consoleValue = read("ShowConsole", defaultConsole);
  if (ini.exists()) {
    screenWidth = screenSide(ini, "ScreenWidth", screenWidth);
    screenHeight = screenSide(ini, "ScreenHeight", screenHeight);
  }
  showConsole = !consoleValue.empty() && consoleValue.front() == '1';

  if (!archiveValue.empty() && !testMode()) {
    std::string found = findIgnoringCase(executableFolder, archiveValue);
    if (!found.empty()) {
      archivePath = found;
    }
  }
}

}  // namespace host
