// Engine start-up for a 200-section scripts file: interpreter up, scripts file loaded and inflated, first
// section running, last section done. Each run is a fresh process (the interpreter starts once per
// process); the floor is inflating the same sections without any interpreter.

#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "engine/Engine.h"
#include "engine/ScriptApi.h"

namespace {

constexpr int kSections = 200;
constexpr int kRuns = 7;

double nowMs() {
  using namespace std::chrono;
  return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

// A section shaped like a default-script class: a dozen small methods.
std::string sectionCode(int index) {
  std::string code = "class Bench_Section" + std::to_string(index) + "\n";
  for (int m = 0; m < 12; ++m) {
    code += "  def method_" + std::to_string(m) + "(a, b = 1)\n    @value = (a + b) * " + std::to_string(m) +
            "\n    @list ||= []\n    @list.push(@value) if @value > 3\n    @value\n  end\n";
  }
  code += "end\n";
  if (index == 0) {
    code = "$first_section_ms = Process.clock_gettime(Process::CLOCK_MONOTONIC, :float_millisecond)\n" + code;
  }
  if (index == kSections - 1) {
    code += "$last_section_ms = Process.clock_gettime(Process::CLOCK_MONOTONIC, :float_millisecond)\n";
  }
  return code;
}

std::string writeScripts(const std::string& folder) {
  std::vector<std::string> files;
  std::string command = std::string(QUILLON_SOURCE_DIR) + "/tools/pack-scripts -o " + folder + "/Scripts.rvdata2";
  for (int i = 0; i < kSections; ++i) {
    char name[64];
    std::snprintf(name, sizeof(name), "/%03d_Section%d.rb", i, i);
    std::ofstream(folder + name) << sectionCode(i);
    command += " " + folder + name;
  }
  if (std::system(command.c_str()) != 0) {
    std::fprintf(stderr, "packing failed\n");
    std::exit(1);
  }
  return folder + "/Scripts.rvdata2";
}

struct Timings {
  double interpreterMs = 0;
  double firstSectionMs = 0;
  double allSectionsMs = 0;
};

Timings runOnce(const std::string& scripts) {
  int stackBase = 0;
  engine::initInterpreterStack(&stackBase);
  static engine::ScriptApi api;
  engine::fillScriptApi(api);
  engine::g_scriptApi = &api;
  double start = nowMs();
  RGSSInitialize3(nullptr);
  double up = nowMs();
  RGSSGameMain(nullptr, scripts.c_str(), "");
  Timings t;
  t.interpreterMs = up - start;
  t.firstSectionMs = api.num2dbl(api.eval_string("$first_section_ms")) - start;
  t.allSectionsMs = api.num2dbl(api.eval_string("$last_section_ms")) - start;
  return t;
}

double inflateFloorMs() {
  std::vector<std::string> deflated;
  for (int i = 0; i < kSections; ++i) {
    std::string code = sectionCode(i);
    uLongf size = compressBound(code.size());
    std::string out(size, '\0');
    compress(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(code.data()), code.size());
    out.resize(size);
    deflated.push_back(out);
  }
  double start = nowMs();
  std::vector<char> buffer(1 << 16);
  for (const std::string& d : deflated) {
    uLongf size = buffer.size();
    uncompress(reinterpret_cast<Bytef*>(buffer.data()), &size, reinterpret_cast<const Bytef*>(d.data()), d.size());
  }
  return nowMs() - start;
}

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace

int main() {
  char folder[] = "/tmp/quillon-bench-XXXXXX";
  if (mkdtemp(folder) == nullptr) {
    return 1;
  }
  std::string scripts = writeScripts(folder);
  std::vector<double> interpreter, first, all;
  for (int run = 0; run < kRuns; ++run) {
    int pipeFds[2];
    if (pipe(pipeFds) != 0) {
      return 1;
    }
    pid_t child = fork();
    if (child == 0) {
      close(pipeFds[0]);
      Timings t = runOnce(scripts);
      ssize_t written = write(pipeFds[1], &t, sizeof(t));
      _exit(written == sizeof(t) ? 0 : 1);
    }
    close(pipeFds[1]);
    Timings t;
    bool ok = read(pipeFds[0], &t, sizeof(t)) == sizeof(t);
    close(pipeFds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    if (!ok) {
      std::fprintf(stderr, "run %d failed\n", run);
      return 1;
    }
    interpreter.push_back(t.interpreterMs);
    first.push_back(t.firstSectionMs);
    all.push_back(t.allSectionsMs);
  }
  std::filesystem::remove_all(folder);
  std::printf("engine start-up, %d sections, median of %d runs:\n", kSections, kRuns);
  std::printf("  interpreter up            %8.2f ms\n", median(interpreter));
  std::printf("  first section running     %8.2f ms\n", median(first));
  std::printf("  all sections evaluated    %8.2f ms\n", median(all));
  std::printf("  floor: inflating them all %8.2f ms\n", inflateFloorMs());
  return 0;
}
