#include "platform/text/private/FontLibrary.h"

#include <cstdio>
#include <string>

namespace text::detail {
namespace {

// The Windows names of the default fonts and the Debian families that stand in for them.
struct Alias {
  const char* name;
  const char* family;
};
constexpr Alias kAliases[] = {
    {"黑体", "WenQuanYi Zen Hei"}, {"SimHei", "WenQuanYi Zen Hei"}, {"宋体", "AR PL UMing CN"},
    {"SimSun", "AR PL UMing CN"},   {"Arial", "Liberation Sans"},
};

std::string aliasConfiguration() {
  // binding="same" lets the stand-in win like the named family would; <accept> keeps a real family of the
  // Windows name first where one is installed.
  std::string xml = "<?xml version=\"1.0\"?>\n<!DOCTYPE fontconfig SYSTEM \"fonts.dtd\">\n<fontconfig>\n";
  for (const Alias& alias : kAliases) {
    xml += "  <alias binding=\"same\"><family>";
    xml += alias.name;
    xml += "</family><accept><family>";
    xml += alias.family;
    xml += "</family></accept></alias>\n";
  }
  xml += "</fontconfig>\n";
  return xml;
}

bool sameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

const char* languageFor(char32_t c) {
  if ((c >= 0x3040 && c <= 0x30FF) || (c >= 0x31F0 && c <= 0x31FF)) return "ja";
  if ((c >= 0xAC00 && c <= 0xD7AF) || (c >= 0x1100 && c <= 0x11FF) || (c >= 0x3130 && c <= 0x318F)) return "ko";
  if ((c >= 0x2E80 && c <= 0x9FFF) || (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFF00 && c <= 0xFFEF) ||
      (c >= 0x20000 && c <= 0x3FFFF)) {
    return "zh-cn";
  }
  return nullptr;
}

std::shared_ptr<FontLibrary>& current() {
  static std::shared_ptr<FontLibrary> library;
  return library;
}

// Libraries alive: a face kept past shutdown keeps its library, and a restart makes another.
int g_liveLibraries = 0;

}  // namespace

std::shared_ptr<FontLibrary> FontLibrary::instance() {
  std::shared_ptr<FontLibrary>& library = current();
  if (!library) {
    std::shared_ptr<FontLibrary> started(new FontLibrary());
    ++g_liveLibraries;
    if (!started->start()) return nullptr;
    library = std::move(started);
  }
  return library;
}

void FontLibrary::shutdown() { current().reset(); }

bool FontLibrary::start() {
  if (FT_Init_FreeType(&m_freetype) != 0) {
    m_freetype = nullptr;
    std::fprintf(stderr, "[text] FreeType failed to start\n");
    return false;
  }
  m_config = FcInitLoadConfigAndFonts();
  if (!m_config) {
    std::fprintf(stderr, "[text] fontconfig failed to start\n");
    return false;
  }
  const std::string xml = aliasConfiguration();
  if (!FcConfigParseAndLoadFromMemory(m_config, reinterpret_cast<const FcChar8*>(xml.c_str()), FcTrue)) {
    std::fprintf(stderr, "[text] the font alias table was not accepted\n");
  }
  return true;
}

FontLibrary::~FontLibrary() {
  for (auto& [key, face] : m_faces) FT_Done_Face(face);
  if (m_freetype) FT_Done_FreeType(m_freetype);
  if (m_config) FcConfigDestroy(m_config);
  // fontconfig's state is process-wide: it may only be finished when no other library still uses it.
  if (--g_liveLibraries == 0) FcFini();
}

bool FontLibrary::addAppFont(const std::string& path) {
  m_matches.clear();
  m_characterMatches.clear();
  return FcConfigAppFontAddFile(m_config, reinterpret_cast<const FcChar8*>(path.c_str())) == FcTrue;
}

void FontLibrary::clearAppFonts() {
  m_matches.clear();
  m_characterMatches.clear();
  FcConfigAppFontClear(m_config);
}

bool FontLibrary::listed(std::string_view family) {
  const std::string name(family);
  FcPattern* pattern = FcPatternCreate();
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(name.c_str()));
  FcObjectSet* objects = FcObjectSetBuild(FC_FAMILY, nullptr);
  FcFontSet* fonts = FcFontList(m_config, pattern, objects);
  // fontconfig's listing also ignores blanks; Windows compares whole names, ignoring only case.
  bool found = false;
  for (int i = 0; fonts && i < fonts->nfont && !found; ++i) {
    FcChar8* listedName = nullptr;
    for (int n = 0; FcPatternGetString(fonts->fonts[i], FC_FAMILY, n, &listedName) == FcResultMatch; ++n) {
      if (sameName(reinterpret_cast<const char*>(listedName), family)) {
        found = true;
        break;
      }
    }
  }
  if (fonts) FcFontSetDestroy(fonts);
  FcObjectSetDestroy(objects);
  FcPatternDestroy(pattern);
  return found;
}

