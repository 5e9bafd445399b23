#include "host/StartupMessages.h"

#include <filesystem>
#include <system_error>

#include "host/LaunchConfig.h"

namespace host {

std::string formatStartupMessage(std::string_view format, std::string_view value, std::string_view english) {
  constexpr std::size_t kMessageUnits = 1023;
  std::string text(format);
  std::size_t slot = text.find("%s");
  if (slot != std::string::npos) {
    text.replace(slot, 2, value);
  }
  text = cutToUtf16Units(text, kMessageUnits);
  if (!english.empty()) {
    text += '\n';
    text += english;
  }
  return text;
}

std::string runtimeMissingText(const std::string& name, const std::vector<std::string>& searched) {
  std::string text = "The runtime package \"" + name + "\" that this game needs was not found. Searched:";
  for (const std::string& folder : searched) {
    text += "\n  " + realPath(folder);
  }
  text += "\nInstall it with: quillon --install-rtp SOURCE " + name +
          "\n(SOURCE: the package's folder or a .zip of it), or add the folder that holds it to QUILLON_RTP_PATH.";
  return text;
}

std::string realPath(std::string_view path) {
  std::string slashed(path);
  for (char& c : slashed) {
    if (c == '\\') {
      c = '/';
    }
  }
  std::error_code error;
  std::filesystem::path absolute = std::filesystem::absolute(slashed, error);
  return error ? slashed : absolute.lexically_normal().string();
}

}  // namespace host
