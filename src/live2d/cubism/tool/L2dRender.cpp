// l2d-render MODEL3_JSON OUT_PNG [WIDTH] [PARAM_ID=VALUE ...]
// Renders a model headless at the given parameter values (the others at their defaults; no motion,
// physics, pose or breath) to a PNG of the given width, composited over white.

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "live2d/cubism/CubismFramework.h"
#include "live2d/cubism/CubismMoc.h"
#include "live2d/cubism/CubismModel.h"
#include "live2d/cubism/CubismModelSettingJson.h"
#include "live2d/cubism/CubismSoftwareRenderer.h"
#include "live2d/cubism/tool/PngFile.h"

using namespace live2d::cubism;

namespace {

std::vector<std::uint8_t> readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void printLog(const char* message) { std::fputs(message, stderr); }

int usage() {
  std::fputs("usage: l2d-render MODEL3_JSON OUT_PNG [WIDTH] [PARAM_ID=VALUE ...]\n", stderr);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return usage();
  CubismFramework::setLogFunction(printLog);
  CubismFramework::setLoggingLevel(LogLevel::Warning);

  const std::string settingPath = argv[1];
  const std::string outPath = argv[2];
  int width = 260;
  int firstParameter = 3;
  if (argc > 3 && std::string(argv[3]).find('=') == std::string::npos) {
    char* end = nullptr;
    const long w = std::strtol(argv[3], &end, 10);
    if (*end != '\0' || w <= 0 || w > 16384) return usage();
    width = static_cast<int>(w);
    firstParameter = 4;
  }
  const std::size_t slash = settingPath.find_last_of('/');
  const std::string folder = slash == std::string::npos ? std::string() : settingPath.substr(0, slash + 1);

  const std::vector<std::uint8_t> settingBytes = readFile(settingPath);
  if (settingBytes.empty()) {
    std::fprintf(stderr, "l2d-render: cannot read %s\n", settingPath.c_str());
    return 1;
  }
  CubismModelSettingJson setting(settingBytes);
  const std::vector<std::uint8_t> mocBytes = readFile(folder + setting.getModelFileName());
  std::shared_ptr<CubismMoc> moc = CubismMoc::create(mocBytes);
  if (!moc) {
    std::fprintf(stderr, "l2d-render: cannot load the moc of %s\n", settingPath.c_str());
    return 1;
  }
  std::unique_ptr<CubismModel> model = moc->createModel();
  CubismIdManager* ids = CubismFramework::getIdManager();
  for (int i = firstParameter; i < argc; ++i) {
    const std::string assignment = argv[i];
    const std::size_t eq = assignment.find('=');
    if (eq == std::string::npos) return usage();
    const CubismIdHandle id = ids->getId(assignment.substr(0, eq));
    if (model->getParameterIndex(id) >= model->getParameterCount()) {
      std::fprintf(stderr, "l2d-render: the model has no parameter %s\n", assignment.substr(0, eq).c_str());
      return 1;
    }
    model->setParameterValue(id, std::strtof(assignment.c_str() + eq + 1, nullptr));
  }
  model->update();

  const int height = CubismSoftwareRenderer::canvasImageHeight(*model, width);
  CubismSoftwareRenderer renderer;
  renderer.initialize(model.get());
  renderer.setTarget(width, height);
  for (int i = 0; i < setting.getTextureCount(); ++i) {
    std::string error;
    const auto image = readPng(folder + setting.getTextureFileName(i), &error);
    if (!image) {
      std::fprintf(stderr, "l2d-render: texture %s: %s\n", setting.getTextureFileName(i).c_str(), error.c_str());
      continue;
    }
    renderer.bindTexture(i, *image);
  }
  renderer.setMvpMatrix(CubismSoftwareRenderer::canvasProjection(*model, width, height));
  renderer.drawModel();
  std::string error;
  if (!writePng(outPath, renderer.compositeOver(1.0f, 1.0f, 1.0f), &error)) {
    std::fprintf(stderr, "l2d-render: cannot write %s: %s\n", outPath.c_str(), error.c_str());
    return 1;
  }
  return 0;
}
