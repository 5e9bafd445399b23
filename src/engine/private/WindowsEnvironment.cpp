#include "engine/private/WindowsEnvironment.h"

#include <pwd.h>
#include <unistd.h>

#include <cctype>
#include <cstdlib>

namespace engine {

namespace {

std::optional<std::string> processVariable(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? std::optional<std::string>(value) : std::nullopt;
}

HostFacts thisHost() {
  HostFacts facts;
  facts.variable = processVariable;
  const passwd* account = getpwuid(geteuid());
  facts.userName = processVariable("USER").value_or(account != nullptr ? account->pw_name : "");
  facts.homeFolder = processVariable("HOME").value_or(account != nullptr ? account->pw_dir : "");
  char host[256] = {};
  if (gethostname(host, sizeof(host) - 1) == 0) {
    facts.hostName = host;
  }
  return facts;
}

}  // namespace

std::vector<std::pair<std::string, std::string>> windowsEnvironment(const HostFacts& facts) {
  const auto folder = [&](const char* name, const char* underHome) {
    std::optional<std::string> value = facts.variable(name);
    return value && !value->empty() && value->front() == '/' ? *value : facts.homeFolder + underHome;
  };
  const std::string temporary = facts.variable("TMPDIR").value_or("").empty() ? "/tmp" : *facts.variable("TMPDIR");
  std::string computer = facts.hostName;
  // Windows computer names are upper case, and scripts compare them so.
  for (char& c : computer) {
    c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  }
  return {
      {"USERNAME", facts.userName},
      {"USERPROFILE", facts.homeFolder},
      {"APPDATA", folder("XDG_CONFIG_HOME", "/.config")},
      {"LOCALAPPDATA", folder("XDG_DATA_HOME", "/.local/share")},
      {"TEMP", temporary},
      {"TMP", temporary},
      {"COMPUTERNAME", computer},
      // Scripts join the two into the home folder; there are no drive letters here.
      {"HOMEDRIVE", ""},
      {"HOMEPATH", facts.homeFolder},
      {"OS", "Windows_NT"},
  };
}

void fillWindowsEnvironment() {
  for (const auto& [name, value] : windowsEnvironment(thisHost())) {
    setenv(name.c_str(), value.c_str(), 0);
  }
}

}  // namespace engine
