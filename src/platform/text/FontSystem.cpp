#include "platform/text/FontSystem.h"

#include "platform/text/private/FontLibrary.h"

namespace text {

bool addPrivateFontFile(const std::string& path) {
  const auto library = detail::FontLibrary::instance();
  return library && library->addAppFont(path);
}

void removePrivateFontFiles() {
  if (const auto library = detail::FontLibrary::instance()) library->clearAppFonts();
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
