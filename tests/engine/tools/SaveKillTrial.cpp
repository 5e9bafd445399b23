// Kill-during-save trials: a child process runs the engine's save_data in a loop and is killed (SIGKILL) at a
// random moment; then the save must still load and hold a whole version no older than the last one seen, and
// the folder must hold nothing but the save once the next save or start has swept it.
//
// Usage: quillon_save_kill_trial [--trials N] [--folder DIR] [--payload-kib K]
// The folder (default: a new one in the current folder, so that the trial runs on a real disk) is removed
// afterwards. Exit status 0 when no save was lost and nothing was left behind.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <thread>

#include "engine/Engine.h"
#include "engine/private/AtomicFile.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

constexpr const char* kSaveName = "Save01.rvdata2";

void startEngine() {
  static engine::ScriptApi api;
  engine::fillScriptApi(api);
  engine::g_scriptApi = &api;
  RGSSInitialize3(nullptr);
}

// The child: one save of `firstVersion`, the go-ahead on `readyFd`, then saves of the following versions until
// it is killed.
int runChild(const std::string& folder, int readyFd, int payloadKib, long firstVersion) {
  startEngine();
  const std::string path = folder + "/" + kSaveName;
  std::string script = "payload = 'q' * " + std::to_string(payloadKib * 1024) + "\n";
  script += "version = " + std::to_string(firstVersion) + "\n";
  script += "save_data([version, payload, version], '" + path + "')\n";
  script += "IO.new(" + std::to_string(readyFd) + ", autoclose: false).syswrite('r')\n";
  script += "loop { version += 1; save_data([version, payload, version], '" + path + "') }\n";
  RGSSEval(script.c_str());
  return 1;
}

// The version the save holds; -1 when it is missing or not a whole save.
long savedVersion(const std::string& folder, int payloadKib) {
  const std::string path = folder + "/" + kSaveName;
  const std::string size = std::to_string(payloadKib * 1024);
  const std::string script =
      "v = (Marshal.load(File.binread('" + path + "')) rescue nil)\n" +
      "$quillon_trial_version = v.is_a?(Array) && v.size == 3 && v[0] == v[2] && v[1].size == " + size + " ? v[0] : -1";
  RGSSEval(script.c_str());
  return engine::g_scriptApi->num2long(engine::g_scriptApi->eval_string("$quillon_trial_version"));
}

std::size_t entriesBesideTheSave(const std::string& folder) {
  std::size_t count = 0;
  for (const auto& entry : fs::directory_iterator(folder)) {
    const std::string name = entry.path().filename();
    if (name != kSaveName) ++count;
  }
  return count;
}

}  // namespace

int main(int argc, char** argv) {
  int stackBase = 0;
  engine::initInterpreterStack(&stackBase);
  int trials = 1000;
  int payloadKib = 512;
  std::string folder;
  for (int i = 1; i < argc; ++i) {
    const std::string option = argv[i];
    if (option == "--child" && i + 4 < argc) {
      return runChild(argv[i + 1], std::atoi(argv[i + 2]), std::atoi(argv[i + 3]), std::atol(argv[i + 4]));
    } else if (option == "--trials" && i + 1 < argc) {
      trials = std::atoi(argv[++i]);
    } else if (option == "--folder" && i + 1 < argc) {
      folder = argv[++i];
    } else if (option == "--payload-kib" && i + 1 < argc) {
      payloadKib = std::atoi(argv[++i]);
    } else {
      std::fprintf(stderr, "usage: %s [--trials N] [--folder DIR] [--payload-kib K]\n", argv[0]);
      return 2;
    }
  }
  if (folder.empty()) folder = fs::absolute("save-kill-trial-" + std::to_string(getpid()));
  fs::remove_all(folder);
  fs::create_directories(folder);
  startEngine();

  std::mt19937 random(std::random_device{}());
  std::uniform_int_distribution<int> delayUs(0, 40000);
  int lost = 0;
  int killsWithTemporaries = 0;
  long lastVersion = 0;
  const auto started = std::chrono::steady_clock::now();
  for (int trial = 0; trial < trials; ++trial) {
    int ready[2];
    if (pipe(ready) != 0) return 1;
    fcntl(ready[0], F_SETFD, FD_CLOEXEC);
    std::string words[] = {"--child", folder, std::to_string(ready[1]), std::to_string(payloadKib),
                           std::to_string(lastVersion + 1)};
    char* childArgs[] = {argv[0],         words[0].data(), words[1].data(), words[2].data(),
                         words[3].data(), words[4].data(), nullptr};
    pid_t child = 0;
    if (posix_spawn(&child, "/proc/self/exe", nullptr, nullptr, childArgs, environ) != 0) return 1;
    close(ready[1]);
    char byte = 0;
    const bool saving = read(ready[0], &byte, 1) == 1;
    close(ready[0]);
    if (saving) std::this_thread::sleep_for(std::chrono::microseconds(delayUs(random)));
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    if (!saving) {
      std::fprintf(stderr, "trial %d: the child did not start\n", trial);
      return 1;
    }
    const long version = savedVersion(folder, payloadKib);
    if (version < lastVersion) {
      ++lost;
      std::fprintf(stderr, "trial %d: save lost (version %ld after %ld)\n", trial, version, lastVersion);
    } else {
      lastVersion = version;
    }
    if (entriesBesideTheSave(folder) > 0) ++killsWithTemporaries;
  }
  // What a start does: anything a killed save left is swept.
  engine::removeStaleTemporaries(folder);
  const std::size_t leftBehind = entriesBesideTheSave(folder);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  std::printf("%d kill-during-save trials in %.0f s (payload %d KiB, last version %ld):\n", trials, seconds, payloadKib,
              lastVersion);
  std::printf(
      "  saves lost: %d\n  kills that left a named temporary (swept by the next save or start): %d\n"
      "  files left behind: %zu\n",
      lost, killsWithTemporaries, leftBehind);
  fs::remove_all(folder);
  return lost == 0 && leftBehind == 0 ? 0 : 1;
}
