#pragma once

// `quillon --install-rtp SOURCE [NAME]`: copies a runtime package, from its folder or from an archive of it (a
// .zip, or anything else the archive library reads), into the per-user runtime package folder where games that
// name it in Game.ini find it.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace host {

// One file of a package: its name relative to the package (with "/"), size and modification time.
struct PackageFile {
  std::string name;
  std::uint64_t size = 0;
  std::int64_t modified = 0;  // seconds since the epoch
};

// Where the package lies among the source's files: a prefix ("" or "Folder/") under which the folders
// Graphics/ and Audio/ are found (letter case ignored), either at the top or inside one single top folder.
// Nullopt when the files do not look like a runtime package.
std::optional<std::string> packageRoot(const std::vector<PackageFile>& files);

// The name a package installs under when none is given: the folder holding it (the single top folder of an
// archive, or the source folder), else the archive's name without its extension.
std::string defaultPackageName(std::string_view source, std::string_view root, bool sourceIsFolder);

// True for a name usable as one folder: not empty, ".", "..", nor holding a "/".
bool validPackageName(std::string_view name);

// Copies what the source holds under its package root into installedRuntimeFolder(name) (name empty: the default
// name). Files already there and newer than the source's are kept and listed, never overwritten. Progress goes to
// standard error for large packages; the result to standard output. False after an error message.
bool installRuntimePackage(const std::string& source, const std::string& name);

}  // namespace host
