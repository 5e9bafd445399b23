#include "host/StartupMessages.h"

#include "host/LaunchConfig.h"

namespace host {

std::string formatStartupMessage(std::string_view format, std::string_view value) {
  constexpr std::size_t kMessageUnits = 1023;
  std::string text(format);
  std::size_t slot = text.find("%s");
  if (slot != std::string::npos) {
    text.replace(slot, 2, value);
  }
  return cutToUtf16Units(text, kMessageUnits);
}

}  // namespace host
