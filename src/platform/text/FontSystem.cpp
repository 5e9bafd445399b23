#include "platform/text/FontSystem.h"

#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "platform/text/private/FontLibrary.h"

namespace text {

bool addPrivateFontFile(const std::string& path) {
  const auto library = detail::FontLibrary::instance();
  if (!library) return false;
  std::error_code error;
  const std::filesystem::path absolute = std::filesystem::absolute(path, error);
  return !error && library->addAppFont(absolute.string());
}

void removePrivateFontFiles() {
  if (const auto library = detail::FontLibrary::instance()) library->clearAppFonts();
}

std::vector<std::string> fontFileFamilies(const std::string& path) {
  std::vector<std::string> families;
  FcFontSet* faces = FcFontSetCreate();
  int count = 0;
  FcFreeTypeQueryAll(reinterpret_cast<const FcChar8*>(path.c_str()), static_cast<unsigned>(-1), nullptr, &count, faces);
  for (int i = 0; i < faces->nfont; ++i) {
    FcChar8* family = nullptr;
    for (int n = 0; FcPatternGetString(faces->fonts[i], FC_FAMILY, n, &family) == FcResultMatch; ++n) {
      std::string name(reinterpret_cast<const char*>(family));
      if (std::find(families.begin(), families.end(), name) == families.end()) families.push_back(std::move(name));
    }
  }
  FcFontSetDestroy(faces);
  return families;
}

bool fontExists(std::string_view family) {
  const auto library = detail::FontLibrary::instance();
  return library && library->exists(family);
}

std::string resolveFamily(std::span<const std::string> names, const std::string& fallback) {
  for (const std::string& name : names) {
    if (!name.empty() && fontExists(name)) return name;
  }
  return fallback;
}

void shutdownFontSystem() { detail::FontLibrary::shutdown(); }

}  // namespace text
