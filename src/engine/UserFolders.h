#pragma once

// The per-user folders the player reads and writes, after the XDG base-directory conventions: each comes from
// its environment variable (absolute values only) and falls back to the usual place under the home folder.

#include <string>
#include <string_view>

namespace engine {

// The home folder: $HOME, else the password database's entry.
std::string homeFolder();
// $XDG_DATA_HOME, else ~/.local/share.
std::string dataHome();
// XDG_PICTURES_DIR of $XDG_CONFIG_HOME/user-dirs.dirs (what xdg-user-dir reads), else ~/Pictures.
std::string picturesFolder();

// Where `quillon --install-rtp` puts the runtime package `name`: dataHome()/quillon/rtp/NAME.
std::string installedRuntimeFolder(std::string_view name);

// A title as a file name: the characters that are separators, control characters or reserved on other file
// systems become "_", leading and trailing blanks and dots go, and the result is at most 64 bytes (never cut
// inside a character). Empty gives "Untitled".
std::string fileSafeName(std::string_view title);
// The id of a game's per-user data: its title made file-safe, "-", and 8 hex digits of a hash of the game
// folder's absolute path, so two games of one title (or two copies of one game) never share saves.
std::string gameId(std::string_view title, std::string_view absoluteFolder);
// Where a game whose folder cannot be written keeps what it writes: dataHome()/quillon/games/<id>.
std::string gameDataFolder(std::string_view title, std::string_view absoluteFolder);

// True when this process may create files in `folder` (false on a read-only mount too).
bool folderWritable(const std::string& folder);

}  // namespace engine
