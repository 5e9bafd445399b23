#pragma once

// The environment a Windows process always finds and game scripts read (`ENV['USERNAME']`, `ENV['APPDATA']`), made
// from this system's counterparts.

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace engine {

// What the Windows variables are made from.
struct HostFacts {
  std::string userName;
  std::string homeFolder;
  std::string hostName;
  // Reads one variable of this system's environment; nullopt when it is not set.
  std::function<std::optional<std::string>(const char* name)> variable;
};

// Each Windows variable with the value it takes when the user has not set it. The per-user data folders follow XDG,
// whose relative values do not count.
std::vector<std::pair<std::string, std::string>> windowsEnvironment(const HostFacts& facts);

// Sets every variable of windowsEnvironment that is not set already, so a value the user chose always wins.
void fillWindowsEnvironment();

}  // namespace engine
