#pragma once

// The process-wide fontconfig configuration (system fonts, our aliases, the game's own font files) and the
// FreeType library with every face opened so far. Faces are opened once per file and index and shared by all
// sizes; they live until the library does.

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>

namespace text::detail {

struct FaceMatch {
  std::string file;
  int index = 0;
  std::string family;
};

class FontLibrary {
 public:
  // The running library, started on first use; null when fontconfig or FreeType cannot start.
  static std::shared_ptr<FontLibrary> instance();
  // Drops the process-wide reference; the library ends (and FcFini runs) when its last user lets go.
  static void shutdown();

  FontLibrary(const FontLibrary&) = delete;
  FontLibrary& operator=(const FontLibrary&) = delete;
  ~FontLibrary();

  bool addAppFont(const std::string& path);
  void clearAppFonts();
  bool exists(std::string_view family);
  std::optional<FaceMatch> match(const std::string& family, bool bold, bool italic);
  // A face that has `codePoint`, preferring one made for its script (CJK text gets a CJK face).
  std::optional<FaceMatch> matchCharacter(char32_t codePoint, bool bold, bool italic);
  // Null when FreeType cannot open the face.
  FT_Face face(const std::string& file, int index);

 private:
  FontLibrary() = default;
  bool start();
  bool listed(std::string_view family);
  std::optional<FaceMatch> bestMatch(FcPattern* pattern, bool bold, bool italic, char32_t requiredCodePoint);

  FcConfig* m_config = nullptr;
  FT_Library m_freetype = nullptr;
  std::map<std::pair<std::string, int>, FT_Face> m_faces;
  // Matching runs fontconfig's whole scoring over every font, far slower than drawing a line of text; the
  // answers only change when the set of fonts does.
  std::map<std::tuple<std::string, bool, bool>, std::optional<FaceMatch>> m_matches;
  std::map<std::tuple<char32_t, bool, bool>, std::optional<FaceMatch>> m_characterMatches;
};

}  // namespace text::detail
