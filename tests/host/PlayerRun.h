#pragma once

// The real player started as a command, headless, for the tests of the whole program.

#include <sys/wait.h>

#include <cstdio>
#include <string>

struct PlayerRun {
  std::string output;
  int status = -1;
};

// Runs `environment quillon arguments < /dev/null` through the shell, in `folder` when one is given;
// `arguments` may end in redirections ("2>&1" to read standard error too). `output` is what reached standard
// output.
inline PlayerRun runQuillon(const std::string& arguments, const std::string& environment = "",
                            const std::string& folder = "") {
  std::string command = (folder.empty() ? "" : "cd '" + folder + "' && ") +
                        "SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy " + environment + " '" QUILLON_PLAYER "' " +
                        arguments + " < /dev/null";
  PlayerRun run;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) {
    return run;
  }
  char chunk[4096];
  size_t count = 0;
  while ((count = std::fread(chunk, 1, sizeof(chunk), pipe)) > 0) {
    run.output.append(chunk, count);
  }
  int raw = ::pclose(pipe);
  run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  return run;
}
