// Boot time: from just before the player's process starts to the first presented frame of a game whose first
// section calls Graphics.update (headless, fresh process each run), beside two floors: the player starting and
// giving up at once on a missing game folder (process creation and loading its libraries), and a plain GL window
// presenting one cleared frame (the display, the driver and a frame). The first run fills the effect, program and
// GL driver caches, all kept in the benchmark's own folder, and is reported apart; processor time is the whole
// process's, its exit included. Numbers only: nothing here asserts a time.
// Usage: bench_boot [PLAYER] (default: the player of this build), so that two builds compare on one machine.

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr int kRuns = 10;

double nowMs() {
  using namespace std::chrono;
  return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

struct Run {
  double wallMs = -1;  // to the first frame, or to the exit for the floor
  double processorMs = 0;
};

// Starts the player on `game` headless; its standard output is the first frame's time on the monotonic clock.
Run runPlayer(const std::string& player, const std::string& game, const std::string& cache) {
  int out[2];
  if (pipe(out) != 0) return {};
  const double start = nowMs();
  const pid_t child = fork();
  if (child == 0) {
    dup2(out[1], STDOUT_FILENO);
    const int null = open("/dev/null", O_WRONLY);
    dup2(null, STDERR_FILENO);
    close(out[0]);
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    setenv("XDG_CACHE_HOME", cache.c_str(), 1);
    execl(player.c_str(), player.c_str(), "--game", game.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  close(out[1]);
  std::string text;
  char buffer[256];
  for (ssize_t got; (got = read(out[0], buffer, sizeof(buffer))) > 0;)
    text.append(buffer, static_cast<std::size_t>(got));
  close(out[0]);
  const double exited = nowMs();
  int status = 0;
  rusage usage{};
  wait4(child, &status, 0, &usage);
  Run run;
  run.processorMs =
      (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
  if (!text.empty()) {
    run.wallMs = std::strtod(text.c_str(), nullptr) - start;
  } else if (WIFEXITED(status) && WEXITSTATUS(status) != 0 && !std::filesystem::exists(game)) {
    run.wallMs = exited - start;
  }
  return run;
}

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

void print(const char* what, const std::vector<Run>& runs) {
  std::vector<double> wall, processor;
  for (const Run& run : runs) {
    if (run.wallMs < 0) {
      std::printf("%-40s failed\n", what);
      return;
    }
    wall.push_back(run.wallMs);
    processor.push_back(run.processorMs);
  }
  std::printf("%-40s min %7.1f ms  median %7.1f ms  processor %7.1f ms\n", what,
              *std::min_element(wall.begin(), wall.end()), median(wall), median(processor));
}

}  // namespace

int main(int argc, char** argv) {
  const std::string player = argc > 1 ? argv[1] : QUILLON_PLAYER;
  char folder[] = "/tmp/quillon-boot-XXXXXX";
  if (mkdtemp(folder) == nullptr) return 1;
  const std::string game = std::string(folder) + "/game";
  const std::string cache = std::string(folder) + "/cache";
  std::filesystem::create_directories(game + "/Data");
  std::ofstream(game + "/Game.ini") << "[Game]\nTitle=Boot\n";
  std::ofstream(std::string(folder) + "/boot.rb")
      << "Graphics.update\n"
         "STDOUT.print Process.clock_gettime(Process::CLOCK_MONOTONIC, :float_millisecond)\n"
         "STDOUT.flush\n"
         "exit\n";
  const std::string pack = std::string(QUILLON_SOURCE_DIR) + "/tools/pack-scripts -o " + game +
                           "/Data/Scripts.rvdata2 " + folder + "/boot.rb";
  if (std::system(pack.c_str()) != 0) {
    std::fprintf(stderr, "packing the boot game failed\n");
    return 1;
  }

  std::printf("player: %s, %d runs\n", player.c_str(), kRuns);
  print("first run (caches empty)", {runPlayer(player, game, cache)});
  std::vector<Run> warm, floor, glFloor;
  for (int i = 0; i < kRuns; ++i) {
    warm.push_back(runPlayer(player, game, cache));
    floor.push_back(runPlayer(player, std::string(folder) + "/no-such-folder/Game.exe", cache));
    glFloor.push_back(runPlayer(QUILLON_GL_FLOOR, game, cache));
  }
  print("start to first frame", warm);
  print("floor: start and give up (no game)", floor);
  print("floor: a GL window's first cleared frame", glFloor);
  std::filesystem::remove_all(folder);
  return 0;
}