bool FontLibrary::exists(std::string_view family) {
  if (family.empty()) return false;
  if (listed(family)) return true;
  for (const Alias& alias : kAliases) {
    if (sameName(family, alias.name) && listed(alias.family)) return true;
  }
  return false;
}

std::optional<FaceMatch> FontLibrary::bestMatch(FcPattern* pattern, bool bold, bool italic,
                                                char32_t requiredCodePoint) {
  // Windows asks for weight 900 when bold; the mapper takes the heaviest weight a family has.
  FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BLACK : FC_WEIGHT_REGULAR);
  FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcConfigSubstitute(m_config, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcPattern* font = FcFontMatch(m_config, pattern, &result);
  FcPatternDestroy(pattern);
  if (!font) return std::nullopt;
  // The weight and slant of the result echo the request, so whether a style must be synthesised is read from
  // the face itself once it is open.

  std::optional<FaceMatch> match;
  FcChar8* file = nullptr;
  if (FcPatternGetString(font, FC_FILE, 0, &file) == FcResultMatch) {
    FcCharSet* characters = nullptr;
    const bool covers = requiredCodePoint == 0 ||
                        (FcPatternGetCharSet(font, FC_CHARSET, 0, &characters) == FcResultMatch &&
                         FcCharSetHasChar(characters, requiredCodePoint));
    if (covers) {
      match.emplace();
      match->file = reinterpret_cast<const char*>(file);
      FcPatternGetInteger(font, FC_INDEX, 0, &match->index);
      FcChar8* family = nullptr;
      if (FcPatternGetString(font, FC_FAMILY, 0, &family) == FcResultMatch) {
        match->family = reinterpret_cast<const char*>(family);
      }
    }
  }
  FcPatternDestroy(font);
  return match;
}

std::optional<FaceMatch> FontLibrary::match(const std::string& family, bool bold, bool italic) {
  auto key = std::make_tuple(family, bold, italic);
  if (const auto found = m_matches.find(key); found != m_matches.end()) return found->second;
  FcPattern* pattern = FcPatternCreate();
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
  auto result = bestMatch(pattern, bold, italic, 0);
  m_matches.emplace(std::move(key), result);
  return result;
}

std::optional<FaceMatch> FontLibrary::matchCharacter(char32_t codePoint, bool bold, bool italic) {
  auto key = std::make_tuple(codePoint, bold, italic);
  if (const auto found = m_characterMatches.find(key); found != m_characterMatches.end()) return found->second;
  FcPattern* pattern = FcPatternCreate();
  FcCharSet* characters = FcCharSetCreate();
  FcCharSetAddChar(characters, codePoint);
  FcPatternAddCharSet(pattern, FC_CHARSET, characters);
  FcCharSetDestroy(characters);
  FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
  if (const char* language = languageFor(codePoint)) {
    FcPatternAddString(pattern, FC_LANG, reinterpret_cast<const FcChar8*>(language));
  }
  auto result = bestMatch(pattern, bold, italic, codePoint);
  m_characterMatches.emplace(std::move(key), result);
  return result;
}

FT_Face FontLibrary::face(const std::string& file, int index) {
  const auto key = std::make_pair(file, index);
  if (const auto found = m_faces.find(key); found != m_faces.end()) return found->second;
  FT_Face face = nullptr;
  if (FT_New_Face(m_freetype, file.c_str(), index, &face) != 0) {
    std::fprintf(stderr, "[text] cannot open face %d of %s\n", index, file.c_str());
    face = nullptr;
  }
  m_faces.emplace(key, face);
  return face;
}

}  // namespace text::detail
