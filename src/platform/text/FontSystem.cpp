#include "platform/text/FontSystem.h"

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
