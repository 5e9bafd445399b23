#include "host/Screenshot.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "engine/UserFolders.h"
#include "host/RendererControl.h"

namespace host {

std::string screenshotName(std::string_view title, std::time_t when, int number) {
  std::tm local{};
  ::localtime_r(&when, &local);
  char time[32];
  std::strftime(time, sizeof(time), "%Y-%m-%d %H-%M-%S", &local);
  std::string name = engine::fileSafeName(title) + " " + time;
  if (number > 1) {
    name += " (" + std::to_string(number) + ")";
  }
  return name + ".png";
}

void takeScreenshot(const std::string& title) {
  RendererControl* renderer = currentRenderer();
  if (renderer == nullptr) {
    return;
  }
  const std::filesystem::path folder = engine::picturesFolder() + "/quillon";
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  const std::time_t now = std::time(nullptr);
  std::filesystem::path path;
  for (int number = 1; path.empty() || std::filesystem::exists(path, error); ++number) {
    path = folder / screenshotName(title, now, number);
  }
  if (renderer->saveScreenshot(path.string())) {
    std::fprintf(stderr, "quillon: screenshot saved as %s\n", path.c_str());
  } else {
    std::fprintf(stderr, "quillon: could not save a screenshot as %s\n", path.c_str());
  }
}

}  // namespace host
