#pragma once

// Face lookup for text: which family names exist, and the fonts a game ships in its "Fonts" folder.
// fontconfig and FreeType are started on first use; everything here runs on the main thread.

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace text {

// Makes the font file at `path` (UTF-8; relative to the working folder unless absolute) visible to this process
// only; every face of a collection (.ttc) is added. False when fontconfig cannot read it as a font.
[[nodiscard]] bool addPrivateFontFile(const std::string& path);
// Forgets every file added with addPrivateFontFile.
void removePrivateFontFiles();

// Every family name of every face in the font file at `path` (localised names too, each once, UTF-8); empty
// when the file cannot be read as a font. Reads the file alone: nothing is added or started.
std::vector<std::string> fontFileFamilies(const std::string& path);

// Whether a family of exactly this name is installed or added (any of its localised names counts, case is
// ignored), or our alias table maps the name to one that is. Windows names such as "SimHei" and "Arial" are
// aliases of the Debian fonts that stand in for them.
bool fontExists(std::string_view family);

// Face resolution for a font's name list: the first non-empty name that exists, else `fallback` (the current
// default face).
std::string resolveFamily(std::span<const std::string> names, const std::string& fallback);

// Releases FreeType and fontconfig (FcFini) so that leak checks stay clean. Call once at exit after every
// FontFace is gone; a later call to anything here starts them again.
void shutdownFontSystem();

}  // namespace text
